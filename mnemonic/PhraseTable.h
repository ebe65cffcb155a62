#pragma once
// Phrase readings for the mnemonic codes under moPhrases: the longest phrase starting at a place in a GBK text, and
// the syllables that differ there from the characters read alone (人参 ren shen, where 参 alone reads can).

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

// The longest phrase that the size bytes at text begin with. The first two bytes are a double-byte character
// (lead 0x81 up, trail 0x40 up); the match points into the constant table, nothing is allocated.
PhraseMatch findPhrase(const unsigned char* text, qsizetype size);

} // namespace mnemonic
