#!/usr/bin/python3
# Writes the small product workbooks the engine tests import. Run with Debian's python3 and python3-xlwt:
#   /usr/bin/python3 tests/data/engine/make_fixtures.py
# The .xls files are committed; rerun this after changing a sheet here.
import os
import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
HEADERS = ["商品编号", "商品名称", "计量单位", "成本价", "销售价", "最低折扣", "当前库存", "单品折扣", "助记码"]


def write(name, sheets):
    """sheets: list of (sheet name, header list, rows); a row is a list of cells, None for a blank cell."""
    book = xlwt.Workbook(encoding="utf-8")
    for sheet_name, headers, rows in sheets:
        sheet = book.add_sheet(sheet_name)
        for column, header in enumerate(headers):
            sheet.write(0, column, header)
        for r, row in enumerate(rows, start=1):
            for column, cell in enumerate(row):
                if cell is not None:
                    sheet.write(r, column, cell)
    book.save(os.path.join(HERE, name))


# One blank code, one price that is no number, three good rows (the last with every optional cell blank).
write("five-rows.xls", [("Sheet1", HEADERS, [
    [1001, "阿司匹林肠溶片", "盒", 8, 12.5, 0.8, 100, 1, None],
    [None, "没有编号的商品", "盒", 1, 2, 0.5, 3, 1, "MYBH"],
    [1003, "维生素C片", "瓶", 3, "12元", 0.9, 10, 1, "WSSC"],
    [1004, "布洛芬缓释胶囊", "盒", 10.2, 18, 0.9, 50, 0.95, "BLFHSJN"],
    [1005, "板蓝根颗粒", None, None, None, None, None, None, None],
])])

# The header row alone.
write("header-only.xls", [("Sheet1", HEADERS, [])])

# A code cell of blanks with every other cell filled, and one good row.
write("blank-code.xls", [("Sheet1", HEADERS, [
    ["   ", "只有空格的编号", "盒", 1, 2, 0.5, 3, 1, "ZYKG"],
    [1002, "甘草片", "瓶", 2, 3.5, 0.9, 20, 1, None],
])])

# A bad number in each of the five number columns, in the order 成本价, 销售价, 最低折扣, 当前库存, 单品折扣, an
# overflow, then a good row.
write("bad-numbers.xls", [("Sheet1", HEADERS, [
    [2001, "成本价有千位分隔符", "盒", "1,000", 2, 0.5, 3, 1, None],
    [2002, "销售价有货币符号", "盒", 1, "¥12", 0.5, 3, 1, None],
    [2003, "最低折扣是百分数", "盒", 1, 2, "5%", 3, 1, None],
    [2004, "当前库存是十六进制", "盒", 1, 2, 0.5, "0x10", 1, None],
    [2005, "单品折扣是文字", "盒", 1, 2, 0.5, 3, "九五折", None],
    [2006, "销售价太大", "盒", 1, "1e999", 0.5, 3, 1, None],
    [2007, "好商品", "盒", 1, 2, 0.5, 3, 1, None],
])])

# The same code twice: the store keeps product codes unique.
write("duplicate-codes.xls", [("Sheet1", HEADERS, [
    [3001, "复方甘草片", "瓶", 2, 3, 0.9, 10, 1, None],
    [3001, "复方甘草片（重复）", "瓶", 2, 3, 0.9, 10, 1, None],
    [3002, "葡萄糖酸钙口服液", "盒", 15, 25, 0.8, 5, 1, None],
])])

# Stored values: the columns in another order with a further column, on a sheet that is not called Sheet1; number
# texts in the forms the clerk may type; a row with only its code.
VALUE_HEADERS = ["助记码", "备注", "单品折扣", "当前库存", "最低折扣", "销售价", "成本价", "计量单位", "商品名称",
                 "商品编号"]
write("values.xls", [("商品资料", VALUE_HEADERS, [
    [None, "不导入", 1, 100, 0.8, 12.5, 8, None, "阿莫西林胶囊", "  1001  "],
    ["abc", None, ".5", "-3", "5.", "1e2", " 7 ", "支", "体温计", "1002"],
    [None, None, None, None, None, None, None, None, None, "1003"],
])])

# No 助记码 column: the sheet cannot be imported at all.
write("no-mnemonic-column.xls", [("Sheet1", HEADERS[:8], [
    [4001, "阿司匹林肠溶片", "盒", 8, 12.5, 0.8, 100, 1],
])])

# Names whose characters have several readings: a blank 助记码 differs with phrase readings, the sheet's own stays.
write("phrase-names.xls", [("Sheet1", HEADERS, [
    [6001, "人参", "克", 5, 8, 0.9, 100, 1, None],
    [6002, "复方丹参片", "盒", 6, 9.5, 0.9, 20, 1, "  "],
    [6003, "白术", "克", 1, 2, 0.9, 500, 1, "BAIZHU"],
    [6004, "重楼解毒酊", "瓶", 12, 18, 0.9, 10, 1, None],
    [6005, "阿司匹林肠溶片", "盒", 8, 12.5, 0.8, 100, 1, None],
])])
