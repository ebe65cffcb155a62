// The workbook reader over Office Open XML packages: fixtures from three writers side by side with the same
// sheets saved as .xls, and packages built part by part for what those writers never write, for the refusals and
// for hostile files.
#include "PackageBuilder.h"
#include "TestPaths.h"
#include "WorkbookDump.h"
#include "worksheet/Workbook.h"
#include "worksheet/xlsx/ZipDirectory.h"

#include <gsf/gsf-outfile-msole.h>

#include <QTest>

#include <zlib.h>

using data::SheetError;
using data::Workbook;
using data::WorkbookError;
using data::Worksheet;
using namespace packagebuilder;

namespace {

QString fixture(const QString& name)
{
    return testsupport::testData(name);
}

using workbookdump::dump;

Worksheet sheetOf(const QByteArray& package)
{
    return Workbook::openBytes(package).sheet(QStringLiteral("S"));
}

// A compound file holding the streams of a password-protected package (their contents do not matter here).
QByteArray encryptedPackage()
{
    GsfOutput* sink = gsf_output_memory_new();
    GsfOutfile* container = gsf_outfile_msole_new(sink);
    for (const char* name : {"EncryptionInfo", "EncryptedPackage"}) {
        GsfOutput* child = gsf_outfile_new_child(container, name, FALSE);
        const QByteArray bytes(600, '\x5a');
        gsf_output_write(child, size_t(bytes.size()), reinterpret_cast<const guint8*>(bytes.constData()));
        gsf_output_close(child);
        g_object_unref(child);
    }
    gsf_output_close(GSF_OUTPUT(container));
    g_object_unref(container);
    const QByteArray bytes(reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink))),
                           qsizetype(gsf_output_size(sink)));
    g_object_unref(sink);
    return bytes;
}

// The zip with the inflated size of every entry changed to `size` in both of its headers.
QByteArray claimingSize(QByteArray file, quint32 size)
{
    const auto patch = [&](const QByteArray& signature, int offset) {
        for (qsizetype at = file.indexOf(signature); at >= 0; at = file.indexOf(signature, at + 4)) {
            for (int i = 0; i < 4; ++i)
                file[at + offset + i] = char((size >> (8 * i)) & 0xFF);
        }
    };
    patch(QByteArray("PK\x03\x04", 4), 22);
    patch(QByteArray("PK\x01\x02", 4), 24);
    return file;
}

// The file with the central directory's entry of that part changed: at offset (8 flags, 10 method, 16 CRC-32) the
// 16-bit value or the 32-bit CRC xor-ed with mask, as a damaged or otherwise made zip has it.
QByteArray withDirectoryEntry(QByteArray file, const QByteArray& partName, int offset, quint32 mask)
{
    const QByteArray signature("PK\x01\x02", 4);
    for (qsizetype at = file.indexOf(signature); at >= 0; at = file.indexOf(signature, at + 4)) {
        const int nameLength = quint8(file[at + 28]) | quint8(file[at + 29]) << 8;
        if (file.mid(at + 46, nameLength) != partName)
            continue;
        for (int i = 0; i < (offset == 16 ? 4 : 2); ++i)
            file[at + offset + i] = char(quint8(file[at + offset + i]) ^ ((mask >> (8 * i)) & 0xFF));
        return file;
    }
    qFatal("no entry %s", partName.constData());
}

QByteArray nested(int depth)
{
    return QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
}

} // namespace

class TestXlsxWorkbook : public QObject
{
    Q_OBJECT

private slots:
    // The same sheets saved as .xlsx and as .xls read to the same sheets, extents and cell texts.
    void sameAsTheXlsFile_data()
    {
        QTest::addColumn<QString>("xlsx");
        QTest::addColumn<QString>("xls");
        QTest::newRow("openpyxl, shared strings") << "xlsx/common-openpyxl.xlsx"
                                                  << "xls/common-xlwt.xls";
        QTest::newRow("libxlsxwriter, inline strings") << "xlsx/common-xlsxwriter.xlsx"
                                                       << "xls/common-xlwt.xls";
        QTest::newRow("gnumeric, both formats") << "xlsx/common-gnumeric.xlsx"
                                                << "xls/common-gnumeric.xls";
        QTest::newRow("1904 date system") << "xlsx/dates1904-openpyxl.xlsx"
                                          << "xls/dates1904-xlwt.xls";
        QTest::newRow("product sheet") << "xlsx/products-openpyxl.xlsx"
                                       << "xls/products-xlwt.xls";
    }
    void sameAsTheXlsFile()
    {
        QFETCH(QString, xlsx);
        QFETCH(QString, xls);
        QCOMPARE(dump(Workbook::open(fixture(xlsx))), dump(Workbook::open(fixture(xls))));
    }

    void formulaResults_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("number") << 2 << 0 << "42";
        QTest::newRow("text") << 1 << 1 << "21元";
        QTest::newRow("text from text") << 2 << 1 << "21元整";
        QTest::newRow("true") << 1 << 2 << "TRUE";
        QTest::newRow("false") << 2 << 2 << "FALSE";
        QTest::newRow("division by zero") << 1 << 3 << "#DIV/0!";
        QTest::newRow("not available") << 2 << 3 << "#N/A";
        QTest::newRow("empty text") << 1 << 4 << "";
        // gnumeric gives a DATE() cell a date format in .xlsx, not in .xls.
        QTest::newRow("date") << 1 << 5 << "2024-03-05";
        QTest::newRow("date and time in general format") << 2 << 5 << "61.5";
        QTest::newRow("long text") << 1 << 6 << QStringLiteral("长").repeated(5000);
        QTest::newRow("a third") << 2 << 7 << "0.333333333333333";
    }
    void formulaResults()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        const Worksheet sheet =
            Workbook::open(fixture(QStringLiteral("xlsx/formulas-gnumeric.xlsx"))).sheet(u"公式"_qs);
        QCOMPARE(sheet.cellText(row, column), text);
        QCOMPARE(sheet.rowCount(), 3);
        QCOMPARE(sheet.columnCount(), 8);
    }

    void worksheetsOnly()
    {
        // A hidden worksheet is listed; the chartsheet is not.
        const Workbook book = Workbook::open(fixture(QStringLiteral("xlsx/sheetkinds-openpyxl.xlsx")));
        QCOMPARE(book.sheetNames(), QStringList({u"数据"_qs, u"隐藏"_qs}));
        const Worksheet sheet = book.sheet(u"数据"_qs);
        QCOMPARE(sheet.cellText(0, 1), u"2024-03-05"_qs);          // yyyy"年"m"月"d"日"
        QCOMPARE(sheet.cellText(0, 2), u"2024-03-05 12:00:00"_qs); // built-in 22
        QCOMPARE(sheet.cellText(1, 2), u"0.25"_qs);                // 0.00" 天"
        try {
            book.sheet(u"图表"_qs);
            QFAIL("a chartsheet read as a worksheet");
        } catch (const SheetError& error) {
            QVERIFY2(error.reason().contains(u"“数据”"), qPrintable(error.reason()));
        }
    }

    void cells_data()
    {
        QTest::addColumn<QByteArray>("sheetData");
        QTest::addColumn<QByteArray>("strings");
        QTest::addColumn<QByteArray>("styles");
        QTest::addColumn<QByteArray>("workbookMore");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        const QByteArray none;
        const QByteArray firstString = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>";
        QTest::newRow("rich text, phonetic runs left out")
            << firstString
            << QByteArray("<si><r><t>東</t></r><r><rPr><b/></rPr><t>京</t></r><rPh sb=\"0\" eb=\"2\"><t>トウキョウ</t>"
                          "</rPh><phoneticPr fontId=\"1\"/></si>")
            << none << none << 0 << 0 << u"東京"_qs;
        QTest::newRow("escapes decoded, an escaped underscore kept")
            << firstString << QByteArray("<si><t>a_x000D_b_x005F_x0041_c_x4E2D_</t></si>") << none << none << 0 << 0
            << u"a\rb_x0041_c中"_qs;
        QTest::newRow("inline string, blanks kept")
            << QByteArray("<row r=\"2\"><c r=\"B2\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> 阿莫西林 </t></is>"
                          "</c></row>")
            << none << none << none << 1 << 1 << u" 阿莫西林 "_qs;
        const QByteArray withoutReferences =
            "<row r=\"3\"><c><v>1</v></c><c><v>2</v></c><c r=\"E3\"><v>5</v></c><c><v>6</v></c></row>"
            "<row><c><v>7</v></c></row>";
        QTest::newRow("cell without reference: next column")
            << withoutReferences << none << none << none << 2 << 1 << "2";
        QTest::newRow("cell without reference after one with")
            << withoutReferences << none << none << none << 2 << 5 << "6";
        QTest::newRow("row without number: the next row") << withoutReferences << none << none << none << 3 << 0 << "7";
        QTest::newRow("formula without a cached value")
            << QByteArray("<row><c r=\"A1\"><f>1+1</f></c></row>") << none << none << none << 0 << 0 << "";
        QTest::newRow("formula with a text result")
            << QByteArray("<row><c r=\"A1\" t=\"str\"><f>\"文\"&amp;\"字\"</f><v>文字</v></c></row>") << none << none
            << none << 0 << 0 << u"文字"_qs;
        QTest::newRow("ISO date and time")
            << QByteArray("<row><c r=\"A1\" t=\"d\"><v>2024-03-05T14:15:16Z</v></c></row>") << none << none << none << 0
            << 0 << "2024-03-05 14:15:16";
        QTest::newRow("ISO date") << QByteArray("<row><c r=\"A1\" t=\"d\"><v>1900-01-01</v></c></row>") << none << none
                                  << none << 0 << 0 << "1900-01-01";
        QTest::newRow("boolean") << QByteArray("<row><c r=\"A1\" t=\"b\"><v>0</v></c></row>") << none << none << none
                                 << 0 << 0 << "FALSE";
        QTest::newRow("error") << QByteArray("<row><c r=\"A1\" t=\"e\"><v>#REF!</v></c></row>") << none << none << none
                               << 0 << 0 << "#REF!";
        QTest::newRow("binary noise: as Excel shows it")
            << QByteArray("<row><c r=\"A1\"><v>835.4400000000001</v></c></row>") << none << none << none << 0 << 0
            << "835.44";
        const QByteArray styled = "<row><c r=\"A1\" s=\"1\"><v>45356</v></c></row>";
        QTest::newRow("built-in East Asian date format")
            << styled << none << QByteArray("<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"31\"/></cellXfs>") << none << 0
            << 0 << "2024-03-05";
        QTest::newRow("custom date format")
            << styled << none
            << QByteArray("<numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;\"/>"
                          "</numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/></cellXfs>")
            << none << 0 << 0 << "2024-03-05";
        QTest::newRow("custom number format with a d in quotes")
            << styled << none
            << QByteArray("<numFmts><numFmt numFmtId=\"165\" formatCode=\"0.00&quot; d&quot;\"/></numFmts>"
                          "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"165\"/></cellXfs>")
            << none << 0 << 0 << "45356";
        QTest::newRow("cell style formats are not cell formats")
            << styled << none
            << QByteArray("<cellStyleXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellStyleXfs>"
                          "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"0\"/></cellXfs>")
            << none << 0 << 0 << "45356";
        QTest::newRow("1904 date system") << QByteArray("<row><c r=\"A1\" s=\"1\"><v>1</v></c></row>") << none
                                          << QByteArray("<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs>")
                                          << QByteArray("<workbookPr date1904=\"true\"/>") << 0 << 0 << "1904-01-02";
        QTest::newRow("an extension's workbookPr leaves the date system")
            << QByteArray("<row><c r=\"A1\" s=\"1\"><v>1</v></c></row>") << none
            << QByteArray("<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs>")
            << QByteArray("<workbookPr date1904=\"1\"/><extLst><ext uri=\"{x}\"><x15:workbookPr "
                          "xmlns:x15=\"http://schemas.microsoft.com/office/spreadsheetml/2010/11/main\" "
                          "chartTrackingRefBase=\"1\"/></ext></extLst>")
            << 0 << 0 << "1904-01-02";
        QTest::newRow("a conditional format's number format is no cell format")
            << styled << none
            << QByteArray("<numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd\"/></numFmts><cellXfs><xf "
                          "numFmtId=\"0\"/><xf numFmtId=\"164\"/></cellXfs><dxfs><dxf><numFmt numFmtId=\"164\" "
                          "formatCode=\"0.00\"/></dxf></dxfs>")
            << none << 0 << 0 << "2024-03-05";
        QTest::newRow("prefixed elements")
            << QByteArray("<x:row xmlns:x=\"" + kMainNs +
                          "\" r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is><x:t>前缀</x:t></x:is></x:c></x:row>")
            << none << none << none << 0 << 0 << u"前缀"_qs;
        QTest::newRow("two cells at one place: the later counts")
            << QByteArray("<row r=\"2\"><c r=\"A2\"><v>2</v></c></row><row r=\"1\"><c r=\"A1\"><v>1</v></c>"
                          "<c r=\"A1\"><v>9</v></c></row>")
            << none << none << none << 0 << 0 << "9";
        QByteArray manyRows; // some megabytes, inflated ahead of the parser
        for (int row = 1; row <= 40000; ++row)
            manyRows += "<row r=\"" + QByteArray::number(row) + "\"><c r=\"A" + QByteArray::number(row) + "\"><v>" +
                        QByteArray::number(row) + "</v></c></row>";
        QTest::newRow("a large sheet, to its last row") << manyRows << none << none << none << 39999 << 0 << "40000";
        QTest::newRow("rows out of order") << QByteArray("<row r=\"2\"><c r=\"A2\"><v>2</v></c></row><row r=\"1\">"
                                                         "<c r=\"A1\"><v>1</v></c></row>")
                                           << none << none << none << 1 << 0 << "2";
    }
    void cells()
    {
        QFETCH(QByteArray, sheetData);
        QFETCH(QByteArray, strings);
        QFETCH(QByteArray, styles);
        QFETCH(QByteArray, workbookMore);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QCOMPARE(sheetOf(oneSheet(sheetData, strings, styles, workbookMore)).cellText(row, column), text);
    }

    void extents_data()
    {
        QTest::addColumn<QByteArray>("sheetData");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::newRow("the last cell a package can hold")
            << QByteArray("<row r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row>") << 1048576 << 16384;
        QTest::newRow("formatted blanks and empty rows hold nothing")
            << QByteArray("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"C1\" s=\"1\"/></row><row r=\"9\"/>") << 1 << 1;
        QTest::newRow("an empty text counts") << QByteArray("<row r=\"2\"><c r=\"B2\" t=\"str\"><f>\"\"</f><v></v></c>"
                                                            "</row>")
                                              << 2 << 2;
        QTest::newRow("empty values hold nothing")
            << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"s\"><v></v></c><c r=\"B1\"><v/></c><c r=\"C1\" t=\"b\"><v> "
                          "</v></c></row>")
            << 0 << 0;
        QTest::newRow("no cells") << QByteArray() << 0 << 0;
    }
    void extents()
    {
        QFETCH(QByteArray, sheetData);
        QFETCH(int, rows);
        QFETCH(int, columns);
        const Worksheet sheet = sheetOf(oneSheet(sheetData));
        QCOMPARE(sheet.rowCount(), rows);
        QCOMPARE(sheet.columnCount(), columns);
    }

    void absoluteTargets()
    {
        Parts parts = oneSheetParts("<row><c r=\"B1\"><v>1.5</v></c></row>");
        for (auto& [name, bytes] : parts) {
            if (name == "_rels/.rels")
                bytes = relationships({{"rId1", "officeDocument", "/xl/workbook.xml"}});
            else if (name == "xl/_rels/workbook.xml.rels")
                bytes = relationships({{"rId1", "worksheet", "/xl/worksheets/sheet1.xml"}});
        }
        QCOMPARE(sheetOf(zip(parts)).cellText(0, 1), u"1.5"_qs);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const QString formats = QStringLiteral("*.xlsx *.xlsm");
        // Text reads as delimited text now; a binary file of no kind read is refused, naming the kinds.
        QTest::newRow("binary file of another kind")
            << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01", 20) << formats;
        QTest::newRow("zip of something else") << zip({{"readme.txt", "hello"}}) << u"不是 Excel 工作簿"_qs;
        QTest::newRow("empty zip") << QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0') << u"ZIP"_qs;
        QTest::newRow("word document")
            << zip({{"[Content_Types].xml",
                     contentTypes("application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
                                  "/word/document.xml")},
                    {"_rels/.rels", relationships({{"rId1", "officeDocument", "word/document.xml"}})},
                    {"word/document.xml", "<document/>"}})
            << u"不是 Excel 工作簿"_qs;
        QTest::newRow("binary workbook")
            << zip({{"[Content_Types].xml",
                     contentTypes("application/vnd.ms-excel.sheet.binary.macroEnabled.main", "/xl/workbook.bin")},
                    {"_rels/.rels", relationships({{"rId1", "officeDocument", "xl/workbook.bin"}})},
                    {"xl/workbook.bin", QByteArray(100, '\x83')}})
            << u"(*.xlsb)"_qs;
        Parts strict = oneSheetParts("<row><c r=\"A1\"><v>1</v></c></row>");
        strict[1].second = relationships({{"rId1", "officeDocument", "xl/workbook.xml"}},
                                         "http://purl.oclc.org/ooxml/officeDocument/relationships/");
        QTest::newRow("strict relationships") << zip(strict) << u"Strict Open XML"_qs;
        Parts strictNamespace = oneSheetParts("<row><c r=\"A1\"><v>1</v></c></row>");
        strictNamespace[2].second = workbook({{"S", "rId1"}}, {}, "http://purl.oclc.org/ooxml/spreadsheetml/main");
        QTest::newRow("strict namespace") << zip(strictNamespace) << u"Strict Open XML"_qs;
        QTest::newRow("opening password") << encryptedPackage() << u"打开密码"_qs;
        const QByteArray good = oneSheet("<row><c r=\"A1\"><v>1</v></c></row>");
        QTest::newRow("truncated zip") << good.left(good.size() * 2 / 3) << u"已损坏"_qs;
        Parts noWorkbook = oneSheetParts({});
        noWorkbook.removeAt(2);
        QTest::newRow("workbook part missing") << zip(noWorkbook) << u"已损坏"_qs;
        Parts entities = oneSheetParts({});
        entities[2].second = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 "
                             "\"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">]><workbook>&lol2;</workbook>";
        QTest::newRow("entity declarations") << zip(entities) << u"document type declaration"_qs;
        Parts deep = oneSheetParts({});
        deep[2].second = nested(100000);
        QTest::newRow("nesting without end") << zip(deep) << u"nested too deep"_qs;
        QTest::newRow("a part claiming 3 GB") << claimingSize(good, 3u << 30) << u"恶意"_qs;
        // 40 MB of blanks deflate to some 40 KB, far past what real sheets reach.
        QTest::newRow("deflate bomb") << oneSheet(QByteArray(40 << 20, ' ')) << u"恶意"_qs;
    }
    void refused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        try {
            const Workbook book = Workbook::openBytes(file);
            QFAIL("no error");
        } catch (const WorkbookError& error) {
            QVERIFY2(error.reason().contains(reason), qPrintable(error.reason()));
        }
    }

    // Shared strings of some hundred kilobytes are read without expat where their items are plain, through expat
    // where they are not: the same texts either way, and the same refusal of a damaged part.
    void largeSharedStrings_data()
    {
        QTest::addColumn<QByteArray>("before"); // items before the 4,000 plain ones
        QTest::addColumn<QByteArray>("after");  // and after them
        QTest::addColumn<QString>("first");     // the text of the first item
        QTest::addColumn<QString>("refusal");   // empty: the part reads
        QTest::newRow("plain items") << QByteArray() << QByteArray() << u"名0"_qs << QString();
        QTest::newRow("rich text and phonetic runs")
            << QByteArray("<si><r><t>東</t></r><r><t>京</t></r><rPh><t>トウ</t></rPh></si>") << QByteArray()
            << u"東京"_qs << QString();
        QTest::newRow("a reference in an item")
            << QByteArray("<si><t>a&amp;b&#x4E2D;</t></si>") << QByteArray() << u"a&b中"_qs << QString();
        QTest::newRow("an item inside a comment before the first")
            << QByteArray("<!-- <si><t>x</t></si> -->") << QByteArray() << u"名0"_qs << QString();
        QTest::newRow("a carriage return in an item")
            << QByteArray("<si><t>a\r\nb</t></si>") << QByteArray() << u"a\nb"_qs << QString();
        QTest::newRow("damaged after the last item")
            << QByteArray() << QByteArray("<extLst>") << QString() << u"sharedStrings.xml"_qs;
        QTest::newRow("malformed UTF-8 in an item")
            << QByteArray("<si><t>\xE5\x90</t></si>") << QByteArray() << QString() << u"sharedStrings.xml"_qs;
    }
    void largeSharedStrings()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, first);
        QFETCH(QString, refusal);
        QByteArray items = before;
        const int plain = 4000;
        for (int i = 0; i < plain; ++i)
            items += "<si><t>名" + QByteArray::number(i) + "</t></si>";
        items += after;
        QVERIFY(items.size() > 64 * 1024);
        const int count = plain + (before.startsWith("<si>") ? 1 : 0);
        const QByteArray file = oneSheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>" +
                                             QByteArray::number(count - 1) + "</v></c></row>",
                                         items);
        try {
            const Worksheet sheet = sheetOf(file);
            QVERIFY2(refusal.isEmpty(), "read");
            QCOMPARE(sheet.cellText(0, 0), first);
            QCOMPARE(sheet.cellText(0, 1), u"名"_qs + QString::number(plain - 1));
        } catch (const WorkbookError& error) {
            QVERIFY2(!refusal.isEmpty() && error.reason().contains(refusal), qPrintable(error.reason()));
        }
    }

    // The CRC-32 the reader checks parts with, against zlib's, for every length around the sizes it folds at, from
    // unaligned starts, in one piece and in two.
    void crc32AsZlibHasIt()
    {
        data::xlsx::Crc32 check;
        check.add("123456789", 9);
        QCOMPARE(check.value(), 0xCBF43926u);
        QByteArray bytes(3 << 20, '\0');
        quint32 seed = 1;
        for (char& byte : bytes) {
            seed = seed * 1103515245 + 12345;
            byte = char(seed >> 24);
        }
        const auto* raw = reinterpret_cast<const Bytef*>(bytes.constData());
        QList<int> lengths;
        for (int length = 0; length <= 300; ++length)
            lengths << length;
        lengths << 4095 << 65536 + 7 << (1 << 20) + 13 << (3 << 20) - 3;
        for (const int length : lengths) {
            for (const int start : {0, 1, 3}) {
                const auto expected = quint32(crc32(crc32(0, nullptr, 0), raw + start, uInt(length)));
                data::xlsx::Crc32 whole;
                whole.add(raw + start, std::size_t(length));
                QCOMPARE(whole.value(), expected);
                data::xlsx::Crc32 halves;
                halves.add(raw + start, std::size_t(length / 3));
                halves.add(raw + start + length / 3, std::size_t(length - length / 3));
                QCOMPARE(halves.value(), expected);
            }
        }
    }

    // A part whose bytes do not match the CRC-32 its zip entry gives (what unzip -t refuses), an empty part, or an
    // entry this reader cannot read (said as what it is, not as damage) refuses the workbook and says why, naming
    // the part once.
    void damagedEntries_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("damaged"); // the message calls the file damaged
        const QByteArray rows = "<row><c r=\"A1\"><v>1.5</v></c><c r=\"B1\" t=\"s\"><v>0</v></c></row>";
        const Parts parts = oneSheetParts(rows, "<si><t>a</t></si>");
        const QString crc = QStringLiteral("CRC-32");
        for (const char* part : {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/workbook.xml",
                                 "xl/_rels/workbook.xml.rels", "_rels/.rels", "[Content_Types].xml"}) {
            QTest::addRow("deflated %s, CRC-32 wrong", part)
                << withDirectoryEntry(zip(parts), part, 16, 0x10) << crc << true;
            QTest::addRow("stored %s, CRC-32 wrong", part)
                << withDirectoryEntry(zip(parts, false), part, 16, 1) << crc << true;
        }
        QByteArray altered = zip(parts, false);
        altered.replace("<v>1.5</v>", "<v>7.5</v>");
        QTest::newRow("stored sheet, a byte altered") << altered << crc << true;
        // Large enough to be inflated on a thread of its own.
        QByteArray many;
        for (int row = 1; row <= 40000; ++row)
            many += "<row r=\"" + QByteArray::number(row) + "\"><c r=\"A" + QByteArray::number(row) + "\"><v>" +
                    QByteArray::number(row * 7) + "</v></c></row>";
        QTest::newRow("large sheet, CRC-32 wrong")
            << withDirectoryEntry(oneSheet(many), "xl/worksheets/sheet1.xml", 16, 0x8000) << crc << true;
        QTest::newRow("large sheet, malformed at its end")
            << oneSheet(many + "<row><c r=\"A40001\"><v>1</c></row>") << QStringLiteral("mismatched") << true;
        Parts empty = parts;
        for (auto& [name, bytes] : empty) {
            if (name == "xl/worksheets/sheet1.xml")
                bytes.clear();
        }
        QTest::newRow("empty sheet part") << zip(empty) << QStringLiteral("empty") << true;
        QTest::newRow("encrypted entry") << withDirectoryEntry(zip(parts), "xl/worksheets/sheet1.xml", 8, 1)
                                         << QStringLiteral("加密") << false;
        QTest::newRow("Deflate64 entry") << withDirectoryEntry(zip(parts), "xl/worksheets/sheet1.xml", 10, 8 ^ 9)
                                         << QStringLiteral("Deflate64") << false;
    }
    void damagedEntries()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        QFETCH(bool, damaged);
        QString why;
        try {
            const Workbook book = Workbook::openBytes(file);
            const Worksheet sheet = book.sheet(0);
            QFAIL(qPrintable(QStringLiteral("read, A1 %1").arg(sheet.cellText(0, 0))));
        } catch (const WorkbookError& error) {
            why = error.reason();
        } catch (const SheetError& error) {
            why = error.reason();
        }
        QVERIFY2(why.contains(reason), qPrintable(why));
        QCOMPARE(why.contains(u"已损坏"), damaged);
        QVERIFY2(!why.contains(u"no element found"), qPrintable(why));
        QVERIFY2(why.count(QStringLiteral("sheet1.xml")) <= 1, qPrintable(why));
    }

    // Part names as Excel finds them, their letters' case aside; of two zip entries of one name, the one the
    // zip's directory names last, as other readers take it.
    void partNames_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("a1");
        Parts upper = oneSheetParts("<row><c r=\"A1\"><v>1.5</v></c></row>");
        for (auto& [name, bytes] : upper) {
            if (name.startsWith("xl/"))
                name = name.replace("xl/", "XL/")
                           .replace("worksheets/sheet1", "WorkSheets/SHEET1")
                           .replace("workbook.xml", "WorkBook.xml");
        }
        QTest::newRow("names in other cases than the relationships'") << zip(upper) << u"1.5"_qs;
        Parts twice = oneSheetParts("<row><c r=\"A1\"><v>1</v></c></row>");
        twice.append({"xl/worksheets/sheet1.xml", worksheet("<row><c r=\"A1\"><v>2</v></c></row>")});
        QTest::newRow("two entries of one name, deflated") << zip(twice) << u"2"_qs;
        QTest::newRow("two entries of one name, stored") << zip(twice, false) << u"2"_qs;
    }
    void partNames()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, a1);
        QCOMPARE(sheetOf(file).cellText(0, 0), a1);
    }

    void damagedSheets_data()
    {
        QTest::addColumn<QByteArray>("sheetData");
        QTest::addColumn<QByteArray>("strings");
        QTest::addColumn<QString>("reason");
        QTest::newRow("shared string that does not exist") << QByteArray("<row><c r=\"A1\" t=\"s\"><v>1</v></c></row>")
                                                           << QByteArray("<si><t>a</t></si>") << "shared string";
        QTest::newRow("row 0") << QByteArray("<row r=\"0\"/>") << QByteArray() << "row";
        QTest::newRow("past the last row") << QByteArray("<row r=\"1048577\"/>") << QByteArray() << "row";
        QTest::newRow("past the last column")
            << QByteArray("<row><c r=\"XFE1\"><v>1</v></c></row>") << QByteArray() << "XFE1";
        QTest::newRow("no cell reference") << QByteArray("<row><c r=\"12\"><v>1</v></c></row>") << QByteArray() << "12";
        QTest::newRow("cell past the last column without a reference")
            << QByteArray("<row><c r=\"XFD1\"><v>1</v></c><c><v>2</v></c></row>") << QByteArray() << "16,384";
        QTest::newRow("a text no cell holds")
            << QByteArray("<row><c r=\"A1\" t=\"inlineStr\"><is><t>" + QByteArray(2 << 20, 'x') + "</t></is></c></row>")
            << QByteArray() << "longer than any cell";
        QTest::newRow("malformed XML") << QByteArray("<row><c r=\"A1\"><v>1</c></row>") << QByteArray() << "mismatched";
    }
    void damagedSheets()
    {
        QFETCH(QByteArray, sheetData);
        QFETCH(QByteArray, strings);
        QFETCH(QString, reason);
        const Workbook book = Workbook::openBytes(oneSheet(sheetData, strings));
        try {
            book.sheet(QStringLiteral("S"));
            QFAIL("no error");
        } catch (const SheetError& error) {
            QVERIFY2(error.reason().contains(u"“S”已损坏") && error.reason().contains(reason),
                     qPrintable(error.reason()));
        }
    }

    void missingSheetPart()
    {
        Parts parts = oneSheetParts({});
        parts.removeIf([](const auto& part) { return part.first == "xl/worksheets/sheet1.xml"; });
        const Workbook book = Workbook::openBytes(zip(parts));
        QCOMPARE(book.sheetNames(), QStringList{u"S"_qs});
        QVERIFY_THROWS_EXCEPTION(SheetError, book.sheet(0));
    }

    void contentDecidesNotTheName()
    {
        // An .xls name on a package, and an .xlsx name on a compound file, read by what they hold.
        QTemporaryDir dir;
        const QString packageAsXls = dir.filePath(u"包.xls"_qs);
        const QString xlsAsXlsx = dir.filePath(u"旧.xlsx"_qs);
        QVERIFY(QFile::copy(fixture(u"xlsx/products-openpyxl.xlsx"_qs), packageAsXls));
        QVERIFY(QFile::copy(fixture(u"xls/products-xlwt.xls"_qs), xlsAsXlsx));
        QCOMPARE(dump(Workbook::open(packageAsXls)), dump(Workbook::open(xlsAsXlsx)));
    }

    void missingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"不存在.xlsx"_qs);
        try {
            Workbook::open(path);
            QFAIL("no error");
        } catch (const WorkbookError& error) {
            QVERIFY2(error.reason().contains(path) && error.reason().contains(u"不存在"), qPrintable(error.reason()));
        }
    }
};

QTEST_GUILESS_MAIN(TestXlsxWorkbook)
#include "tst_xlsxworkbook.moc"
