#pragma once
// The constant tables behind the mnemonic codes: the numbered pinyin syllables, the syllable number of every GBK
// double-byte code, and the readings of the numbered forms in row A2 and the Greek letters in row A6.

#include <array>
#include <cstdint>
#include <string_view>

namespace mnemonic {

inline constexpr int kSyllableCount = 405;
inline constexpr int kIndexFirstLead = 0x81;
inline constexpr int kIndexLastLead = 0xFE;
inline constexpr int kIndexFirstTrail = 0x40;
inline constexpr int kIndexLastTrail = 0xFE;
inline constexpr int kIndexRows = kIndexLastLead - kIndexFirstLead + 1;      // 126
inline constexpr int kIndexColumns = kIndexLastTrail - kIndexFirstTrail + 1; // 191
inline constexpr int kNumberSignFirstTrail = 0xA1;
inline constexpr int kGreekLetterCount = 24;

// Syllable k (1..405) at [k - 1]: lower-case letters, ü written v. Entry 394 is empty. The order is the one the
// index refers to, so it must never be sorted or deduplicated.
extern const std::array<std::string_view, kSyllableCount> PinyinSyllables;

// Syllable number (0 = no reading) of code (lead, trail) at (lead - 0x81) * 191 + (trail - 0x40). Generated from
// public character data by tools/gbk-index; see GbkSyllableIndex.cpp.
extern const std::array<std::uint16_t, kIndexRows * kIndexColumns> GbkSyllableIndex;

// Digits of the row-A2 code with trail byte 0xA1 + i at [i]; empty where GBK has no numbered form.
extern const std::array<std::string_view, 94> NumberSignTexts;

// Latin name of Greek letter k (1 = alpha .. 24 = omega) at [k - 1]; capitals and small letters share it.
extern const std::array<std::string_view, kGreekLetterCount> GreekLetterNames;

// Lead 0x81-0xFE, trail 0x40-0xFE; callers check the ranges.
inline int syllableNumber(unsigned lead, unsigned trail)
{
    return GbkSyllableIndex[(lead - kIndexFirstLead) * kIndexColumns + (trail - kIndexFirstTrail)];
}

// Number 1..405.
inline std::string_view syllableLetters(int number)
{
    return PinyinSyllables[number - 1];
}

} // namespace mnemonic
