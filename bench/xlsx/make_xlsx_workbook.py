#!/usr/bin/python3
"""Writes the .xlsx benchmark workbook with python3-openpyxl (write-only mode, shared strings): a header and ROWS
products with the nine product columns of the import benchmark's workbook (the same rows, from the same seed) and a
tenth column of dates, "入库日期".

usage: make_xlsx_workbook.py OUTPUT.xlsx [ROWS]   (ROWS defaults to 65535)
"""
import datetime
import os
import sys

from openpyxl import Workbook
from openpyxl.cell import WriteOnlyCell

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "import"))
from make_workbook import HEADERS, product_rows  # noqa: E402


def main():
    output = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 65535
    book = Workbook(write_only=True)
    sheet = book.create_sheet("Sheet1")
    sheet.append(HEADERS + ["入库日期"])
    first_day = datetime.date(2020, 1, 1)
    for r, cells in enumerate(product_rows(rows), start=1):
        date = WriteOnlyCell(sheet, value=first_day + datetime.timedelta(days=r % 1500))
        date.number_format = "yyyy-mm-dd"
        sheet.append(cells + [date])
    book.save(output)


if __name__ == "__main__":
    main()
