#!/usr/bin/python3
"""Writes mnemonic/GbkSyllableIndex.cpp: the pinyin syllable number of every GBK double-byte code.

Inputs are public data only: the Unihan reading fields shipped by Debian's unicode-data package and Python's gbk
codec. The syllable numbers are those of PinyinSyllables in mnemonic/PinyinTables.cpp, read from that file so the
two can never disagree. Run it again only when the rules below change; the build uses the committed output.

    /usr/bin/python3 tools/gbk-index/generate_gbk_index.py [--unihan PATH] [--output PATH]

Rules:
- Only the Chinese character areas get a reading: GB2312 levels 1 and 2, GBK/3 and GBK/4. Symbol rows, the
  user-defined areas, unassigned codes and column 0x7F stay 0.
- One toneless syllable of the list per character; u-umlaut is written v (lv, nv) but lue and nue stay as listed,
  and ju/qu/xu are used after j, q and x. A reading outside the list (fo, gei, ng, lia, ...) is not used; a character
  left with none stays 0.
- The reading is the customary one (kMandarin) unless the 2013 standard list (kTGHZ2013) no longer has it; then the
  standard reading that is most frequent in kHanyuPinlu, else the first standard one. Other readings (XHC1983,
  Hanyu Da Zidian) serve only characters that have neither.
- GB2312 level 1 is filed in pinyin order, so a level-1 character gets a reading that starts with the letter of its
  place; the places are worked out from the readings themselves.
- FIXED_READINGS below wins over everything: readings the conversion has always given for these characters.
"""

import argparse
import bz2
import pathlib
import re
import sys
import unicodedata

ROOT = pathlib.Path(__file__).resolve().parents[2]
SYLLABLE_SOURCE = ROOT / "mnemonic" / "PinyinTables.cpp"
DEFAULT_OUTPUT = ROOT / "mnemonic" / "GbkSyllableIndex.cpp"
UNIHAN_CANDIDATES = [
    pathlib.Path("/usr/share/unicode/Unihan_Readings.txt.bz2"),
    pathlib.Path("/usr/share/unicode-data/Unihan_Readings.txt.bz2"),
    pathlib.Path("/usr/share/unicode/Unihan_Readings.txt"),
]

FIRST_LEAD, LAST_LEAD, FIRST_TRAIL, LAST_TRAIL = 0x81, 0xFE, 0x40, 0xFE
COLUMNS = LAST_TRAIL - FIRST_TRAIL + 1

# Readings that do not follow from the rules: polyphones whose customary reading here differs from the place they
# are filed under or from today's first reading, and characters that have never had a reading in these codes.
# None means no reading.
FIXED_READINGS = {
    0xD0D0: "hang",   # 行
    0xB3A4: "zhang",  # 长
    0xD6D8: "zhong",  # 重
    0xC0D6: "le",     # 乐
    0xBBB9: "huan",   # 还
    0xC1CB: "le",     # 了
    0xD7C5: "zhe",    # 着
    0xBEF5: "jiao",   # 觉
    0xB6BC: "dou",    # 都
    0xD4F8: "ceng",   # 曾
    0xB2CE: "can",    # 参
    0xCAF5: "shu",    # 术
    0xB1A1: "bao",    # 薄
    0xB0D8: "bai",    # 柏
    0xC6D3: "pu",     # 朴
    0xBFC7: "ke",     # 壳
    0xC2CA: "lv",     # 率
    0xC2CC: "lv",     # 绿
    0xC5AE: "nv",     # 女
    0xC2D4: "lue",    # 略
    0xD6D0: "zhong",  # 中
    0xB9FA: "guo",    # 国
    0xC1A9: "liang",  # 俩: lia is never used
    0xB7F0: None,     # 佛: fo is not in the list
    0xB8F8: None,     # 给: gei is not in the list
    0xF7D4: None,     # 髟
}

AREAS = [
    # name, leads, trails, target count of entries with a reading
    ("GB2312 level 1", range(0xB0, 0xD8), range(0xA1, 0xFF), 3753),
    ("GB2312 level 2", range(0xD8, 0xF8), range(0xA1, 0xFF), 3007),
    ("GBK/3", range(0x81, 0xA1), range(0x40, 0xFF), 5988),
    ("GBK/4", range(0xAA, 0xFF), range(0x40, 0xA1), 7997),
]
LEVEL1 = AREAS[0][0]


def read_syllables():
    text = SYLLABLE_SOURCE.read_text(encoding="utf-8")
    block = re.search(r"PinyinSyllables\{(.*?)\n\};", text, re.S)
    if not block:
        sys.exit(f"cannot find PinyinSyllables in {SYLLABLE_SOURCE}")
    body = re.sub(r"/\*.*?\*/", "", block.group(1))
    syllables = re.findall(r'"([a-z]*)"', body)
    if len(syllables) != 405:
        sys.exit(f"PinyinSyllables has {len(syllables)} entries, expected 405")
    return syllables


def read_unihan(path):
    opener = bz2.open if path.suffix == ".bz2" else open
    fields = {}
    with opener(path, "rt", encoding="utf-8") as lines:
        for line in lines:
            if not line.startswith("U+"):
                continue
            code, field, value = line.rstrip("\n").split("\t", 2)
            fields.setdefault(int(code[2:], 16), {})[field] = value
    return fields


def toneless(reading):
    """Lower-case toneless letters with u-umlaut as v, or None for a reading that has no plain form (e-circumflex)."""
    decomposed = unicodedata.normalize("NFD", reading.strip().lower())
    letters = []
    for ch in decomposed:
        if ch == "\u0308":  # diaeresis: u-umlaut
            if not letters or letters[-1] != "u":
                return None
            letters[-1] = "v"
        elif ch == "\u0302":  # circumflex: e-circumflex has no syllable in the list
            return None
        elif unicodedata.category(ch) == "Mn":
            continue
        elif "a" <= ch <= "z":
            letters.append(ch)
        else:
            return None
    syllable = "".join(letters)
    if syllable in ("lve", "nve"):
        return syllable.replace("v", "u")
    if syllable[:2] in ("jv", "qv", "xv"):
        return syllable.replace("v", "u")
    return syllable


def reading_lists(entry):
    """(customary, standard by preference, others) toneless readings of one Unihan entry."""
    customary = toneless(entry["kMandarin"].split()[0]) if "kMandarin" in entry else None
    standard = []
    for item in entry.get("kTGHZ2013", "").split():
        for reading in item.split(":", 1)[1].split(","):
            syllable = toneless(reading)
            if syllable and syllable not in standard:
                standard.append(syllable)
    frequency = {}
    for item in entry.get("kHanyuPinlu", "").split():
        match = re.fullmatch(r"(.+)\((\d+)\)", item)
        if match:
            syllable = toneless(match.group(1))
            frequency[syllable] = frequency.get(syllable, 0) + int(match.group(2))
    standard.sort(key=lambda s: -frequency.get(s, 0))  # stable: page order among the unrated
    others = []
    for field in ("kHanyuPinlu", "kXHC1983", "kHanyuPinyin"):
        for item in entry.get(field, "").split():
            item = re.sub(r"\(\d+\)$", "", item)
            for reading in item.split(":")[-1].split(","):
                syllable = toneless(reading)
                if syllable and syllable not in others:
                    others.append(syllable)
    return customary, standard, others


def candidates(char, unihan, numbers):
    """Usable syllables of a character, best first."""
    entry = unihan.get(ord(char), {})
    decomposed = unicodedata.normalize("NFD", char)
    if "kMandarin" not in entry and len(decomposed) == 1 and decomposed != char:
        entry = unihan.get(ord(decomposed), {})  # a compatibility ideograph reads like the one it stands for
    customary, standard, others = reading_lists(entry)
    ordered = []
    if customary and (not standard or customary in standard):
        ordered.append(customary)
    ordered += standard
    if customary:
        ordered.append(customary)
    ordered += others
    result = []
    for syllable in ordered:
        if syllable in numbers and syllable not in result:
            result.append(syllable)
    return result


def level1_place_letters(chars):
    """First letter of each level-1 character's place in the pinyin filing order.

    The filing order is non-decreasing in the first letter, so pick, by dynamic programming, the non-decreasing
    sequence of letters that agrees with the most characters' readings."""
    letters = [chr(c) for c in range(ord("a"), ord("z") + 1)]
    best = [0] * 26  # best[i]: most agreements with the sequence so far ending in letters[i]
    choice = []
    for _, options in chars:
        options = {syllable[0] for syllable in options}
        new_best, back, running, running_at = [0] * 26, [0] * 26, -1, 0
        for i, letter in enumerate(letters):
            if best[i] > running:
                running, running_at = best[i], i
            new_best[i] = running + (1 if letter in options else 0)
            back[i] = running_at
        choice.append(back)
        best = new_best
    i = max(range(26), key=lambda k: best[k])
    places = []
    for back in reversed(choice):
        places.append(letters[i])
        i = back[i]
    return list(reversed(places))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--unihan", type=pathlib.Path, help="Unihan_Readings.txt(.bz2)")
    parser.add_argument("--output", type=pathlib.Path, default=DEFAULT_OUTPUT)
    args = parser.parse_args()
    unihan_path = args.unihan or next((p for p in UNIHAN_CANDIDATES if p.exists()), None)
    if unihan_path is None:
        sys.exit("Unihan_Readings.txt.bz2 not found: install Debian's unicode-data or pass --unihan")

    syllables = read_syllables()
    # The first number of a syllable; the empty entry and lia are never used, nor the jv/qv/xv forms.
    numbers = {}
    for number, syllable in enumerate(syllables, start=1):
        if syllable and syllable not in ("lia", "jv", "qv", "xv"):
            numbers.setdefault(syllable, number)
    unihan = read_unihan(unihan_path)

    table = [0] * ((LAST_LEAD - FIRST_LEAD + 1) * COLUMNS)
    unread = {}
    for name, leads, trails, _ in AREAS:
        chars = []
        for lead in leads:
            for trail in trails:
                if trail == 0x7F:
                    continue
                code = lead << 8 | trail
                try:
                    char = bytes([lead, trail]).decode("gbk")
                except UnicodeDecodeError:
                    continue  # unassigned: D7FA-D7FE, FE50-FEA0
                if not unicodedata.name(char, "").startswith("CJK"):
                    continue
                chars.append((code, candidates(char, unihan, numbers)))
        places = level1_place_letters(chars) if name == LEVEL1 else [None] * len(chars)
        for (code, options), place in zip(chars, places):
            if place:
                options = [s for s in options if s[0] == place]
            syllable = FIXED_READINGS[code] if code in FIXED_READINGS else (options[0] if options else None)
            index = ((code >> 8) - FIRST_LEAD) * COLUMNS + (code & 0xFF) - FIRST_TRAIL
            table[index] = numbers[syllable] if syllable else 0
            if not syllable:
                unread.setdefault(name, []).append(code)

    print("GBK area            entries with a reading  (expected)")
    ok = True
    for name, leads, trails, target in AREAS:
        count = sum(1 for lead in leads for trail in trails
                    if table[(lead - FIRST_LEAD) * COLUMNS + trail - FIRST_TRAIL])
        print(f"{name:18}  {count:22,}  ({target:,})")
        if name.startswith("GB2312") and count != target:
            ok = False
    print(f"{'all':18}  {sum(1 for n in table if n):22,}  (20,745)")
    for name, codes in unread.items():
        shown = " ".join(f"{c:04X}" for c in codes[:40])
        print(f"no reading in {name}: {len(codes)}: {shown}{' ...' if len(codes) > 40 else ''}")
    if not ok:
        sys.exit("the GB2312 counts differ from the expected ones: output not written")
    write_table(args.output, table, unihan_path)
    print(f"wrote {args.output}")


def write_table(path, table, unihan_path):
    out = [
        "// Pinyin syllable number (PinyinSyllables) of every GBK double-byte code; 0 = no reading.",
        "// Generated by tools/gbk-index/generate_gbk_index.py from " + unihan_path.name + ": do not edit.",
        "",
        '#include "PinyinTables.h"',
        "",
        "namespace mnemonic {",
        "",
        "// One row of 191 entries per lead byte 0x81-0xFE, columns for trail bytes 0x40-0xFE.",
        "// clang-format off",
        "const std::array<std::uint16_t, kIndexRows * kIndexColumns> GbkSyllableIndex{",
    ]
    for row in range(LAST_LEAD - FIRST_LEAD + 1):
        out.append(f"    // lead 0x{row + FIRST_LEAD:02X}")
        values = table[row * COLUMNS:(row + 1) * COLUMNS]
        for start in range(0, COLUMNS, 16):
            out.append("    " + " ".join(f"{v}," for v in values[start:start + 16]))
    out += ["};", "// clang-format on", "", "} // namespace mnemonic", ""]
    path.write_text("\n".join(out), encoding="utf-8")


if __name__ == "__main__":
    main()
