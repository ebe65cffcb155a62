// libFuzzer target: any bytes as a workbook file. Opening and reading every cell must end in a value or in a
// WorkbookError/SheetError; anything else (a crash, another exception, a sanitizer report) is a finding.
//
// FUZZ_STREAM=1 at build time makes the bytes the BIFF workbook stream itself, past the compound-file container,
// so that the fuzzer spends its time in the record parsing. FUZZ_PACKAGE_PARTS=1 makes them the XML parts of a
// workbook package (workbook, shared strings, styles, one sheet, split at lines "--part--"), zipped without
// compression around them, so that the fuzzer spends its time in the XML handlers rather than in inflation.
#include "../PackageBuilder.h"
#include "worksheet/Workbook.h"
#include "worksheet/WorkbookData.h"
#include "worksheet/xls/BiffReader.h"
#include "worksheet/xls/BiffRecords.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

void readEverything(const data::Worksheet& sheet)
{
    // A package sheet may reach 1,048,576 x 16,384; the corner and a bounded block are enough to find faults.
    const int rows = std::min(sheet.rowCount(), 4096);
    const int columns = std::min(sheet.columnCount(), 256);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            sheet.cellText(row, column);
    }
    sheet.cellText(sheet.rowCount() - 1, sheet.columnCount() - 1);
}

#if FUZZ_PACKAGE_PARTS
QByteArray package(const QByteArray& input)
{
    QList<QByteArray> parts;
    qsizetype from = 0;
    for (int i = 0; i < 3; ++i) {
        const qsizetype at = input.indexOf("\n--part--\n", from);
        if (at < 0)
            break;
        parts << input.mid(from, at - from);
        from = at + 10;
    }
    parts << input.mid(from);
    while (parts.size() < 4)
        parts.prepend(QByteArray());
    static const QByteArray kContentTypes =
        "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Override PartName=\"/xl/"
        "workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "</Types>";
    static const QByteArray kRootRels =
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    static const QByteArray kWorkbookRels =
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"http://schemas."
        "openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "styles\" Target=\"/xl/styles.xml\"/></Relationships>";
    static const QByteArray kWorkbook =
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"http://schemas."
        "openxmlformats.org/officeDocument/2006/relationships\"><sheets><sheet name=\"S\" sheetId=\"1\" "
        "r:id=\"rId1\"/></sheets></workbook>";
    return packagebuilder::zip({{"[Content_Types].xml", kContentTypes},
                                {"_rels/.rels", kRootRels},
                                {"xl/_rels/workbook.xml.rels", kWorkbookRels},
                                {"xl/workbook.xml", parts[0].isEmpty() ? kWorkbook : parts[0]},
                                {"xl/sharedStrings.xml", parts[1].isEmpty() ? QByteArray("<sst/>") : parts[1]},
                                {"xl/styles.xml", parts[2].isEmpty() ? QByteArray("<styleSheet/>") : parts[2]},
                                {"xl/worksheets/sheet1.xml", parts[3]}},
                               false);
}
#endif

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    try {
#if FUZZ_STREAM
        const std::shared_ptr<const data::WorkbookData> book = data::biff::readWorkbookGlobals(input, false);
        for (const data::SheetEntry& entry : book->sheets) {
            try {
                readEverything(data::Worksheet(data::biff::readWorksheet(book, entry)));
            } catch (const data::SheetError&) {
            }
        }
#else
#if FUZZ_PACKAGE_PARTS
        const data::Workbook book = data::Workbook::openBytes(package(input));
#else
        const data::Workbook book = data::Workbook::openBytes(input);
#endif
        for (int i = 0; i < book.sheetNames().size(); ++i) {
            try {
                readEverything(book.sheet(i));
            } catch (const data::SheetError&) {
            }
        }
#endif
    } catch (const data::WorkbookError&) {
    } catch (const data::biff::FormatError&) {
    }
    return 0;
}
