#pragma once
// A row of the product sheet as the writes take it: what its log line names, and its values for the store. The one
// shape a row has from its making to the store, made again as it was when its group is lost.

#include "engine/rows/RowValues.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace importer {

struct MadeRow
{
    int sheetRow = 0;           // the row of the product sheet (from 0, below the header)
    QString code;               // the sheet's code, without the letter; empty: an empty record
    std::uint32_t codeHash = 0; // CodeRepeats::hashOf(code), made with the row; 0: not made
    QString name;
    QString reason;     // why the row fails before the store (a number that does not convert); empty otherwise
    int earlierRow = 0; // the sheet's row number of an earlier row with the same code, 0 when there is none
    // An earlier row of the sheet has the same code (Cpxm_bm is unique in the store's own schema): the store most
    // likely refuses this one, and it goes in a statement of its own. Only a hint (CodeRepeats.h).
    bool repeatsCode = false;
    std::optional<RowValues> values; // nothing when the row fails before the store, or has no code
    // Value i (a bit each) came from a blank cell of the sheet: an update leaves that column as stored.
    quint64 blankValues = 0;
};

} // namespace importer
