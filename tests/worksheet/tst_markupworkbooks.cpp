// The markup formats clerks bring as "Excel" files and OpenDocument spreadsheets: HTML tables (an Excel-style web
// export, pandas' to_html), Excel's XML Spreadsheet 2003, .ods from LibreOffice-style markup and from gnumeric, and
// the flat .fods. Each holds the same products and must read like the others; merged areas read with their value in
// the top-left cell and the covered cells empty, as in .xls and .xlsx.
#include "PackageBuilder.h"
#include "TestPaths.h"
#include "WorkbookDump.h"
#include "worksheet/Workbook.h"

#include <QFile>
#include <QStringEncoder>
#include <QTest>

using data::Workbook;
using testsupport::testData;

namespace {

const QStringList kProducts{
    "商品编号\t商品名称\t计量单位\t成本价\t销售价\t最低折扣\t当前库存\t单品折扣\t助记码",
    "0159425\t阿莫西林胶囊\t盒\t12.5\t18\t0.9\t120\t1\t",
    "0159426\t板蓝根颗粒\t袋\t8.3\t12.8\t1\t0\t1\tBLGKL",
    "6901234567892\t维生素C片 100片\t瓶\t3\t5.5\t0.85\t7\t0.95\t",
    "A&B-01\t复方甘草片<特>\t瓶\t2.75\t4\t1\t36\t1\t",
};

QString markup(const QString& name)
{
    return testData(QStringLiteral("markup/") + name);
}

QStringList lines(const QString& path, const QString& sheet)
{
    return workbookdump::sheetLines(Workbook::open(path).sheet(sheet));
}

QString refusal(const QByteArray& file)
{
    try {
        Workbook::openBytes(file);
    } catch (const data::WorkbookError& error) {
        return error.reason();
    }
    return {};
}

} // namespace

class TestMarkupWorkbooks : public QObject
{
    Q_OBJECT

private slots:
    void products_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QStringList>("expected"); // extents, then rows
        QTest::addColumn<data::WorkbookFormat>("format");
        // A merged title above the header; the Excel-style files merge the unit of the first two products (rowspan,
        // MergeDown) and break one name with <br>.
        QStringList merged = QStringList{"商品清单 — 2024\t\t\t\t\t\t\t\t"} + kProducts;
        merged[3].replace(u"\t袋\t"_qs, u"\t\t"_qs);
        merged[4].replace(u"维生素C片 100片"_qs, u"维生素C片\n100片"_qs);
        QTest::newRow("Excel-style HTML export (GBK)")
            << markup("products-excel-export.xls") << u"表1"_qs << QStringList{"6x9"} + merged
            << data::WorkbookFormat::HtmlTables;
        QTest::newRow("pandas to_html") << markup("products-pandas.html") << u"表1"_qs << QStringList{"5x9"} + kProducts
                                        << data::WorkbookFormat::HtmlTables;
        QStringList spreadsheetMl = QStringList{"商品清单\t\t\t\t\t\t\t\t"} + kProducts;
        spreadsheetMl[3].replace(u"\t袋\t"_qs, u"\t\t"_qs);
        spreadsheetMl << "\t\t\t\t\t\t\t\t"
                      << "2024-03-05\t2024-03-05 14:15:16\tTRUE\t粗体\n第二行\t#DIV/0!\t\t\t\t";
        QTest::newRow("XML Spreadsheet 2003")
            << markup("products-spreadsheetml.xml") << u"商品"_qs << QStringList{"8x9"} + spreadsheetMl
            << data::WorkbookFormat::XmlSpreadsheet;
        // Repeated rows and cells, a paragraph per line, a comment left out, typed values, and 1,048,563 empty
        // rows of formatting that cost nothing.
        const QStringList ods = QStringList{"9x9", "商品清单\n（2024 年 3 月）\t\t\t\t\t\t\t\t"} + kProducts +
                                QStringList{"X1\t同一行\t\t\t2.5\t\t\t\t", "X1\t同一行\t\t\t2.5\t\t\t\t",
                                            "2024-03-05\t甲  乙\n丙\t2024-03-05 14:15:16\t0.125\tTRUE\t08:30:00\t\t\t"};
        QTest::newRow("LibreOffice-style .ods")
            << markup("products-libreoffice.ods") << u"商品"_qs << ods << data::WorkbookFormat::OpenDocument;
        QTest::newRow("flat .fods") << markup("products-libreoffice.fods") << u"商品"_qs << ods
                                    << data::WorkbookFormat::OpenDocument;
    }
    void products()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        QFETCH(QStringList, expected);
        QFETCH(data::WorkbookFormat, format);
        QCOMPARE(lines(file, sheet), expected);
        QCOMPARE(Workbook::open(file).format(), format);
    }

    void sheetsOfEachFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("sheets");
        QTest::newRow("a table per sheet, named by its caption")
            << markup("products-excel-export.xls") << QStringList{"表1", "说明"};
        QTest::newRow("worksheets") << markup("products-spreadsheetml.xml") << QStringList{"商品", "空表"};
        QTest::newRow("tables, the hidden one too")
            << markup("products-libreoffice.ods") << QStringList{"商品", "隐藏"};
    }
    void sheetsOfEachFile()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, sheets);
        QCOMPARE(Workbook::open(file).sheetNames(), sheets);
    }

    // gnumeric writes the same sheets as .xls and as .ods: numbers, dates, times, booleans, errors and long texts
    // read the same from both.
    void gnumericOdsReadsLikeItsXls()
    {
        const Workbook ods = Workbook::open(markup("common-gnumeric.ods"));
        const Workbook xls = Workbook::open(testData(QStringLiteral("xls/common-gnumeric.xls")));
        QCOMPARE(workbookdump::dump(ods), workbookdump::dump(xls));
    }

    // An HTML page without <meta charset> in GBK is told by its bytes; nested tables are sheets of their own.
    void htmlByContent()
    {
        QStringEncoder gbk("GB18030");
        const QByteArray page = gbk.encode(
            u"<table><tr><th>名称</th><th colspan=2>价格&amp;单位</th></tr><tr><td rowspan=2>感冒灵</td><td>12"
            "</td><td><table><tr><td>内</td></tr></table>盒</td></tr><tr><td>  3  </td><td>瓶</td></tr></table>"_qs);
        const Workbook book = Workbook::openBytes(page);
        QCOMPARE(book.sheetNames(), (QStringList{"表1", "表2"}));
        QCOMPARE(workbookdump::sheetLines(book.sheet(0)),
                 (QStringList{"3x3", "名称\t价格&单位\t", "感冒灵\t12\t盒", "\t3\t瓶"}));
        QCOMPARE(workbookdump::sheetLines(book.sheet(1)), (QStringList{"1x1", "内"}));
        QVERIFY2(book.formatNote().contains(u"GB18030"), qPrintable(book.formatNote()));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        QTest::newRow("page without a table")
            << QByteArray("<!DOCTYPE html><html><body><p>x</p></body></html>") << u"其中没有表格"_qs;
        QTest::newRow("damaged XML Spreadsheet")
            << QByteArray("<?xml version=\"1.0\"?><Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\">"
                          "<Worksheet><Table><Row>")
            << u"XML 电子表格，但已损坏"_qs;
        QTest::newRow("damaged flat OpenDocument")
            << QByteArray("<?xml version=\"1.0\"?><office:document xmlns:office=\""
                          "urn:oasis:names:tc:opendocument:xmlns:office:1.0\"><office:body>")
            << u"已损坏"_qs;
        QTest::newRow("OpenDocument text")
            << packagebuilder::zip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                                    {"content.xml", "<office:document-content/>"}})
            << u"是 OpenDocument 文件，但不是电子表格"_qs;
        QTest::newRow("OpenDocument spreadsheet without content")
            << packagebuilder::zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}})
            << u"没有 content.xml"_qs;
    }
    void refusals()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        const QString said = refusal(file);
        QVERIFY2(said.contains(reason), qPrintable(said));
    }

    // Damaged copies of every fixture (bytes changed, the end cut off) are read or refused, never a crash or another
    // exception; the same damage each run.
    void damagedCopiesAreReadOrRefused_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* name : {"products-excel-export.xls", "products-pandas.html", "products-spreadsheetml.xml",
                                 "products-libreoffice.ods", "products-libreoffice.fods"})
            QTest::newRow(name) << markup(QString::fromLatin1(name));
    }
    void damagedCopiesAreReadOrRefused()
    {
        QFETCH(QString, file);
        QFile original(file);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        std::uint32_t seed = 2024;
        const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
        int read = 0;
        for (int copy = 0; copy < 200; ++copy) {
            QByteArray damaged = copy % 10 == 9 ? bytes.left(qsizetype(next() % std::uint32_t(bytes.size()))) : bytes;
            for (int change = 0; change < 1 + copy % 4 && !damaged.isEmpty(); ++change)
                damaged[qsizetype(next() % std::uint32_t(damaged.size()))] = char(next() >> 24);
            try {
                const Workbook book = Workbook::openBytes(damaged);
                for (int sheet = 0; sheet < book.sheetNames().size(); ++sheet)
                    workbookdump::sheetLines(book.sheet(sheet), 64, 64);
                ++read;
            } catch (const data::WorkbookError&) {
            } catch (const data::SheetError&) {
            }
        }
        QVERIFY2(read > 0, "no damaged copy read at all: the damage is too heavy to test the readers");
    }
};

QTEST_GUILESS_MAIN(TestMarkupWorkbooks)
#include "tst_markupworkbooks.moc"
