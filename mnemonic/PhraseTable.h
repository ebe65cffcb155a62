#pragma once
// Phrase readings for the mnemonic codes under moPhrases: the longest phrase starting at a place in a GBK text, and
// the syllables that differ there from the characters read alone (人参 ren shen, where 参 alone reads can).

#include "PhraseIndex.h"

#include <QtGlobal>

namespace mnemonic {

class PhraseMatch
{
public:
    PhraseMatch() = default;
    PhraseMatch(int characters, const unsigned char* changes, int changeCount)
        : m_characters(characters), m_changes(changes), m_changeCount(changeCount)
    {
    }

    // Double-byte characters of the phrase; 0 when no phrase starts at the place.
    int characters() const { return m_characters; }

    // The phrase's changes, in the order of their places.
    int changeCount() const { return m_changeCount; }
    int changePlace(int change) const { return m_changes[2 * change] >> 1; }
    int changeSyllable(int change) const { return (m_changes[2 * change] & 1) << 8 | m_changes[2 * change + 1]; }

private:
    int m_characters = 0;
    const unsigned char* m_changes = nullptr;
    int m_changeCount = 0;
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

// The rest of findPhrase, once mayBeginPhrase holds.
PhraseMatch findPhraseBeginning(const unsigned char* text, qsizetype size);

// The longest phrase that the size bytes at text begin with. The first two bytes are a double-byte character (lead
// 0x81 up, trail 0x40 up); the match points into the constant table, nothing is allocated.
inline PhraseMatch findPhrase(const unsigned char* text, qsizetype size)
{
    if (size < 4 || text[2] < kIndexFirstLead || !mayBeginPhrase(text))
        return {};
    return findPhraseBeginning(text, size);
}

} // namespace mnemonic
