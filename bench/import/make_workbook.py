#!/usr/bin/python3
# Writes the benchmark's product workbook: a full Excel 97-2003 sheet (header + 65,535 products) with the nine
# columns, realistic Chinese product names and about 70% blank 助记码 cells; with REPEAT_EVERY, every
# REPEAT_EVERY-th product repeats the code of the one before it, as a duplicate the store refuses.
#   /usr/bin/python3 make_workbook.py OUTPUT.xls [ROWS [REPEAT_EVERY]]
# Needs Debian's python3-xlwt. The same seed gives the same workbook.
import random
import sys

import xlwt

HEADERS = ["商品编号", "商品名称", "计量单位", "成本价", "销售价", "最低折扣", "当前库存", "单品折扣", "助记码"]
PREFIXES = ["", "", "", "复方", "小儿", "盐酸", "硫酸", "注射用", "维", "牛黄", "双黄", "金银", "感冒"]
STEMS = [
    ("阿莫西林", "AMXL"), ("布洛芬", "BLF"), ("对乙酰氨基酚", "DYXAJF"), ("头孢克肟", "TBKW"), ("罗红霉素", "LHMS"),
    ("阿奇霉素", "AQMS"), ("甘草", "GC"), ("板蓝根", "BLG"), ("连花清瘟", "LHQW"), ("藿香正气", "HXZQ"),
    ("六味地黄", "LWDH"), ("维生素C", "WSSC"), ("葡萄糖酸钙", "PTTSG"), ("氨溴索", "AXS"), ("奥美拉唑", "AMLZ"),
    ("二甲双胍", "EJSG"), ("硝苯地平", "XBDP"), ("阿司匹林", "ASPL"), ("蒙脱石", "MTS"), ("氯雷他定", "LLTD"),
    ("银翘解毒", "YQJD"), ("急支糖浆", "JZTJ"), ("复合维生素B", "FHWSSB"), ("枸杞", "GQ"), ("当归", "DG"),
]
FORMS = [("胶囊", "JN"), ("片", "P"), ("颗粒", "KL"), ("口服液", "KFY"), ("注射液", "ZSY"), ("软膏", "RG"),
         ("丸", "W"), ("缓释片", "HSP"), ("分散片", "FSP"), ("滴眼液", "DYY")]
UNITS = ["盒", "瓶", "袋", "支", "板", "盒", "盒", "瓶"]
SPECS = ["", "", "0.25g*24粒", "10ml*10支", "100片", "0.1g*12片", "5g*10袋"]


def product_rows(rows, repeat_every=0):
    """The products, one list of nine cells (None for a blank cell) each; the same seed gives the same rows."""
    rng = random.Random(20261210)
    for r in range(1, rows + 1):
        stem, stem_code = rng.choice(STEMS)
        form, form_code = rng.choice(FORMS)
        name = rng.choice(PREFIXES) + stem + form + rng.choice(SPECS)
        cost = round(rng.uniform(0.5, 300), 2)
        code = 100000 + r - (1 if repeat_every and r % repeat_every == 0 else 0)
        yield [
            code if r % 3 else str(code),     # number cells and text cells, as clerks mix them
            name,
            rng.choice(UNITS),
            cost,
            round(cost * rng.uniform(1.1, 1.8), 2),
            rng.choice([0.8, 0.85, 0.9, 0.95, 1]),
            rng.randint(0, 500),
            rng.choice([1, 1, 1, 0.95, 0.9]),
            stem_code + form_code if rng.random() < 0.3 else None,
        ]


def main():
    output = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 65535
    repeat_every = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Sheet1")
    for column, header in enumerate(HEADERS):
        sheet.write(0, column, header)
    for r, cells in enumerate(product_rows(rows, repeat_every), start=1):
        for column, cell in enumerate(cells):
            if cell is not None:
                sheet.write(r, column, cell)
    book.save(output)


if __name__ == "__main__":
    main()
