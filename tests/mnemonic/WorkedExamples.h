#pragma once
// Product names and their mnemonic codes, shared by the tests of the conversion and of the command line.

#include "mnemonic/MnemonicCode.h"

#include <array>

namespace workedexamples {

struct Example
{
    const char* name;
    const char* text; // UTF-8
    int options;
    int maxLength;
    const char* code; // UTF-8
};

using namespace mnemonic;

inline constexpr std::array kExamples{
    Example{"initials", "中国", 0, 255, "ZG"},
    Example{"full pinyin", "中国", moFullPinyin, 255, "ZHONGGUO"},
    Example{"cut inside a syllable", "中国", moFullPinyin | moMarkMissing, 7, "ZHONGGU"},
    Example{"cut after a syllable", "中华人民共和国", moFullPinyin, 5, "ZHONG"},
    Example{"drug name initials", "阿司匹林肠溶片", moMarkMissing, 255, "ASPLCRP"},
    Example{"drug name full", "阿司匹林肠溶片", moFullPinyin, 255, "ASIPILINCHANGRONGPIAN"},
    Example{"ascii letters upper-cased", "Vc银翘片", moMarkMissing, 255, "VCYQP"},
    Example{"symbols dropped", "0.9%氯化钠注射液", moMarkMissing, 255, "09LHNZSY"},
    Example{"symbols kept", "0.9%氯化钠注射液", moKeepSymbols, 255, "0.9%LHNZSY"},
    Example{"space kept", "板蓝根颗粒 10g", moMarkMissing | moKeepSymbols, 255, "BLGKL 10G"},
    Example{"full-width brackets dropped", "（复方）甘草片", moMarkMissing, 255, "FFGCP"},
    Example{"full-width brackets kept", "（复方）甘草片", moKeepSymbols, 255, "(FF)GCP"},
    Example{"full-width capital and digit", "维生素Ｂ１", moMarkMissing, 255, "WSSB1"},
    Example{"full-width small letter keeps its case", "维生素ｃ", moMarkMissing, 255, "WSSc"},
    Example{"greek letter", "α-干扰素", moFullPinyin | moMarkMissing, 255, "AGANRAOSU"},
    Example{"roman numeral", "Ⅲ型", moMarkMissing, 255, "3X"},
    Example{"fo has no syllable, marked", "佛手", moMarkMissing, 255, "?S"},
    Example{"fo has no syllable", "佛手", 0, 255, "S"},
    Example{"symbol row marked", "【】", moMarkMissing, 255, "??"},
    Example{"u-umlaut as v", "绿", moFullPinyin, 255, "LV"},
    Example{"polyphone hang", "银行", moFullPinyin, 255, "YINHANG"},
    Example{"lue", "略", moFullPinyin, 255, "LUE"},
    Example{"gei has no syllable", "给药", moMarkMissing, 255, "?Y"},
    Example{"euro sign kept as itself", "€5", moKeepSymbols, 255, "€5"},
};

} // namespace workedexamples
