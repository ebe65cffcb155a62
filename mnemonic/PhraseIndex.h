#pragma once
// The generated phrase data behind moPhrases (PhraseIndex.cpp, written by tools/phrase-index). PhraseTable reads it;
// the layout is described in the generator.

#include "mnemonic/PinyinTables.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

namespace mnemonic {

inline constexpr int kPhraseStartWords = (kIndexRows * kIndexColumns + 63) / 64;
inline constexpr int kPhrasePairFilterWords = 512;

// The two bits of PhrasePairFilter for four bytes of text (two double-byte characters), as one big-endian number:
// the top 15 bits of one product and the 15 below them.
inline constexpr std::pair<unsigned, unsigned> pairFilterBits(std::uint32_t fourBytes)
{
    const std::uint64_t product = fourBytes * 0x9E3779B97F4A7C15u;
    return {static_cast<unsigned>(product >> 49), static_cast<unsigned>(product >> 34) & 0x7FFFu};
}

// Set at both pairFilterBits of the first two characters of every phrase: four bytes with a bit clear begin none.
extern const std::array<std::uint64_t, kPhrasePairFilterWords> PhrasePairFilter;

// Bit (code % 64) of word (code / 64) is set where a phrase begins with the character of index position code.
extern const std::array<std::uint64_t, kPhraseStartWords> PhraseStarts;
// Bits set in the words before each word: a character's group number is its rank among the set bits.
extern const std::array<std::uint16_t, kPhraseStartWords> PhraseStartRanks;
// Start of each first character's pairs in PhraseSeconds, and one more for the end of the last.
extern const std::span<const std::uint16_t> PhraseGroupOffsets;
// Index position of each pair's second character, ascending within a first character's pairs.
extern const std::span<const std::uint16_t> PhraseSeconds;
// Start of each pair's records in PhraseRecords, and one more for the end of the last.
extern const std::span<const std::uint16_t> PhrasePairOffsets;
// Per record: characters << 4 | changed places, the GBK bytes after the second character, then per changed place
// place << 9 | syllable number in two bytes, big-endian. Longer phrases first within a pair.
extern const std::span<const unsigned char> PhraseRecords;

// Letters of the syllables that the list lacks (fo, gei, ...), numbered from kSyllableCount + 1 on: the phrase
// readings alone give them; the per-character index keeps its numbers.
extern const std::span<const std::string_view> PhraseExtraSyllables;
// Index positions (ascending) of the characters that the index leaves without a reading but the word list reads alone
// (佛 fo, 给 gei), and their syllable numbers: under moPhrases such a character gives its letters, never nothing.
extern const std::span<const std::uint16_t> PhraseCharacterPositions;
extern const std::span<const std::uint16_t> PhraseCharacterSyllables;

} // namespace mnemonic
