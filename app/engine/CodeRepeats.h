#pragma once
// Which rows of a sheet repeat the code of an earlier row, told by a 32-bit hash of each code with the row that
// first had it: a hint for the batching of the writes (two codes that share a hash simply count as a repeat) and,
// checked against the sheet, the earlier row a refused repeat names in the log. The slots sit in one table of
// three slots for every two rows of the sheet, eight bytes a slot (12 MiB for a million rows), where a map of the
// codes themselves would take several times that.

#include <QString>

#include <cstdint>
#include <vector>

namespace importer {

class CodeRepeats
{
public:
    explicit CodeRepeats(int rowCount);

    // The row before this one that first had a code of the same hash, or -1; remembers the code with this row when
    // it is new (asked again for that row, -1 again). At most rowCount codes.
    int earlierRow(const QString& code, int row);

private:
    struct Slot
    {
        std::uint32_t hash = 0; // 0: empty
        std::int32_t row = -1;
    };
    std::vector<Slot> slots_;
};

} // namespace importer
