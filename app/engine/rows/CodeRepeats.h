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
    int earlierRow(const QString& code, int row) { return earlierRow(hashOf(code), row); }
    // The same for the code of this hash (hashOf): the threads that make rows hash their codes, the one that tells
    // the repeats only looks them up.
    int earlierRow(std::uint32_t hash, int row);
    static std::uint32_t hashOf(const QString& code); // never 0
    // Brings the slot of a code of this hash towards the processor: the slots of a block's rows, asked for in turn,
    // are then waited for together rather than one after another.
    void prefetch(std::uint32_t hash) const
    {
#if defined(__GNUC__)
        __builtin_prefetch(&slots_[slotOf(hash)]);
#else
        (void)hash;
#endif
    }

private:
    // The first slot to look at: the hash scaled to the table.
    std::size_t slotOf(std::uint32_t hash) const
    {
        return std::size_t((std::uint64_t(hash) * slots_.size()) >> 32);
    }

    struct Slot
    {
        std::uint32_t hash = 0; // 0: empty
        std::int32_t row = -1;
    };
    std::vector<Slot> slots_;
};

} // namespace importer
