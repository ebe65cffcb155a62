#!/usr/bin/python3
"""How far the mnemonic codes agree with the codes pharmacies type, with and without phrase readings.

Runs the built product-import-cli (`mnemonic --options 2`, the default reading, and `--options 10`, phrase
readings) over:
- a TCM hospital pharmacy's own list: ../shared/real-lists/doctor_medicine-file.xls, sheet 饮片, columns 中文名称 and
  拼音简码 (513 herb pieces). The hospital's code is compared after removing its own marks (a leading "+" or "#",
  brackets); a code that the hospital extends with an alias's code (白果仁 BGRYXR, 银杏仁 after 白果仁) agrees when it
  begins with ours. The disagreements that are the hospital's own slips are named below with the reason;
- the common drug and herb names of bench/mnemonic/common-names.txt, each with the code a pharmacy types;
- every Chinese character of both lists read alone, for characters that give nothing or "?" under phrase readings.

    cmake --build build --target product-import-cli
    /usr/bin/python3 tools/phrase-index/measure_agreement.py [--cli PATH] [--workbook PATH] [--names PATH]

Reads the workbook with python3-xlrd (scripts/setup --tools). Prints the figures; exit status 0 unless a file is
missing.
"""

import argparse
import pathlib
import re
import subprocess
import sys
import unicodedata

ROOT = pathlib.Path(__file__).resolve().parents[2]
DEFAULT_READING = 2  # moMarkMissing, as the import calls it
PHRASE_READING = 2 | 8  # and moPhrases

# Where the hospital's code is its own slip, with the reason (its other codes show the reading it meant).
HOSPITAL_SLIPS = {
    "茺蔚子": "蔚 reads wei in this herb's name (chong wei zi); the hospital typed Y",
    "麸炒苍术": "CCZ is the code of 炒苍术: 麸炒 is FC, as in its own 麸炒白术 FCBZ",
    "姜炭": "PJT is the code of 炮姜炭, not of 姜炭",
    "椒目": "a C that the name does not have",
    "瞿麦": "the code of its other name 巨麦 (JM) stands first, before QM",
    "土炒白术": "术 reads zhu in 白术, as in its own 生白术 SBZ and 焦白术 JBZ",
    "南沙参": "参 reads shen, as in its own 北沙参 BSS",
    "茜草": "an H that the name does not have",
    "麦冬": "an M too many",
    "黄芪": "an S (生) that the name does not have",
    "#筒装西洋参": "参 reads shen, as in its own 西洋参 XYS",
}


def hospital_code(code):
    """The hospital's code without its own marks: a leading + or #, and brackets."""
    return re.sub(r"[()（）\[\]【】]", "", code.strip().lstrip("+#")).upper()


def agrees(theirs, ours):
    return bool(ours) and (theirs == ours or theirs.startswith(ours))


def read_hospital(path):
    import xlrd  # Debian's python3-xlrd

    sheet = xlrd.open_workbook(str(path)).sheet_by_name("饮片")
    for header in range(sheet.nrows):
        values = [str(v).strip() for v in sheet.row_values(header)]
        if "中文名称" in values and "拼音简码" in values:
            break
    else:
        sys.exit(f"{path}: no header row with 中文名称 and 拼音简码")
    name_column, code_column = values.index("中文名称"), values.index("拼音简码")
    rows = []
    for row in range(header + 1, sheet.nrows):
        name, code = str(sheet.cell_value(row, name_column)).strip(), str(sheet.cell_value(row, code_column)).strip()
        if name and code:
            rows.append((name, code))
    return rows


def read_names(path):
    rows = []
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.startswith("#"):
            name, code = line.split("\t")
            rows.append((name.strip(), code.strip()))
    return rows


def codes(cli, texts, options):
    result = subprocess.run([str(cli), "mnemonic", "--options", str(options), "-"], input="\n".join(texts) + "\n",
                            capture_output=True, text=True, check=True)
    lines = result.stdout.split("\n")
    if len(lines) < len(texts):
        sys.exit(f"{cli} gave {len(lines)} codes for {len(texts)} texts")
    return lines[:len(texts)]


def percent(part, whole):
    return f"{part}/{whole} ({100.0 * part / whole:.1f}%)"


def measure_hospital(cli, rows):
    names = [name for name, _ in rows]
    print(f"hospital pharmacy's codes ({len(rows)} herb pieces, sheet 饮片, column 拼音简码):")
    for label, options in (("default reading", DEFAULT_READING), ("phrase readings", PHRASE_READING)):
        ours = codes(cli, names, options)
        wrong = [(name, code, mine) for (name, code), mine in zip(rows, ours) if not agrees(hospital_code(code), mine)]
        slips = [w for w in wrong if w[0] in HOSPITAL_SLIPS]
        print(f"  {label:<16} (--options {options:>2}): agree {percent(len(rows) - len(wrong), len(rows))}; "
              f"of the {len(wrong)} others {len(slips)} are the hospital's slips")
        if options == PHRASE_READING:
            for name, code, mine in wrong:
                why = HOSPITAL_SLIPS.get(name)
                print(f"    {name} hospital {code}, ours {mine}: " + (f"hospital's slip: {why}" if why else "OURS"))


def measure_names(cli, rows):
    names = [name for name, _ in rows]
    print(f"common drug and herb names ({len(rows)}, bench/mnemonic/common-names.txt):")
    for label, options in (("default reading", DEFAULT_READING), ("phrase readings", PHRASE_READING)):
        ours = codes(cli, names, options)
        wrong = [(name, code, mine) for (name, code), mine in zip(rows, ours) if mine != code]
        print(f"  {label:<16} (--options {options:>2}): agree {percent(len(rows) - len(wrong), len(rows))}")
        if options == PHRASE_READING:
            for name, code, mine in wrong:
                print(f"    {name} expected {code}, ours {mine}")


def measure_characters(cli, names):
    characters = sorted({c for name in names for c in name if unicodedata.name(c, "").startswith("CJK")})
    dropped = [c for c, code in zip(characters, codes(cli, characters, 8)) if not code]
    marked = [c for c, code in zip(characters, codes(cli, characters, PHRASE_READING)) if "?" in code]
    unread = [c for c, code in zip(characters, codes(cli, characters, DEFAULT_READING)) if "?" in code]
    print(f"Chinese characters of both lists, each read alone ({len(characters)}):")
    print(f"  without a reading by default: {len(unread)} {''.join(unread)}")
    print(f"  under phrase readings, giving nothing (--options 8): {len(dropped)} {''.join(dropped)}; "
          f"giving \"?\" (--options 10): {len(marked)} {''.join(marked)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", type=pathlib.Path, default=ROOT / "build" / "bin" / "product-import-cli")
    parser.add_argument("--workbook", type=pathlib.Path,
                        default=ROOT.parent / "shared" / "real-lists" / "doctor_medicine-file.xls")
    parser.add_argument("--names", type=pathlib.Path, default=ROOT / "bench" / "mnemonic" / "common-names.txt")
    args = parser.parse_args()
    for path in (args.cli, args.workbook, args.names):
        if not path.exists():
            sys.exit(f"{path} not found (build product-import-cli; the workbook lies in ../shared/real-lists)")
    hospital = read_hospital(args.workbook)
    names = read_names(args.names)
    measure_hospital(args.cli, hospital)
    measure_names(args.cli, names)
    measure_characters(args.cli, [name for name, _ in hospital + names])


if __name__ == "__main__":
    main()
