#!/usr/bin/python3
"""Writes the benchmark workbook: ROWS rows (header included) of nine product columns, one of them dates.

usage: make_bench_workbook.py OUTPUT [ROWS]   (ROWS defaults to 65535)
"""
import datetime
import sys

import xlwt

HEADERS = ["商品编号", "商品名称", "计量单位", "成本价", "销售价", "最低折扣", "当前库存", "入库日期", "助记码"]
NAMES = ["阿莫西林胶囊", "复方甘草片", "板蓝根颗粒", "维生素C片", "医用外科口罩", "云南白药气雾剂", "感冒灵颗粒"]
UNITS = ["盒", "瓶", "袋", "包", "支"]


def main():
    out = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 65535
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Sheet1")
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    for column, title in enumerate(HEADERS):
        sheet.write(0, column, title)
    first_day = datetime.date(2020, 1, 1)
    for row in range(1, rows):
        sheet.write(row, 0, "P%06d" % row)
        sheet.write(row, 1, "%s %d号" % (NAMES[row % len(NAMES)], row))
        sheet.write(row, 2, UNITS[row % len(UNITS)])
        sheet.write(row, 3, (row % 997) / 10.0 + 0.25)
        sheet.write(row, 4, (row % 997) / 8.0 + 0.5)
        sheet.write(row, 5, 0.9)
        sheet.write(row, 6, row % 500)
        sheet.write(row, 7, first_day + datetime.timedelta(days=row % 1500), date_style)
        sheet.write(row, 8, "MN%d" % (row % 1000))
        if row % 4096 == 0:
            sheet.flush_row_data()
    book.save(out)


if __name__ == "__main__":
    main()
