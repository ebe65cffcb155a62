#include "engine/rows/CodeRepeats.h"

#include <QHash>

#include <algorithm>

namespace importer {

CodeRepeats::CodeRepeats(int rowCount)
{
    // Three slots for every two rows: a million-row sheet's table is 12 MiB, where a power of two at least twice
    // the rows took 16 MiB; a search still looks at a few neighbouring slots only.
    const std::size_t rows = static_cast<std::size_t>(std::max(rowCount, 0));
    slots_.assign(std::max<std::size_t>(16, rows + rows / 2 + 1), Slot{});
}

std::uint32_t CodeRepeats::hashOf(const QString& code)
{
    const auto hash = static_cast<std::uint32_t>(qHash(code));
    return hash == 0 ? 1 : hash; // 0 marks an empty slot
}

int CodeRepeats::earlierRow(std::uint32_t hash, int row)
{
    // Linear probing from the hash scaled to the table: it is never more than two thirds full, so an empty slot
    // always comes.
    const std::size_t size = slots_.size();
    for (std::size_t slot = slotOf(hash);; slot = slot + 1 == size ? 0 : slot + 1) {
        if (slots_[slot].hash == hash)
            return slots_[slot].row < row ? slots_[slot].row : -1;
        if (slots_[slot].hash == 0) {
            slots_[slot] = Slot{hash, row};
            return -1;
        }
    }
}

} // namespace importer
