// The syllable list and the two small symbol tables of the mnemonic codes.

#include "mnemonic/PinyinTables.h"

namespace mnemonic {

// clang-format off
// Alphabetical, except that fu precedes fou, ji stands after ge, qiao after jiang and yao after nue; 394 is empty
// and 395-405 were added at the end. GbkSyllableIndex refers to these numbers.
const std::array<std::string_view, kSyllableCount> PinyinSyllables{
    /*   1 */ "a", "ai", "an", "ang", "ao", "ba", "bai", "ban", "bang", "bao",
    /*  11 */ "bei", "ben", "beng", "bi", "bian", "biao", "bie", "bin", "bing", "bo",
    /*  21 */ "bu", "ca", "cai", "can", "cang", "cao", "ce", "ceng", "cha", "chai",
    /*  31 */ "chan", "chang", "chao", "che", "chen", "cheng", "chi", "chong", "chou", "chu",
    /*  41 */ "chuai", "chuan", "chuang", "chui", "chun", "chuo", "ci", "cong", "cou", "cu",
    /*  51 */ "cuan", "cui", "cun", "cuo", "da", "dai", "dan", "dang", "dao", "de",
    /*  61 */ "deng", "di", "dian", "diao", "die", "ding", "diu", "dong", "dou", "du",
    /*  71 */ "duan", "dui", "dun", "duo", "e", "en", "er", "fa", "fan", "fang",
    /*  81 */ "fei", "fen", "feng", "fu", "fou", "ga", "gai", "gan", "gang", "gao",
    /*  91 */ "ge", "ji", "gen", "geng", "gong", "gou", "gu", "gua", "guai", "guan",
    /* 101 */ "guang", "gui", "gun", "guo", "ha", "hai", "han", "hang", "hao", "he",
    /* 111 */ "hei", "hen", "heng", "hong", "hou", "hu", "hua", "huai", "huan", "huang",
    /* 121 */ "hui", "hun", "huo", "jia", "jian", "jiang", "qiao", "jiao", "jie", "jin",
    /* 131 */ "jing", "jiong", "jiu", "ju", "juan", "jue", "jun", "ka", "kai", "kan",
    /* 141 */ "kang", "kao", "ke", "ken", "keng", "kong", "kou", "ku", "kua", "kuai",
    /* 151 */ "kuan", "kuang", "kui", "kun", "kuo", "la", "lai", "lan", "lang", "lao",
    /* 161 */ "le", "lei", "leng", "li", "lia", "lian", "liang", "liao", "lie", "lin",
    /* 171 */ "ling", "liu", "long", "lou", "lu", "luan", "lue", "lun", "luo", "ma",
    /* 181 */ "mai", "man", "mang", "mao", "me", "mei", "men", "meng", "mi", "mian",
    /* 191 */ "miao", "mie", "min", "ming", "miu", "mo", "mou", "mu", "na", "nai",
    /* 201 */ "nan", "nang", "nao", "ne", "nei", "nen", "neng", "ni", "nian", "niang",
    /* 211 */ "niao", "nie", "nin", "ning", "niu", "nong", "nu", "nuan", "nue", "yao",
    /* 221 */ "nuo", "o", "ou", "pa", "pai", "pan", "pang", "pao", "pei", "pen",
    /* 231 */ "peng", "pi", "pian", "piao", "pie", "pin", "ping", "po", "pou", "pu",
    /* 241 */ "qi", "qia", "qian", "qiang", "qie", "qin", "qing", "qiong", "qiu", "qu",
    /* 251 */ "quan", "que", "qun", "ran", "rang", "rao", "re", "ren", "reng", "ri",
    /* 261 */ "rong", "rou", "ru", "ruan", "rui", "run", "ruo", "sa", "sai", "san",
    /* 271 */ "sang", "sao", "se", "sen", "seng", "sha", "shai", "shan", "shang", "shao",
    /* 281 */ "she", "shen", "sheng", "shi", "shou", "shu", "shua", "shuai", "shuan", "shuang",
    /* 291 */ "shui", "shun", "shuo", "si", "song", "sou", "su", "suan", "sui", "sun",
    /* 301 */ "suo", "ta", "tai", "tan", "tang", "tao", "te", "teng", "ti", "tian",
    /* 311 */ "tiao", "tie", "ting", "tong", "tou", "tu", "tuan", "tui", "tun", "tuo",
    /* 321 */ "wa", "wai", "wan", "wang", "wei", "wen", "weng", "wo", "wu", "xi",
    /* 331 */ "xia", "xian", "xiang", "xiao", "xie", "xin", "xing", "xiong", "xiu", "xu",
    /* 341 */ "xuan", "xue", "xun", "ya", "yan", "yang", "ye", "yi", "yin", "ying",
    /* 351 */ "yo", "yong", "you", "yu", "yuan", "yue", "yun", "za", "zai", "zan",
    /* 361 */ "zang", "zao", "ze", "zei", "zen", "zeng", "zha", "zhai", "zhan", "zhang",
    /* 371 */ "zhao", "zhe", "zhen", "zheng", "zhi", "zhong", "zhou", "zhu", "zhua", "zhuai",
    /* 381 */ "zhuan", "zhuang", "zhui", "zhun", "zhuo", "zi", "zong", "zou", "zu", "zuan",
    /* 391 */ "zui", "zun", "zuo", "", "ei", "m", "n", "dia", "cen", "nou",
    /* 401 */ "jv", "qv", "xv", "lv", "nv",
};

const std::array<std::string_view, 94> NumberSignTexts{
    // A2A1-A2AA: small Roman numerals i to x
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
    // A2AB-A2B0: unassigned
    "", "", "", "", "", "",
    // A2B1-A2C4: numbers with a full stop 1. to 20.
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
    "11", "12", "13", "14", "15", "16", "17", "18", "19", "20",
    // A2C5-A2D8: parenthesized numbers (1) to (20)
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
    "11", "12", "13", "14", "15", "16", "17", "18", "19", "20",
    // A2D9-A2E2: circled numbers 1 to 10
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
    // A2E3-A2E4: unassigned
    "", "",
    // A2E5-A2EE: parenthesized ideographs one to ten
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
    // A2EF-A2F0: unassigned
    "", "",
    // A2F1-A2FC: Roman numerals I to XII
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12",
    // A2FD-A2FE: unassigned
    "", "",
};

// Eta reads e like epsilon, omega o like omicron.
const std::array<std::string_view, kGreekLetterCount> GreekLetterNames{
    "a", "b",  "g", "d", "e", "z", "e", "th", "i", "k",  "l",  "m",
    "n", "x",  "o", "p", "r", "s", "t", "u",  "ph", "kh", "ps", "o",
};
// clang-format on

} // namespace mnemonic
