#pragma once
// What became of a run's rows, counted as the rows are done: the one tally the writer keeps, the reporter shows
// and the outcome returns.

namespace importer {

struct ImportCounts
{
    int imported = 0; // rows the store took
    int failed = 0;   // rows the store refused, each with a line in the error log
    int empty = 0;    // rows without a product code
    int existing = 0; // rows whose product the store holds already, left as they are (ExistingChoice::Skip)
    int updated = 0;  // rows whose stored product took the sheet's values (ExistingChoice::Update)
    int merged = 0;   // rows repeating a code, their stock added to the first's product (RepeatChoice::Merge)

    // Every row the run is done with.
    int handled() const { return imported + failed + empty + existing + updated + merged; }
    bool operator==(const ImportCounts&) const = default;
};

} // namespace importer
