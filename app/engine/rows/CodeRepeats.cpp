#include "engine/rows/CodeRepeats.h"

#include <QHash>

#include <algorithm>
#include <bit>

namespace importer {

CodeRepeats::CodeRepeats(int rowCount)
{
    const auto size = std::bit_ceil(std::max<std::size_t>(16, 2 * static_cast<std::size_t>(std::max(rowCount, 0))));
    slots_.assign(size, Slot{});
    mask_ = static_cast<std::uint32_t>(size - 1);
}

std::uint32_t CodeRepeats::hashOf(const QString& code)
{
    const auto hash = static_cast<std::uint32_t>(qHash(code));
    return hash == 0 ? 1 : hash; // 0 marks an empty slot
}

int CodeRepeats::earlierRow(std::uint32_t hash, int row)
{
    // Linear probing: the table is never more than half full, so an empty slot always comes.
    for (std::uint32_t slot = hash & mask_;; slot = (slot + 1) & mask_) {
        if (slots_[slot].hash == hash)
            return slots_[slot].row < row ? slots_[slot].row : -1;
        if (slots_[slot].hash == 0) {
            slots_[slot] = Slot{hash, row};
            return -1;
        }
    }
}

} // namespace importer
