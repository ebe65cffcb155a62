// CSV and other delimited text read as a sheet: encodings told by content, delimiters sniffed, RFC 4180 quoting,
// every cell as written, damage refused with the row and the reason. Every case is read twice, in one pass and cut
// into pieces of a record or two on three threads, and both must give the same cells.
#include "WorkbookDump.h"
#include "worksheet/Workbook.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using data::SheetReading;
using data::Workbook;

namespace {

const SheetReading kSmallPieces{0, 3, 3};
const SheetReading kOnePass{std::numeric_limits<std::size_t>::max(), std::size_t(1) << 20, 1};

QStringList read(const QByteArray& file, const SheetReading& reading)
{
    try {
        return workbookdump::sheetLines(Workbook::openBytes(file).sheet(0, reading));
    } catch (const data::SheetError& error) {
        return {QStringLiteral("refused: ") + error.reason()};
    }
}

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QByteArray utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (bigEndian)
            bytes.append(char(u >> 8)).append(char(u & 0xFF));
        else
            bytes.append(char(u & 0xFF)).append(char(u >> 8));
    }
    return bytes;
}

} // namespace

class TestDelimitedText : public QObject
{
    Q_OBJECT

private slots:
    void cells_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("lines"); // extents, then the rows' cells joined by tabs
        QTest::addColumn<QString>("note");

        const QString products = QStringLiteral("编码,名称\r\n0159425,阿莫西林胶囊\r\n");
        const QStringList productLines{"3x2", "编码\t名称", "0159425\t阿莫西林胶囊", "\t"};
        QTest::newRow("UTF-8") << products.toUtf8() << QStringList{"2x2", "编码\t名称", "0159425\t阿莫西林胶囊"}
                               << "UTF-8 编码，逗号分隔";
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + products.toUtf8()
                                        << QStringList{"2x2", "编码\t名称", "0159425\t阿莫西林胶囊"} << "BOM";
        QTest::newRow("GBK") << gbk(products) << QStringList{"2x2", "编码\t名称", "0159425\t阿莫西林胶囊"} << "GB18030";
        QTest::newRow("UTF-16 LE") << utf16(products, false)
                                   << QStringList{"2x2", "编码\t名称", "0159425\t阿莫西林胶囊"} << "UTF-16";
        QTest::newRow("UTF-16 BE") << utf16(QStringLiteral("编码\t名称\n𠀋\t丸\n"), true)
                                   << QStringList{"2x2", "编码\t名称", "𠀋\t丸"} << "制表符分隔";
        QTest::newRow("tab, commas in some names")
            << u"名称\t单位\n感冒灵,颗粒\t盒\n阿莫西林\t瓶\n"_qs.toUtf8()
            << QStringList{"3x2", "名称\t单位", "感冒灵,颗粒\t盒", "阿莫西林\t瓶"} << "制表符分隔";
        QTest::newRow("semicolon") << QByteArray("a;b;c\n1,5;2;3\n") << QStringList{"2x3", "a\tb\tc", "1,5\t2\t3"}
                                   << "分号分隔";
        QTest::newRow("vertical bar in GBK") << gbk(QStringLiteral("名称|单位\n亅字|盒\n"))
                                             << QStringList{"2x2", "名称\t单位", "亅字\t盒"} << "竖线分隔";
        QTest::newRow("one column") << QByteArray("name\nx\n") << QStringList{"2x1", "name", "x"} << "逗号分隔";
        QTest::newRow("quoted delimiter, doubled quote, line break")
            << QByteArray("a,b\n\"1,5\",\"say \"\"hi\"\"\r\nnow\"\n")
            << QStringList{"2x2", "a\tb", "1,5\tsay \"hi\"\r\nnow"} << "";
        QTest::newRow("quote inside an unquoted field")
            << QByteArray("a,b\n12\"x,\"y\"z\n") << QStringList{"2x2", "a\tb", "12\"x\tyz"} << "";
        QTest::newRow("LF, CR and no last line break")
            << QByteArray("a,b\r1,2\n3,4") << QStringList{"3x2", "a\tb", "1\t2", "3\t4"} << "";
        QTest::newRow("empty lines and fields")
            << QByteArray("a,,c\n\n,,\nx\n") << QStringList{"4x3", "a\t\tc", "\t\t", "\t\t", "x\t\t"} << "";
        QTest::newRow("leading zeros, barcodes and numbers as written")
            << QByteArray("c,d,e,f\n007,6901234567892123,1.50,-3.25\n1e5,0,12.5,+1\n")
            << QStringList{"3x4", "c\td\te\tf", "007\t6901234567892123\t1.50\t-3.25", "1e5\t0\t12.5\t+1"} << "";
        QTest::newRow("=\"0123\" as text") << QByteArray("a,b\n=\"0123\",\"=\"\"0456\"\"\"\n=1+2,x\n")
                                           << QStringList{"3x2", "a\tb", "0123\t0456", "=1+2\tx"} << "";
    }
    void cells()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, lines);
        QFETCH(QString, note);
        QCOMPARE(read(file, kOnePass), lines);
        QCOMPARE(read(file, kSmallPieces), lines);
        const Workbook book = Workbook::openBytes(file);
        QCOMPARE(book.format(), data::WorkbookFormat::DelimitedText);
        QVERIFY2(book.formatNote().contains(note), qPrintable(book.formatNote()));
    }

    void damage_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        QTest::newRow("NUL byte") << QByteArray("a,b\n1,2\n3,x\0y\n", 14) << u"第 3 行含有 NUL 字节"_qs;
        QTest::newRow("unterminated quote")
            << QByteArray("a,b\n1,2\n\"3,4\n5,6\n") << u"第 3 行起有一个引号没有配对"_qs;
        QTest::newRow("bytes not UTF-8 after a UTF-8 start")
            << QByteArray("aaaaaaaaa\n").repeated(450000) + QStringLiteral("名称\n").toUtf8() + "\xFF\xFE,1\n"
            << u"第 450002 行有不属于 UTF-8 编码的字节"_qs;
        QTest::newRow("bytes not GB18030")
            << QByteArray("a,b\n\xC4\xFA,1\n\x81\x20,2\n") << u"第 3 行有不属于 GB18030"_qs;
        QTest::newRow("line longer than 1 MiB") << QByteArray("a,b\n") + QByteArray(1100000, 'x') + "\n1,2\n"
                                                << u"第 2 行长于 1 MiB"_qs;
        QTest::newRow("odd UTF-16 length") << QByteArray("\xFF\xFE"
                                                         "a\0,\0b\0\n\0c",
                                                         11)
                                           << u"半个 UTF-16 字符"_qs;
    }
    void damage()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        // Some sixty pieces at most, so that the large files stay quick.
        const SheetReading pieces{0, std::max<std::size_t>(3, std::size_t(file.size()) / 64), 3};
        for (const SheetReading& reading : {kOnePass, pieces}) {
            const QStringList lines = read(file, reading);
            QCOMPARE(lines.size(), 1);
            QVERIFY2(lines.front().startsWith(u"refused: “(内存)”") && lines.front().contains(reason),
                     qPrintable(lines.front()));
        }
    }

    // A file of none of the kinds read is refused in plain Chinese, naming the kinds; an empty text too.
    void refusals_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        QByteArray binary(600, '\0');
        binary.replace(0, 8, "\x89PNG\r\n\x1a\n");
        QTest::newRow("binary") << binary << u"不是本程序能读取的表格文件"_qs;
        QTest::newRow("other XML") << QByteArray("<?xml version=\"1.0\"?><svg/>") << u"CSV"_qs;
    }
    void refusals()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        try {
            Workbook::openBytes(file);
            QFAIL("no error");
        } catch (const data::WorkbookError& error) {
            QVERIFY2(error.reason().contains(reason), qPrintable(error.reason()));
            QVERIFY2(error.reason().contains(u"OpenDocument"), qPrintable(error.reason()));
        }
    }

    // The sheet is named after the file; a large file read in pieces gives what one pass gives.
    void fileNamedSheetAndLargeFile()
    {
        QTemporaryDir dir;
        QByteArray text("编码,名称,价格\n");
        for (int row = 1; row <= 30000; ++row)
            text +=
                QStringLiteral("%1,\"药品 %2\n第二行\",%3.5\n").arg(row, 7, 10, QChar(u'0')).arg(row).arg(row).toUtf8();
        const QString path = dir.filePath(QStringLiteral("商品.2024.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        const Workbook book = Workbook::open(path);
        QCOMPARE(book.sheetNames(), QStringList{u"商品.2024"_qs});
        const QStringList pieces = workbookdump::sheetLines(book.sheet(0, SheetReading{0, 4096, 3}));
        QCOMPARE(pieces, workbookdump::sheetLines(book.sheet(0, kOnePass)));
        QCOMPARE(pieces.size(), 30002);
        QCOMPARE(pieces.last(), u"0030000\t药品 30000\n第二行\t30000.5"_qs);
    }

    // Text is read where its name says text (or nothing); a text named for another kind is refused, saying how in.
    void textByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("read");
        QTest::newRow(".csv") << u"商品.csv"_qs << true;
        QTest::newRow(".TXT") << u"商品.TXT"_qs << true;
        QTest::newRow(".tsv") << u"商品.tsv"_qs << true;
        QTest::newRow("no suffix") << u"商品"_qs << true;
        QTest::newRow(".xls") << u"商品.xls"_qs << false;
        QTest::newRow(".py") << u"make.py"_qs << false;
    }
    void textByName()
    {
        QFETCH(QString, name);
        QFETCH(bool, read);
        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("编码\t名称\nA1\t感冒灵\n");
        file.close();
        try {
            const Workbook book = Workbook::open(file.fileName());
            QVERIFY2(read, "read a text named for another kind");
            QCOMPARE(book.sheet(0).rowCount(), 2);
        } catch (const data::WorkbookError& error) {
            QVERIFY2(!read, qPrintable(error.reason()));
            QVERIFY2(error.reason().startsWith(QStringLiteral("“%1”不是 Excel 工作簿").arg(name)) &&
                         error.reason().contains(u"扩展名改为 .csv"),
                     qPrintable(error.reason()));
        }
    }

    // The list a clerk brought: GBK, no header row, 11,398 products.
    void givenCsv()
    {
        const QString path = QStringLiteral(PI_SOURCE_DIR "/../shared/real-lists/more/szzfcgw_商品信息.csv");
        if (!QFile::exists(path))
            QSKIP(qPrintable(QStringLiteral("the real lists are not beside the checkout (%1)").arg(path)));
        const Workbook book = Workbook::open(path);
        QVERIFY2(book.formatNote().contains(u"GB18030"), qPrintable(book.formatNote()));
        const data::Worksheet sheet = book.sheet(0);
        QCOMPARE(sheet.name(), u"szzfcgw_商品信息"_qs);
        QCOMPARE(sheet.rowCount(), 11398);
        QCOMPARE(sheet.columnCount(), 4);
        QCOMPARE(workbookdump::sheetLines(sheet, 1).last(),
                 u"155046\t1\t金士顿 DT100G3 16G USB3.0 高速16g优盘 U盘\t47.70"_qs);
    }

    // Every real CSV, text or OpenDocument file beside the checkout reads, or is refused with a reason.
    void realFilesBesideTheCheckout()
    {
        const QString shared = QDir::cleanPath(QStringLiteral(PI_SOURCE_DIR "/../shared"));
        if (!QDir(shared).exists())
            QSKIP(qPrintable(QStringLiteral("no shared folder beside the checkout (%1)").arg(shared)));
        QDirIterator files(shared, {"*.csv", "*.tsv", "*.txt", "*.ods", "*.fods", "*.CSV", "*.ODS"}, QDir::Files,
                           QDirIterator::Subdirectories);
        int read = 0;
        while (files.hasNext()) {
            const QString path = files.next();
            try {
                const Workbook book = Workbook::open(path);
                for (int sheet = 0; sheet < book.sheetNames().size(); ++sheet)
                    QVERIFY(book.sheet(sheet).rowCount() >= 0);
                ++read;
            } catch (const data::WorkbookError& error) {
                QVERIFY2(!error.reason().isEmpty(), qPrintable(path));
            } catch (const data::SheetError& error) {
                QVERIFY2(!error.reason().isEmpty(), qPrintable(path));
            }
        }
        if (read == 0)
            QSKIP("no CSV, text or OpenDocument file beside the checkout");
    }
};

QTEST_GUILESS_MAIN(TestDelimitedText)
#include "tst_delimitedtext.moc"
