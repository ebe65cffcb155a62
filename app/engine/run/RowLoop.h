#pragma once
// The row loop of a run: every row of the sheet taken as it is made, counted, and handed to the run's writes; the
// rows of a group the store lost are made again and handed to the writes before the next one.

#include "engine/rows/RowsAhead.h"
#include "engine/run/ImportReporter.h"

namespace importer {

class GroupWriter;

class RowLoop
{
public:
    // make makes the rows 0 .. rowTotal - 1 on helper threads (sheetRowMaker), mark tells the repeated codes in
    // sheet order (sheetRepeatMarker).
    RowLoop(int rowTotal, RowMaker make, RepeatMarker mark, GroupWriter& writes, ImportCounts& counts,
            ImportReporter& reporter);

    // Handles every row and finishes the writes. On any error the rows the store took so far stay there, and are
    // counted as what became of them; the error escapes.
    void run();

    // After an early end: the first row of the sheet (from 0) that the store does not hold, nor the log name.
    int firstRowAgain() const { return firstRowAgain_; }

private:
    void write(MadeRow&& row, RowsAhead& rows);
    bool writeAgainWhatWasLost(RowsAhead& rows);
    void finishWrites(RowsAhead& rows);
    void reportChange(const ImportCounts& before);

    const int rowTotal_;
    RowMaker make_;
    RepeatMarker mark_;
    GroupWriter& writes_;
    ImportCounts& counts_;
    ImportReporter& reporter_;
    int firstRowAgain_ = 0;
};

} // namespace importer
