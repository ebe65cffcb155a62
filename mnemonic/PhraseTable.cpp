// Looks phrases up in the generated index: one bit test for most characters, a short scan of one group otherwise.

#include "PhraseTable.h"

#include "PhraseIndex.h"

#include <bit>
#include <cstring>

namespace mnemonic {

PhraseMatch findPhrase(const unsigned char* text, qsizetype size)
{
    const unsigned lead = text[0];
    const unsigned trail = text[1];
    if (lead > kIndexLastLead || trail > kIndexLastTrail)
        return {};
    const unsigned code = (lead - kIndexFirstLead) * kIndexColumns + (trail - kIndexFirstTrail);
    const std::uint64_t word = PhraseStarts[code / 64];
    const std::uint64_t bit = std::uint64_t{1} << (code % 64);
    if ((word & bit) == 0)
        return {};

    const int group = PhraseStartRanks[code / 64] + std::popcount(word & (bit - 1));
    const unsigned char* record = PhraseRecords.data() + PhraseGroupOffsets[group];
    const unsigned char* const end = PhraseRecords.data() + PhraseGroupOffsets[group + 1];
    const qsizetype rest = size - 2;
    while (record < end) {
        const int characters = record[0] >> 4;
        const int changeCount = record[0] & 0x0F;
        const qsizetype restBytes = 2 * (characters - 1);
        const unsigned char* const changes = record + 1 + restBytes;
        if (restBytes <= rest && std::memcmp(record + 1, text + 2, static_cast<std::size_t>(restBytes)) == 0)
            return {characters, changes, changeCount};
        record = changes + 2 * changeCount;
    }
    return {};
}

} // namespace mnemonic
