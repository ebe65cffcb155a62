// The product sheet as the import reads it: the nine columns by header, the row count, and each row's fields
// trimmed, defaulted and given a mnemonic.
#include "engine/rows/ProductRow.h"
#include "engine/sheet/CellText.h"
#include "engine/sheet/ProductSheet.h"
#include "mnemonic/MnemonicCode.h"
#include "mnemonic/MnemonicEncoder.h"
#include "TestPaths.h"

#include <QLocale>
#include <QTest>

using data::Workbook;
using importer::MissingColumnsError;
using importer::ProductColumn;
using importer::ProductRow;
using importer::ProductSheet;

namespace {

QString xls(const QString& name)
{
    return testsupport::testData(QStringLiteral("xls/") + name);
}

ProductSheet productSheet(const QString& file, const QString& sheet = QStringLiteral("Sheet1"))
{
    return ProductSheet(Workbook::open(xls(file)).sheet(sheet));
}

ProductRow fillProductRow(const ProductSheet& sheet, int dataRow)
{
    mnemonic::MnemonicEncoder mnemonics;
    return importer::fillProductRow(sheet, dataRow, mnemonics);
}

} // namespace

class TestProductSheet : public QObject
{
    Q_OBJECT

private slots:
    void trimControls_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("blanks") << "  A01  "
                                << "A01";
        QTest::newRow("control characters") << QStringLiteral("\t\r\n\x01") + "A01\x1f\x0b"
                                            << "A01";
        QTest::newRow("only blanks") << " \t "
                                     << "";
        QTest::newRow("inner blanks stay") << " a  b "
                                           << "a  b";
        QTest::newRow("full-width blank stays") << "\u3000复方\u3000"
                                                << "\u3000复方\u3000";
        QTest::newRow("DEL stays") << "\x7f"
                                   << "\x7f";
        QTest::newRow("empty") << ""
                               << "";
    }
    void trimControls()
    {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(importer::trimControls(text), trimmed);
    }

    void rows_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>(
            "fields"); // Code Name Mnemonic Unit CostPrice SalePrice MinDiscount Stock ItemDiscount
        QTest::newRow("trimmed, defaults, mnemonic from the name")
            << 0 << QStringList{"A01", "阿莫西林胶囊", "AMXLJN", "盒", "0", "18", "0", "0", "1"};
        QTest::newRow("code of control characters only is empty")
            << 1 << QStringList{"", "空编号", "KBH", "个", "1", "2", "0", "0", "1"};
        QTest::newRow("full-width blanks stay, zero stays, own mnemonic trimmed")
            << 2 << QStringList{"A03", "\u3000复方甘草片\u3000", "FGGCP", "瓶", "0", "12.5", "0.9", "5", "1"};
        QTest::newRow("16-digit code in exponent form")
            << 3 << QStringList{"1.23456789012346E+15", "大编号", "DBH", "", "0", "0", "0", "0", "1"};
        QTest::newRow("a price that is no number stays as read")
            << 4 << QStringList{"A05", "价格出错", "JGCC", "盒", "0", "abc", "0", "0", "1"};
        QTest::newRow("an error cell reads as its error text")
            << 5 << QStringList{"A06", "#错误单元格", "CWDYG", "盒", "0", "#DIV/0!", "0", "0", "1"};
    }
    void rows()
    {
        QFETCH(int, row);
        QFETCH(QStringList, fields);
        const ProductRow p = fillProductRow(productSheet(QStringLiteral("products-xlwt.xls")), row);
        QCOMPARE((QStringList{p.Code, p.Name, p.Mnemonic, p.Unit, p.CostPrice, p.SalePrice, p.MinDiscount, p.Stock,
                              p.ItemDiscount}),
                 fields);
    }

    void mnemonicFromTheUntrimmedNameCell()
    {
        const ProductSheet sheet = productSheet(QStringLiteral("products-xlwt.xls"));
        const QString cell = sheet.cellText(6, ProductColumn::Name);
        QCOMPARE(cell, QStringLiteral("Line\nbreak\\tab\there"));
        QCOMPARE(fillProductRow(sheet, 6).Mnemonic, mnemonic::BuildMnemonicCode(cell, mnemonic::moMarkMissing, 255));
    }

    void columnsInAnyOrderFromEveryWriter_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xlwt") << "common-xlwt.xls";
        QTest::newRow("Spreadsheet::WriteExcel") << "common-writeexcel.xls";
        QTest::newRow("gnumeric") << "common-gnumeric.xls";
    }
    void columnsInAnyOrderFromEveryWriter()
    {
        QFETCH(QString, file);
        const ProductSheet sheet = productSheet(file);
        QCOMPARE(sheet.rowCount(), 5); // the blank row counts
        const ProductRow first = fillProductRow(sheet, 0);
        QCOMPARE((QStringList{first.Code, first.Name, first.Mnemonic, first.Unit, first.CostPrice, first.SalePrice,
                              first.MinDiscount, first.Stock, first.ItemDiscount}),
                 (QStringList{"A001", "阿莫西林胶囊", "AMXLJN", "盒", "12.5", "18", "0.9", "120", "1"}));
        QCOMPARE(fillProductRow(sheet, 1).Mnemonic, QStringLiteral("BLGKL"));
        QCOMPARE(fillProductRow(sheet, 3).Code, QString());
        QCOMPARE(fillProductRow(sheet, 4).CostPrice, QStringLiteral("0.1"));
    }

    void emptySheetLacksCodeAndName()
    {
        try {
            productSheet(QStringLiteral("products-xlwt.xls"), QStringLiteral(" Sheet1 "));
            QFAIL("no error");
        } catch (const MissingColumnsError& error) {
            QCOMPARE(error.sheetName(), QStringLiteral(" Sheet1 "));
            QVERIFY2(error.message().contains(QStringLiteral("工作表“ Sheet1 ”是空的")), qPrintable(error.message()));
            QVERIFY2(error.message().contains(QStringLiteral("没有商品编号列")), qPrintable(error.message()));
            QVERIFY2(error.message().contains(QStringLiteral("没有商品名称列")), qPrintable(error.message()));
            QVERIFY(error.message().contains(QStringLiteral("--map 商品编号=")));
        }
    }

    void exampleWorkbookBesideTheProgram()
    {
        const QString path = testsupport::programFolder() + QStringLiteral("商品信息导入格式事例.xls");
        const ProductSheet sheet(Workbook::open(path).sheet(QStringLiteral("Sheet1")));
        QVERIFY(sheet.rowCount() >= 5);
        int madeMnemonics = 0;
        for (int row = 0; row < sheet.rowCount(); ++row) {
            const ProductRow p = fillProductRow(sheet, row);
            QVERIFY(!p.Code.isEmpty() && !p.Name.isEmpty() && !p.Unit.isEmpty());
            for (const QString& number : {p.CostPrice, p.SalePrice, p.MinDiscount, p.Stock, p.ItemDiscount}) {
                bool ok = false;
                QLocale::system().toDouble(number, &ok);
                QVERIFY2(ok, qPrintable(number));
            }
            if (sheet.cellText(row, ProductColumn::Mnemonic).isEmpty()) {
                ++madeMnemonics;
                QVERIFY(!p.Mnemonic.isEmpty());
            }
        }
        QCOMPARE(madeMnemonics, 1);
    }

    void headerOnly()
    {
        QCOMPARE(productSheet(QStringLiteral("products-xlwt.xls"), QStringLiteral("只有表头")).rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProductSheet)
#include "tst_productsheet.moc"
