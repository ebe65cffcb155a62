#!/usr/bin/python3
"""Writes the example workbook the program offers beside itself: "商品信息导入格式事例.xls".

usage: make-example-workbook.py [OUTPUT]   (default: resources/商品信息导入格式事例.xls)

Sheet "Sheet1", the nine columns the import reads, a few products. One product leaves 助记码 blank to show that
the import then makes the code from the name. Codes are text cells so that leading zeros and long codes keep
every digit.
"""
import os
import sys

import xlwt

HEADERS = ["商品编号", "商品名称", "计量单位", "成本价", "销售价", "最低折扣", "当前库存", "单品折扣", "助记码"]
PRODUCTS = [
    ["10001", "阿莫西林胶囊 0.25g*24粒", "盒", 8.5, 12.8, 0.9, 120, 1, "AMXLJN"],
    ["10002", "复方甘草片 100片", "瓶", 3.2, 5.5, 0.95, 80, 1, "FFGCP"],
    ["10003", "板蓝根颗粒 10g*20袋", "盒", 9.8, 15, 0.9, 60, 1, "BLGKL"],
    ["10004", "维生素C片 0.1g*100片", "瓶", 2.1, 4.5, 0.85, 200, 1, "WSSCP"],
    ["10005", "医用外科口罩 10只", "包", 4.6, 9.9, 0.8, 500, 0.95, ""],
    ["10006", "云南白药气雾剂 85g+30g", "盒", 22, 32, 0.9, 40, 1, "YNBYQWJ"],
    ["10007", "感冒灵颗粒 10g*9袋", "盒", 7.3, 12, 0.9, 150, 1, "GMLKL"],
]
WIDTHS = [10, 26, 9, 8, 8, 9, 9, 9, 10]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources", "商品信息导入格式事例.xls")
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Sheet1")
    header = xlwt.easyxf("font: bold on; align: horiz center")
    text = xlwt.easyxf(num_format_str="@")
    for column, (title, width) in enumerate(zip(HEADERS, WIDTHS)):
        sheet.write(0, column, title, header)
        sheet.col(column).width = 256 * width
    for row, product in enumerate(PRODUCTS, start=1):
        for column, value in enumerate(product):
            if value == "":
                continue
            sheet.write(row, column, value, text if column == 0 else xlwt.Style.default_style)
    sheet.set_panes_frozen(True)
    sheet.set_horz_split_pos(1)
    book.save(out)


if __name__ == "__main__":
    main()
