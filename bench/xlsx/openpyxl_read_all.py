#!/usr/bin/python3
"""Opens a workbook with python3-openpyxl in read-only mode and reads every cell's value of its first sheet (dates
come out as datetime objects, numbers and texts as they are: no text is made, which is less work than the reader
does); prints the seconds it took (best of RUNS) and its peak resident set in KB.

usage: openpyxl_read_all.py WORKBOOK [RUNS]
"""
import resource
import sys
import time

import openpyxl


def read_all(path):
    book = openpyxl.load_workbook(path, read_only=True, data_only=True)
    sheet = book.worksheets[0]
    count = 0
    for row in sheet.iter_rows(values_only=True):
        count += len(row)
    book.close()
    return count


def main():
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    best = None
    for _ in range(runs):
        start = time.perf_counter()
        read_all(sys.argv[1])
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    print("%.6f %d" % (best, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss))


if __name__ == "__main__":
    main()
