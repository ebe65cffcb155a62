#!/usr/bin/python3
"""Compares the reader with python3-openpyxl (read-only mode) on every "must read" workbook of the shared .xlsx corpus: the sheets
(worksheets only, in order), each sheet's extents (up to the last cell holding a value) and every cell's text, with
openpyxl's values written by the reader's rules (general number format with 15 significant digits, dates as
yyyy-mm-dd[ hh:mm:ss], TRUE/FALSE, _xHHHH_ escapes decoded, which openpyxl's read-only mode leaves). Sheets are paired by name: the
reader leaves out macro and dialog sheets, which openpyxl lists. Prints the differences and a summary; writes
nothing into the project.

usage: compare_openpyxl.py PRODUCT_IMPORT_CLI CORPUS_FOLDER [--verbose]
"""
import datetime
import os
import re
import subprocess
import sys
import warnings

import openpyxl

warnings.simplefilter("ignore")
ESCAPE = re.compile("_x([0-9A-Fa-f]{4})_")


def verdicts(corpus):
    result = {}
    folder = None
    for line in open(os.path.join(corpus, "SOURCES.md"), encoding="utf-8"):
        m = re.search(r"Folder `([^`]+)/`", line)
        if m:
            folder = m.group(1)
            continue
        r = re.match(r"^\| ([^|]+?) \| \d+ \| [^|]* \| ([^|]+?) \|", line)
        if r and folder:
            result[os.path.join(folder, r.group(1))] = r.group(2)
    return result


def number_text(value):
    if value == 0:
        return "0"
    if value == int(value) and abs(value) < 1e15:
        return str(int(value))
    return ("%.15g" % value).replace("e", "E")


def text(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "TRUE" if value else "FALSE"
    if isinstance(value, (int, float)):
        return number_text(value)
    if isinstance(value, datetime.datetime):
        value = value + datetime.timedelta(microseconds=500000)
        value = value.replace(microsecond=0)
        if value.time() == datetime.time(0):
            return value.strftime("%Y-%m-%d")
        return value.strftime("%Y-%m-%d %H:%M:%S")
    if isinstance(value, datetime.date):
        return value.strftime("%Y-%m-%d")
    if isinstance(value, datetime.time):
        return value.strftime("%H:%M:%S")
    if isinstance(value, datetime.timedelta):
        seconds = round(value.total_seconds())
        return "%02d:%02d:%02d" % (seconds // 3600, seconds // 60 % 60, seconds % 60)
    return ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), str(value))


def tsv(value):
    return value.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


def openpyxl_sheets(path):
    # Read-only mode: the full mode empties cells in merged areas and puts a hyperlink's target into an empty
    # cell, neither of which the file holds.
    book = openpyxl.load_workbook(path, read_only=True, data_only=True)
    sheets = []
    for sheet in book.worksheets:
        sheet.reset_dimensions()  # the dimension element is often wrong; read what there is
        cells = {}
        for row in sheet.iter_rows():
            for cell in row:
                value = tsv(text(getattr(cell, "value", None)))
                if value != "":
                    cells[(cell.row - 1, cell.column - 1)] = value
        rows = max((r for r, _ in cells), default=-1) + 1
        columns = max((c for _, c in cells), default=-1) + 1
        sheets.append((sheet.title, rows, columns, cells))
    return sheets


def reader_sheets(cli, path):
    listing = subprocess.run([cli, "sheets", path], capture_output=True, text=True, check=True).stdout
    sheets = []
    for line in listing.splitlines():
        name, rows, columns = line.rsplit("\t", 2)
        raw = subprocess.run([cli, "preview", "--raw", "--sheet=" + name, path], capture_output=True, text=True,
                             check=True).stdout
        cells = {}
        for r, row in enumerate(raw.split("\n")[: int(rows)]):
            for c, value in enumerate(row.split("\t")):
                if value != "":
                    cells[(r, c)] = value
        sheets.append((name, int(rows), int(columns), cells))
    return sheets


def main():
    cli, corpus = sys.argv[1], sys.argv[2]
    verbose = "--verbose" in sys.argv[3:]
    files = sorted(p for p, v in verdicts(corpus).items() if v == "must read")
    same = differ = unreadable = 0
    for relative in files:
        path = os.path.join(corpus, relative)
        try:
            theirs = openpyxl_sheets(path)
        except Exception as error:  # openpyxl's own trouble: nothing to compare with
            unreadable += 1
            print("openpyxl cannot read %s: %s" % (relative, error))
            continue
        try:
            ours = reader_sheets(cli, path)
        except subprocess.CalledProcessError as error:
            differ += 1
            print("DIFF %s: the reader refused it: %s" % (relative, error.stderr.strip()))
            continue
        problems = []
        by_name = {s[0]: s for s in theirs}
        if [s[0] for s in ours] != [s[0] for s in theirs]:
            problems.append("sheets %s vs openpyxl %s" % ([s[0] for s in ours], [s[0] for s in theirs]))
        for mine in ours:
            other = by_name.get(mine[0])
            if other is None:
                continue
            # Extents up to the last cell with a value: the reader also counts cells holding empty text.
            extents = (max((r for r, _ in mine[3]), default=-1) + 1, max((c for _, c in mine[3]), default=-1) + 1)
            if extents != (other[1], other[2]):
                problems.append("%s: extents %dx%d vs openpyxl %dx%d" % (mine[0], extents[0], extents[1], other[1],
                                                                          other[2]))
            for key in sorted(set(mine[3]) | set(other[3])):
                a, b = mine[3].get(key, ""), other[3].get(key, "")
                if a != b:
                    problems.append("%s!R%dC%d: %r vs openpyxl %r" % (mine[0], key[0] + 1, key[1] + 1, a[:60], b[:60]))
        if problems:
            differ += 1
            print("DIFF %s: %d differences" % (relative, len(problems)))
            for problem in problems[: 50 if verbose else 3]:
                print("    " + problem)
        else:
            same += 1
    print("must read: %d files; the same as openpyxl: %d; different: %d; openpyxl cannot read: %d"
          % (len(files), same, differ, unreadable))


if __name__ == "__main__":
    main()
