#!/usr/bin/python3
"""Writes the CSV benchmark file: the header and ROWS products of the import benchmark's workbook (the same rows,
from the same seed), UTF-8 without a byte order mark, as spreadsheet programs and pandas write CSV.

usage: make_csv.py OUTPUT.csv [ROWS]   (ROWS defaults to 1000000)
"""
import csv
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "import"))
from make_workbook import HEADERS, product_rows  # noqa: E402


def main():
    output = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 1000000
    with open(output, "w", encoding="utf-8", newline="") as f:
        writer = csv.writer(f, lineterminator="\r\n")
        writer.writerow(HEADERS)
        for cells in product_rows(rows):
            writer.writerow(["" if c is None else c for c in cells])


if __name__ == "__main__":
    main()
