#pragma once
// The generated phrase data behind moPhrases (PhraseIndex.cpp, written by tools/phrase-index). PhraseTable reads it;
// the layout is described in the generator.

#include "PinyinTables.h"

#include <array>
#include <cstdint>
#include <span>

namespace mnemonic {

inline constexpr int kPhraseStartWords = (kIndexRows * kIndexColumns + 63) / 64;

// Bit (code % 64) of word (code / 64) is set where a phrase begins with the character of index position code.
extern const std::array<std::uint64_t, kPhraseStartWords> PhraseStarts;
// Bits set in the words before each word: a character's group number is its rank among the set bits.
extern const std::array<std::uint16_t, kPhraseStartWords> PhraseStartRanks;
// Start of each group in PhraseRecords, and one more for the end of the last.
extern const std::span<const std::uint16_t> PhraseGroupOffsets;
// Per record: characters << 4 | changed places, the GBK bytes after the first character, then per changed place
// place << 9 | syllable number in two bytes, big-endian. Longer phrases first within a group.
extern const std::span<const unsigned char> PhraseRecords;

} // namespace mnemonic
