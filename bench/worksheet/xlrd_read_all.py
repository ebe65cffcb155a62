#!/usr/bin/python3
"""Opens a workbook with python3-xlrd and reads every cell of its first sheet, dates as date tuples; prints the
seconds it took (best of RUNS).

usage: xlrd_read_all.py WORKBOOK [RUNS]
"""
import sys
import time

import xlrd


def read_all(path):
    book = xlrd.open_workbook(path)
    sheet = book.sheet_by_index(0)
    count = 0
    for row in range(sheet.nrows):
        for column in range(sheet.ncols):
            cell = sheet.cell(row, column)
            if cell.ctype == xlrd.XL_CELL_DATE:
                xlrd.xldate_as_tuple(cell.value, book.datemode)
            count += 1
    return count


def main():
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    best = None
    for _ in range(runs):
        start = time.perf_counter()
        read_all(sys.argv[1])
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    print("%.6f" % best)


if __name__ == "__main__":
    main()
