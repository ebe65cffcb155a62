#!/usr/bin/python3
"""Writes the .xlsx benchmark workbook: a header and ROWS products with the nine product columns of the import
benchmark's workbook (the same rows, from the same seed) and a tenth column of dates, "入库日期".

Two writers: by default the package is laid out the way Excel saves a sheet (every text in the shared strings,
UTF-8 text, a reference on every cell, the dates as numbers in a date format), written here directly because no
packaged writer does that for a million rows in reasonable memory; with --openpyxl, python3-openpyxl's write-only
mode writes it (every text inline, every Chinese character as a character reference). python3-openpyxl reads both
back in the benchmark, so a file it could not read would show there.

usage: make_xlsx_workbook.py OUTPUT.xlsx [ROWS] [--openpyxl]   (ROWS defaults to 65535)
"""
import datetime
import os
import sys
import zipfile
from xml.sax.saxutils import escape

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "import"))
from make_workbook import HEADERS, product_rows  # noqa: E402

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" \
ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" \
ContentType="application/xml"/><Override PartName="/xl/workbook.xml" \
ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override \
PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.\
worksheet+xml"/><Override PartName="/xl/styles.xml" \
ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/><Override \
PartName="/xl/sharedStrings.xml" \
ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>"""
ROOT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" \
Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>""" % REL
WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" \
Type="%s/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="%s/styles" \
Target="styles.xml"/><Relationship Id="rId3" Type="%s/sharedStrings" Target="sharedStrings.xml"/>\
</Relationships>""" % (REL, REL, REL)
WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>""" % (
    MAIN, REL)
STYLES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="%s"><fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts><fills count="1">\
<fill><patternFill patternType="none"/></fill></fills><borders count="1"><border/></borders><cellStyleXfs \
count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs><cellXfs count="2"><xf numFmtId="0" \
fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" \
applyNumberFormat="1"/></cellXfs></styleSheet>""" % MAIN
COLUMNS = "ABCDEFGHIJ"


def write_with_openpyxl(output, rows):
    from openpyxl import Workbook
    from openpyxl.cell import WriteOnlyCell

    book = Workbook(write_only=True)
    sheet = book.create_sheet("Sheet1")
    sheet.append(HEADERS + ["入库日期"])
    first_day = datetime.date(2020, 1, 1)
    for r, cells in enumerate(product_rows(rows), start=1):
        date = WriteOnlyCell(sheet, value=first_day + datetime.timedelta(days=r % 1500))
        date.number_format = "yyyy-mm-dd"
        sheet.append(cells + [date])
    book.save(output)


def main():
    arguments = [a for a in sys.argv[1:] if a != "--openpyxl"]
    output = arguments[0]
    rows = int(arguments[1]) if len(arguments) > 1 else 65535
    if "--openpyxl" in sys.argv:
        write_with_openpyxl(output, rows)
        return
    strings = {}

    def shared(text):
        return strings.setdefault(text, len(strings))

    first_day = datetime.date(2020, 1, 1)
    epoch = datetime.date(1899, 12, 30)
    with zipfile.ZipFile(output, "w", zipfile.ZIP_DEFLATED) as package:
        with package.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as sheet:
            sheet.write(('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<worksheet xmlns="%s">'
                         '<dimension ref="A1:J%d"/><sheetData>' % (MAIN, rows + 1)).encode())
            header = "".join('<c r="%s1" t="s"><v>%d</v></c>' % (COLUMNS[c], shared(h))
                             for c, h in enumerate(HEADERS + ["入库日期"]))
            sheet.write(('<row r="1">%s</row>' % header).encode())
            for r, cells in enumerate(product_rows(rows), start=2):
                parts = []
                for c, value in enumerate(cells):
                    if value is None:
                        continue
                    if isinstance(value, str):
                        parts.append('<c r="%s%d" t="s"><v>%d</v></c>' % (COLUMNS[c], r, shared(value)))
                    else:
                        parts.append('<c r="%s%d"><v>%r</v></c>' % (COLUMNS[c], r, value))
                day = (first_day + datetime.timedelta(days=(r - 1) % 1500) - epoch).days
                parts.append('<c r="J%d" s="1"><v>%d</v></c>' % (r, day))
                sheet.write(('<row r="%d">%s</row>' % (r, "".join(parts))).encode())
            sheet.write(b"</sheetData></worksheet>")
        items = "".join("<si><t>%s</t></si>" % escape(text) for text in strings)
        package.writestr("xl/sharedStrings.xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<sst '
                         'xmlns="%s" count="%d" uniqueCount="%d">%s</sst>' % (MAIN, len(strings), len(strings), items))
        package.writestr("[Content_Types].xml", CONTENT_TYPES)
        package.writestr("_rels/.rels", ROOT_RELS)
        package.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        package.writestr("xl/workbook.xml", WORKBOOK)
        package.writestr("xl/styles.xml", STYLES)


if __name__ == "__main__":
    main()
