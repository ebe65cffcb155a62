#pragma once
// Phrase readings for the mnemonic codes under moPhrases: the longest phrase starting at a place in a GBK text, and
// the syllables that differ there from the characters read alone (人参 ren shen, where 参 alone reads can). The
// lookup reads the generated tables of PhraseIndex.h: a pair filter, then the first character's phrases.

#include "mnemonic/PhraseIndex.h"

#include <QtGlobal>

#include <algorithm>

namespace mnemonic {

class PhraseMatch
{
public:
    PhraseMatch() = default;
    PhraseMatch(int characters, const unsigned char* changes, int changeCount)
        : changes_(changes), characters_(characters), changeCount_(changeCount)
    {
    }

    // Double-byte characters of the phrase; 0 when no phrase starts at the place.
    int characters() const { return characters_; }

    // The phrase's changes, in the order of their places.
    int changeCount() const { return changeCount_; }
    int changePlace(int change) const { return changes_[2 * change] >> 1; }
    int changeSyllable(int change) const { return (changes_[2 * change] & 1) << 8 | changes_[2 * change + 1]; }

private:
    // In this order the match takes 16 bytes and comes back from findPhraseBeginning in two registers.
    const unsigned char* changes_ = nullptr;
    int characters_ = 0;
    int changeCount_ = 0;
};

// Whether some phrase may begin with the four bytes at text: two bit tests, kept inline because most characters
// begin no phrase. The bytes need not form two characters; findPhraseBeginning checks the rest.
inline bool mayBeginPhrase(const unsigned char* text)
{
    const std::uint32_t fourBytes = std::uint32_t{text[0]} << 24 | std::uint32_t{text[1]} << 16 |
                                    std::uint32_t{text[2]} << 8 | std::uint32_t{text[3]};
    const auto [bit1, bit2] = pairFilterBits(fourBytes);
    return (PhrasePairFilter[bit1 / 64] >> (bit1 % 64) & PhrasePairFilter[bit2 / 64] >> (bit2 % 64) & 1) != 0;
}

// All of the lookup is inline: a call to it from the conversion's loop made the loop keep its state in memory rather
// than in registers, some 5% more time a name.

namespace phrasedetail {

inline bool isIndexed(unsigned lead, unsigned trail)
{
    return lead >= kIndexFirstLead && lead <= kIndexLastLead && trail >= kIndexFirstTrail && trail <= kIndexLastTrail;
}

inline unsigned indexPosition(unsigned lead, unsigned trail)
{
    return (lead - kIndexFirstLead) * kIndexColumns + (trail - kIndexFirstTrail);
}

// Bits set in a word. std::popcount becomes a library call where the target lacks the instruction (plain x86-64).
inline int bitsSet(std::uint64_t word)
{
    word -= (word >> 1) & 0x5555555555555555u;
    word = (word & 0x3333333333333333u) + ((word >> 2) & 0x3333333333333333u);
    word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((word * 0x0101010101010101u) >> 56);
}

// The entry equal to position among the count (at least one) ascending ones at seconds, or else another of them.
// Halving without branches: which half holds it cannot be foretold, and a wrong guess costs more than the steps.
inline const std::uint16_t* findSecond(const std::uint16_t* seconds, qsizetype count, unsigned position)
{
    while (count > 1) {
        const qsizetype half = count / 2;
        seconds = seconds[half] <= position ? seconds + half : seconds;
        count -= half;
    }
    return seconds;
}

inline bool sameBytes(const unsigned char* a, const unsigned char* b, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

} // namespace phrasedetail

// The rest of findPhrase, once mayBeginPhrase holds: the first character's group of pairs, the pair of the second
// character in it, and the first (longest) of the pair's phrases that the text goes on with.
inline PhraseMatch findPhraseBeginning(const unsigned char* text, qsizetype size)
{
    using namespace phrasedetail;
    if (!isIndexed(text[0], text[1]) || !isIndexed(text[2], text[3]))
        return {};
    const unsigned first = indexPosition(text[0], text[1]);
    const std::uint64_t word = PhraseStarts[first / 64];
    const std::uint64_t bit = std::uint64_t{1} << (first % 64);
    if ((word & bit) == 0)
        return {};
    const int group = PhraseStartRanks[first / 64] + bitsSet(word & (bit - 1));
    const unsigned secondPosition = indexPosition(text[2], text[3]);
    const std::uint16_t* const second =
        findSecond(PhraseSeconds.data() + PhraseGroupOffsets[group],
                   PhraseGroupOffsets[group + 1] - PhraseGroupOffsets[group], secondPosition);
    if (*second != secondPosition)
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

// Letters of a syllable number of the phrase data: 1..kSyllableCount from the list, above it the syllables that only
// the phrase data gives.
inline std::string_view phraseSyllableLetters(int number)
{
    return number <= kSyllableCount ? syllableLetters(number) : PhraseExtraSyllables[number - kSyllableCount - 1];
}

// The syllable number that the word list gives a character alone where the index has none (佛 fo), or 0. Called only
// for characters without a reading, so a search over the few of them costs the other characters nothing.
inline int characterAloneSyllable(unsigned lead, unsigned trail)
{
    if (!phrasedetail::isIndexed(lead, trail))
        return 0;
    const auto position = static_cast<std::uint16_t>(phrasedetail::indexPosition(lead, trail));
    const auto found = std::lower_bound(PhraseCharacterPositions.begin(), PhraseCharacterPositions.end(), position);
    if (found == PhraseCharacterPositions.end() || *found != position)
        return 0;
    return PhraseCharacterSyllables[static_cast<std::size_t>(found - PhraseCharacterPositions.begin())];
}

// The longest phrase that the size bytes at text begin with. The first two bytes are a double-byte character (lead
// 0x81 up, trail 0x40 up); the match points into the constant table, nothing is allocated.
inline PhraseMatch findPhrase(const unsigned char* text, qsizetype size)
{
    // No test of the next lead byte first: the filter turns away nearly all that are not one, and the test cost more
    // than it saved.
    if (size < 4 || !mayBeginPhrase(text))
        return {};
    return findPhraseBeginning(text, size);
}

} // namespace mnemonic
