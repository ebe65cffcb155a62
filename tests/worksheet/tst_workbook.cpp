// The workbook reader over real files from three writers, and over hand-built records for what writers never
// write on purpose.
#include "BiffBuilder.h"
#include "TestPaths.h"
#include "WorkbookDump.h"
#include "worksheet/GsfSupport.h"
#include "worksheet/Workbook.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using data::SheetError;
using data::Workbook;
using data::WorkbookError;
using data::Worksheet;
using namespace biffbuilder;

namespace {

QString xls(const QString& name)
{
    return testsupport::testData(QStringLiteral("xls/") + name);
}

using workbookdump::dump;

Workbook fromStream(const QByteArray& stream, const char* streamName = "Workbook")
{
    return Workbook::openBytes(compoundFile(stream, streamName));
}

Worksheet oneSheet(const QByteArray& cellRecords, const QByteArray& globals = {})
{
    return fromStream(workbookStream(globals, {Sheet{QStringLiteral("S"), cellRecords}})).sheet(QStringLiteral("S"));
}

} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT

private slots:
    void writersAgree_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reference");
        QTest::newRow("Spreadsheet::WriteExcel as xlwt") << "common-writeexcel.xls"
                                                         << "common-xlwt.xls";
        QTest::newRow("gnumeric as xlwt") << "common-gnumeric.xls"
                                          << "common-xlwt.xls";
        QTest::newRow("1904: Spreadsheet::WriteExcel as xlwt") << "dates1904-writeexcel.xls"
                                                               << "dates1904-xlwt.xls";
    }
    void writersAgree()
    {
        QFETCH(QString, file);
        QFETCH(QString, reference);
        QCOMPARE(dump(Workbook::open(xls(file))), dump(Workbook::open(xls(reference))));
    }

    void cellTexts_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        for (const char* writer : {"xlwt", "writeexcel", "gnumeric"}) {
            const QString file = QStringLiteral("common-%1.xls").arg(QLatin1String(writer));
            const QString types = QStringLiteral("数据类型");
            const auto row = [&](const char* what) -> QTestData& {
                return QTest::addRow("%s: %s", writer, what) << file << types;
            };
            row("chinese text") << 1 << 0 << "中文文本";
            row("whole number") << 1 << 1 << "1001";
            row("fraction") << 1 << 2 << "12.5";
            row("16 digits") << 1 << 3 << "1.23456789012346E+15";
            row("15 digits") << 2 << 3 << "123456789012345";
            row("20 digits") << 5 << 3 << "1E+20";
            row("sum with binary noise") << 2 << 2 << "0.3";
            row("negative") << 5 << 4 << "-1234567.891";
            row("date") << 1 << 5 << "2024-03-05";
            row("first date after 1900's leap day") << 2 << 5 << "1900-03-01";
            row("last date") << 5 << 5 << "9999-12-31";
            row("date and time") << 1 << 6 << "2024-03-05 14:15:16";
            row("one second past midnight") << 2 << 6 << "2100-03-01 00:00:01";
            row("time") << 1 << 7 << "08:30:00";
            row("true") << 1 << 8 << "TRUE";
            row("false") << 2 << 8 << "FALSE";
            row("division by zero") << 1 << 9 << "#DIV/0!";
            row("not available") << 2 << 9 << "#N/A";
            row("wrong value") << 5 << 9 << "#VALUE!";
            row("blank row") << 3 << 0 << "";
            row("outside the sheet") << 6 << 0 << "";
            QTest::addRow("%s: sheet named in Chinese", writer) << file << "长文本" << 2 << 0 << "末尾";
        }
        QTest::newRow("1904 dates") << "dates1904-xlwt.xls"
                                    << "数据类型" << 1 << 5 << "2024-03-05";
        QTest::newRow("1904 date and time") << "dates1904-xlwt.xls"
                                            << "数据类型" << 5 << 6 << "1999-12-31 23:59:59";
        QTest::newRow("1904 time") << "dates1904-writeexcel.xls"
                                   << "数据类型" << 1 << 7 << "08:30:00";
        QTest::newRow("1904: before 1904 is no date") << "dates1904-xlwt.xls"
                                                      << "数据类型" << 2 << 5 << "-1401";
        const QString formulas = QStringLiteral("公式");
        const auto formula = [&](const char* what) -> QTestData& {
            return QTest::addRow("formula: %s", what) << "formulas-gnumeric.xls" << formulas;
        };
        formula("number") << 2 << 0 << "42";
        formula("text") << 1 << 1 << "21元";
        formula("text from text") << 2 << 1 << "21元整";
        formula("true") << 1 << 2 << "TRUE";
        formula("false") << 2 << 2 << "FALSE";
        formula("division by zero") << 1 << 3 << "#DIV/0!";
        formula("not available") << 2 << 3 << "#N/A";
        formula("empty text") << 1 << 4 << "";
        formula("empty text from IF") << 2 << 4 << "";
        formula("date number in general format") << 1 << 5 << "45356";
        formula("fraction") << 1 << 7 << "5.25";
        formula("a third") << 2 << 7 << "0.333333333333333";
        formula("long ASCII text") << 2 << 6 << QStringLiteral("ab").repeated(3000);
        // gnumeric splits this one's characters between STRING and CONTINUE without a flags byte.
        formula("long text over a CONTINUE") << 1 << 6 << QStringLiteral("长").repeated(5000);
    }
    void cellTexts()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QCOMPARE(Workbook::open(xls(file)).sheet(sheet).cellText(row, column), text);
    }

    void sharedStringsOverContinueRecords()
    {
        for (const char* writer : {"xlwt", "writeexcel", "gnumeric"}) {
            const Worksheet sheet = Workbook::open(xls(QStringLiteral("common-%1.xls").arg(QLatin1String(writer))))
                                        .sheet(QStringLiteral("长文本"));
            QStringList ascii(1400, QStringLiteral("ASCII"));
            QStringList mixed(300, QStringLiteral("Mixed 混合 text 文字"));
            QCOMPARE(sheet.cellText(0, 1), ascii.join(u' '));
            QCOMPARE(sheet.cellText(1, 0), QStringLiteral("中文").repeated(2100));
            QCOMPARE(sheet.cellText(1, 1), mixed.join(u' '));
        }
    }

    void sheetsAndSizes()
    {
        const Workbook book = Workbook::open(xls(QStringLiteral("common-gnumeric.xls")));
        QCOMPARE(book.sheetNames(), QStringList({"Sheet1", "数据类型", "长文本"}));
        const Worksheet types = book.sheet(QStringLiteral("数据类型"));
        QCOMPARE(types.name(), QStringLiteral("数据类型"));
        QCOMPARE(types.rowCount(), 6); // two blank rows before the last one count
        QCOMPARE(types.columnCount(), 10);
    }

    void sheetByExactName()
    {
        const Workbook book = Workbook::open(xls(QStringLiteral("products-xlwt.xls")));
        QCOMPARE(book.sheet(QStringLiteral("Sheet1")).rowCount(), 8);
        QCOMPARE(book.sheet(QStringLiteral(" Sheet1 ")).rowCount(), 0);
        try {
            book.sheet(QStringLiteral("Sheet2"));
            QFAIL("no error for a missing sheet");
        } catch (const SheetError& error) {
            QVERIFY2(error.reason().contains(u"“Sheet2”"), qPrintable(error.reason()));
            for (const QString& name : book.sheetNames())
                QVERIFY2(error.reason().contains(QStringLiteral("“%1”").arg(name)), qPrintable(error.reason()));
        }
    }

    void unreadableWorkbooks_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const QByteArray globalsAndSheet = workbookStream({}, {Sheet{QStringLiteral("S"), number(0, 0, 1)}});
        // Text reads as delimited text now; a binary file of no kind read is refused, naming the kinds.
        QTest::newRow("binary file of another kind")
            << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01", 20) << "不是本程序能读取的表格文件";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("compound file without a workbook")
            << compoundFile(globalsAndSheet, "WordDocument") << "没有 Excel 工作簿数据";
        QTest::newRow("encrypted") << compoundFile(
                                          workbookStream(record(0x002F, u16(0) + u16(0x1234) + u16(0x5678)), {}))
                                   << "密码";
        QTest::newRow("Excel 4 worksheet")
            << compoundFile(record(0x0409, u16(0) + u16(0x0010) + u16(0)) + eof()) << "Excel 2.x-4.x";
        QTest::newRow("bare Excel 4 file") << record(0x0409, u16(0) + u16(0x0010) + u16(0)) + eof() << "Excel 2.x-4.x";
        QTest::newRow("damaged compound file") << compoundFile(globalsAndSheet).left(600) << "已损坏";
        QTest::newRow("unknown BIFF version")
            << compoundFile(record(0x0809, u16(0x0300) + u16(0x0005)) + eof()) << "版本";
        QTest::newRow("no BOF") << compoundFile(number(0, 0, 1) + eof()) << "BOF";
        QTest::newRow("truncated record header")
            << compoundFile(globalsAndSheet.left(globalsAndSheet.indexOf(QByteArray("\x85\x00", 2)) + 1)) << "已损坏";
        QTest::newRow("record longer than the stream")
            << compoundFile(bof(0x0005) + u16(0x00FC) + u16(200) + u32(1)) << "已损坏";
        const QByteArray oneSheet = workbookStream({}, {Sheet{QStringLiteral("S"), number(0, 0, 1)}});
        const qsizetype boundSheet = oneSheet.indexOf(QByteArray("\x85\x00", 2));
        QByteArray twoNamesOneSheet = oneSheet;
        twoNamesOneSheet.insert(boundSheet, oneSheet.mid(boundSheet, 4 + 6 + 3));
        QTest::newRow("two sheets at one place") << compoundFile(twoNamesOneSheet) << "已损坏";
        QTest::newRow("shared string cut short")
            << compoundFile(workbookStream(record(0x00FC, u32(1) + u32(1) + u16(10) + u8(0) + "abc"), {})) << "已损坏";
    }
    void unreadableWorkbooks()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        try {
            Workbook::openBytes(file);
            QFAIL("no error");
        } catch (const WorkbookError& error) {
            QVERIFY2(error.reason().contains(reason), qPrintable(error.reason()));
        }
    }

    void missingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("不存在.xls"));
        try {
            Workbook::open(path);
            QFAIL("no error");
        } catch (const WorkbookError& error) {
            QVERIFY2(error.reason().contains(path) && error.reason().contains(u"不存在"), qPrintable(error.reason()));
        }
        QVERIFY_THROWS_EXCEPTION(WorkbookError, Workbook::open(dir.path()));
    }

    void damagedSheets_data()
    {
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<QByteArray>("globals");
        QTest::newRow("shared string that does not exist") << labelSst(0, 0, 5) << QByteArray();
        QTest::newRow("NUMBER too short") << record(0x0203, cellHeader(0, 0) + u32(0)) << QByteArray();
        QTest::newRow("cell past column IV") << number(0, 256, 1) << QByteArray();
        QTest::newRow("MULRK past column IV")
            << record(0x00BD, u16(0) + u16(255) + u16(0) + u32(2) + u16(0) + u32(6) + u16(256)) << QByteArray();
        QTest::newRow("LABEL longer than its record")
            << record(0x0204, cellHeader(0, 0) + u16(50) + u8(0) + "abc") << QByteArray();
        QTest::newRow("substreams nested too deep") << bof(0x0020).repeated(8) + eof().repeated(8) << QByteArray();
        QTest::newRow("odd 16-bit text at the end")
            << record(0x0204, cellHeader(0, 0) + u16(2) + u8(1) + "a") << QByteArray();
    }
    void damagedSheets()
    {
        QFETCH(QByteArray, records);
        QFETCH(QByteArray, globals);
        try {
            oneSheet(records, globals);
            QFAIL("no error");
        } catch (const SheetError& error) {
            QVERIFY2(error.reason().contains(u"“S”已损坏"), qPrintable(error.reason()));
        }
    }

    void sheetWithoutEnd()
    {
        const QByteArray stream = workbookStream({}, {Sheet{QStringLiteral("S"), number(0, 0, 1)}});
        QVERIFY_THROWS_EXCEPTION(SheetError, fromStream(stream.left(stream.size() - 4)).sheet(QStringLiteral("S")));
        QByteArray pastEnd = stream;
        pastEnd.replace(stream.indexOf(QByteArray("\x85\x00", 2)) + 4, 4, u32(1u << 30));
        QVERIFY_THROWS_EXCEPTION(SheetError, fromStream(pastEnd).sheet(QStringLiteral("S")));
    }

    void recordsNoWriterHereUses()
    {
        // Rich text and phonetic blocks to skip, a string whose characters change width at a CONTINUE, a header
        // that starts right at a record boundary.
        const QByteArray rich = u16(3) + u8(0x0C) + u16(1) + u32(6) + "abc" + u16(0) + u16(1) + QByteArray(6, '\x7f');
        const QByteArray crossing = u16(4) + u8(0) + "ab";
        const QByteArray sst = record(0x00FC, u32(3) + u32(3) + rich + crossing) +
                               record(0x003C, u8(1) + u16(0x4E2D) + u16(0x6587)) +
                               record(0x003C, string8(QStringLiteral("末"))); // new string right at the boundary
        const QByteArray cells =
            labelSst(0, 0, 0) + labelSst(0, 1, 1) + labelSst(0, 2, 2) + label(1, 0, QStringLiteral("直接文本")) +
            record(0x00D6, cellHeader(1, 1) + string8(QStringLiteral("rich")) + u16(1) + u32(0)) +
            record(0x00BD, u16(2) + u16(0) + u16(0) + u32((7u << 2) | 2) + u16(0) + u32((1250u << 2) | 3) + u16(1)) +
            record(0x0205, cellHeader(2, 2) + u8(1) + u8(0)) + record(0x0205, cellHeader(2, 3) + u8(0x1D) + u8(1)) +
            record(0x0006, cellHeader(3, 0) + u8(0) + QByteArray(5, 0) + u16(0xFFFF) + u16(0) + u32(0) + u16(0)) +
            record(0x0207, string8(QStringLiteral("公式结果"))) +
            record(0x0006, cellHeader(3, 1) + u8(2) + u8(0) + u8(0x2A) + QByteArray(3, 0) + u16(0xFFFF) + u16(0) +
                               u32(0) + u16(0)) +
            record(0x0204, cellHeader(3, 2) + u16(0)) + // empty texts without their flags byte
            record(0x0006, cellHeader(3, 3) + u8(0) + QByteArray(5, 0) + u16(0xFFFF) + u16(0) + u32(0) + u16(0)) +
            record(0x0207, u16(0)) + record(0x0201, cellHeader(6, 0));
        const Worksheet sheet = oneSheet(cells, sst);
        QCOMPARE(sheet.cellText(0, 0), QStringLiteral("abc"));
        QCOMPARE(sheet.cellText(0, 1), QStringLiteral("ab中文"));
        QCOMPARE(sheet.cellText(0, 2), QStringLiteral("末"));
        QCOMPARE(sheet.cellText(1, 0), QStringLiteral("直接文本"));
        QCOMPARE(sheet.cellText(1, 1), QStringLiteral("rich"));
        QCOMPARE(sheet.cellText(2, 0), QStringLiteral("7"));
        QCOMPARE(sheet.cellText(2, 1), QStringLiteral("12.5"));
        QCOMPARE(sheet.cellText(2, 2), QStringLiteral("TRUE"));
        QCOMPARE(sheet.cellText(2, 3), QStringLiteral("#NAME?"));
        QCOMPARE(sheet.cellText(3, 0), QStringLiteral("公式结果"));
        QCOMPARE(sheet.cellText(3, 1), QStringLiteral("#N/A"));
        QCOMPARE(sheet.cellText(3, 2), QString());
        QCOMPARE(sheet.cellText(3, 3), QString());
        QCOMPARE(sheet.rowCount(), 4); // a BLANK cell holds nothing
        QCOMPARE(sheet.columnCount(), 4);
    }

    void cellsOutOfOrder()
    {
        const Worksheet sheet = oneSheet(number(2, 1, 3) + number(0, 0, 1) + number(2, 0, 2) + number(0, 0, 9));
        QCOMPARE(sheet.cellText(0, 0), QStringLiteral("9")); // the later record for a cell counts
        QCOMPARE(sheet.cellText(2, 0), QStringLiteral("2"));
        QCOMPARE(sheet.cellText(2, 1), QStringLiteral("3"));
        QCOMPARE(sheet.rowCount(), 3);
    }

    void dateFormatsFromTheWorkbook()
    {
        // XF 0 general, XF 1 built-in 14, XF 2 custom 164 with a date, XF 3 custom 165 in quotes and colours.
        const QByteArray globals = record(0x041E, u16(164) + string8(QStringLiteral("yyyy\"年\"m\"月\"d\"日\""))) +
                                   record(0x041E, u16(165) + string8(QStringLiteral("[Red]0.00\" d\""))) +
                                   record(0x00E0, u16(0) + u16(0) + QByteArray(16, 0)) +
                                   record(0x00E0, u16(0) + u16(14) + QByteArray(16, 0)) +
                                   record(0x00E0, u16(0) + u16(164) + QByteArray(16, 0)) +
                                   record(0x00E0, u16(0) + u16(165) + QByteArray(16, 0));
        const Worksheet sheet = oneSheet(number(0, 0, 45356, 0) + number(0, 1, 45356, 1) + number(0, 2, 45356.25, 2) +
                                             number(0, 3, 45356, 3) + number(0, 4, 45356, 99),
                                         globals);
        QCOMPARE(sheet.cellText(0, 0), QStringLiteral("45356"));
        QCOMPARE(sheet.cellText(0, 1), QStringLiteral("2024-03-05"));
        QCOMPARE(sheet.cellText(0, 2), QStringLiteral("2024-03-05 06:00:00"));
        QCOMPARE(sheet.cellText(0, 3), QStringLiteral("45356"));
        QCOMPARE(sheet.cellText(0, 4), QStringLiteral("45356")); // a format that does not exist
    }

    void excel95Workbook()
    {
        // Excel 5/95: the "Book" stream, 8-bit strings in the workbook's code page (936 here).
        QStringEncoder toGbk("GBK");
        const QByteArray text = toGbk.encode(QStringLiteral("阿莫西林"));
        const QByteArray name = "Sheet1";
        // A text cut off after a lead byte leaves the next cell's text alone.
        const QByteArray cut = toGbk.encode(QStringLiteral("阿")) + '\xD6';
        const QByteArray cells = record(0x0204, cellHeader(0, 0) + u16(int(text.size())) + text) + number(0, 1, 2.5) +
                                 record(0x0204, cellHeader(1, 0) + u16(int(cut.size())) + cut) +
                                 record(0x0204, cellHeader(1, 1) + u16(2) + "AB");
        const QByteArray stream =
            workbookStream(record(0x0042, u16(936)), {Sheet{QString::fromLatin1(name), cells}}, 0x0500);
        const Workbook book = fromStream(stream, "Book");
        QCOMPARE(book.sheetNames(), QStringList{QStringLiteral("Sheet1")});
        const Worksheet sheet = book.sheet(QStringLiteral("Sheet1"));
        QCOMPARE(sheet.cellText(0, 0), QStringLiteral("阿莫西林"));
        QCOMPARE(sheet.cellText(0, 1), QStringLiteral("2.5"));
        QVERIFY(sheet.cellText(1, 0).startsWith(QStringLiteral("阿")));
        QCOMPARE(sheet.cellText(1, 1), QStringLiteral("AB"));
    }

    void chartSheetsAreLeftOut()
    {
        const QByteArray stream =
            workbookStream({}, {Sheet{QStringLiteral("数据"), number(0, 0, 1)}, Sheet{QStringLiteral("图表"), {}, 2}});
        QCOMPARE(fromStream(stream).sheetNames(), QStringList{QStringLiteral("数据")});
    }

    void hugeCountsCostNothing()
    {
        // A shared string table that claims four billion strings but holds one.
        const Worksheet sheet = oneSheet(labelSst(0, 0, 0), record(0x00FC, u32(~0u) + u32(~0u) + string8("x")));
        QCOMPARE(sheet.cellText(0, 0), QStringLiteral("x"));
    }

    // Why a file cannot be opened, in the clerk's words: never the library's English with the path in it.
    void fileErrorsInPlainChinese_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("no permission") << int(G_FILE_ERROR_ACCES) << QStringLiteral("没有读取这个文件的权限");
        QTest::newRow("missing") << int(G_FILE_ERROR_NOENT) << QStringLiteral("文件不存在");
        QTest::newRow("a folder") << int(G_FILE_ERROR_ISDIR) << QStringLiteral("这是一个文件夹，不是文件");
        QTest::newRow("anything else") << int(G_FILE_ERROR_FAILED)
                                       << QStringLiteral("系统无法读取它（错误 %1）").arg(int(G_FILE_ERROR_FAILED));
    }
    void fileErrorsInPlainChinese()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        GError* error = g_error_new(G_FILE_ERROR, code, "Failed to open file “/tmp/x.xls”: Permission denied");
        QCOMPARE(data::gsf::fileErrorText(error), text);
        g_error_free(error);
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
