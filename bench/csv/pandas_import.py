#!/usr/bin/python3
"""The yardstick of the CSV benchmark: pandas reads the CSV (every cell as text, as the import reads it) and writes
it into a fresh SQLite table with to_sql.

usage: pandas_import.py INPUT.csv OUTPUT.sqlite
"""
import sqlite3
import sys

import pandas


def main():
    frame = pandas.read_csv(sys.argv[1], dtype=str, keep_default_na=False)
    with sqlite3.connect(sys.argv[2]) as connection:
        frame.to_sql("products", connection, index=False, chunksize=10000)
    print(len(frame))


if __name__ == "__main__":
    main()
