// Looks phrases up in the generated index: after the pair filter of mayBeginPhrase, a bit test for the first
// character, a short search among the second characters of its phrases and a comparison of the few phrases of that
// pair.

#include "PhraseTable.h"

#include <algorithm>

namespace mnemonic {
namespace {

bool isIndexed(unsigned lead, unsigned trail)
{
    return lead >= kIndexFirstLead && lead <= kIndexLastLead && trail >= kIndexFirstTrail && trail <= kIndexLastTrail;
}

unsigned indexPosition(unsigned lead, unsigned trail)
{
    return (lead - kIndexFirstLead) * kIndexColumns + (trail - kIndexFirstTrail);
}

// Bits set in a word. std::popcount becomes a library call where the target lacks the instruction (plain x86-64).
int bitsSet(std::uint64_t word)
{
    word -= (word >> 1) & 0x5555555555555555u;
    word = (word & 0x3333333333333333u) + ((word >> 2) & 0x3333333333333333u);
    word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((word * 0x0101010101010101u) >> 56);
}

bool sameBytes(const unsigned char* a, const unsigned char* b, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

} // namespace

PhraseMatch findPhraseBeginning(const unsigned char* text, qsizetype size)
{
    if (!isIndexed(text[0], text[1]) || !isIndexed(text[2], text[3]))
        return {};
    const unsigned first = indexPosition(text[0], text[1]);
    const std::uint64_t word = PhraseStarts[first / 64];
    const std::uint64_t bit = std::uint64_t{1} << (first % 64);
    if ((word & bit) == 0)
        return {};
    const int group = PhraseStartRanks[first / 64] + bitsSet(word & (bit - 1));
    const std::uint16_t* const secondsEnd = PhraseSeconds.data() + PhraseGroupOffsets[group + 1];
    const unsigned secondPosition = indexPosition(text[2], text[3]);
    const std::uint16_t* const second =
        std::lower_bound(PhraseSeconds.data() + PhraseGroupOffsets[group], secondsEnd, secondPosition);
    if (second == secondsEnd || *second != secondPosition)
        return {};

    const auto pair = second - PhraseSeconds.data();
    const unsigned char* record = PhraseRecords.data() + PhrasePairOffsets[pair];
    const unsigned char* const end = PhraseRecords.data() + PhrasePairOffsets[pair + 1];
    while (record < end) {
        const int characters = record[0] >> 4;
        const int changeCount = record[0] & 0x0F;
        const qsizetype restBytes = 2 * (characters - 2);
        const unsigned char* const changes = record + 1 + restBytes;
        if (restBytes <= size - 4 && sameBytes(record + 1, text + 4, restBytes))
            return {characters, changes, changeCount};
        record = changes + 2 * changeCount;
    }
    return {};
}

} // namespace mnemonic
