// Product lists as clerks bring them: the header row, the sheet and the columns found by meaning, the clerk's choice
// over what is found, rows that are no products, and the reason of every failed row; then the real lists that
// pharmacies and shops published, imported with nothing but a category.
#include "CliRun.h"
#include "db/Connection.h"
#include "engine/rows/ProductRow.h"
#include "engine/sheet/HeaderNames.h"
#include "engine/sheet/ProductSheet.h"
#include "engine/sheet/SheetLayout.h"
#include "EngineTestSupport.h"
#include "ListWorkbook.h"
#include "mnemonic/MnemonicEncoder.h"
#include "store/DemoStore.h"
#include "StoreFixture.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using importer::ColumnChoice;
using importer::ProductColumn;
using importer::SheetLayout;

namespace {

QString list(const QString& name)
{
    return testsupport::testData(QStringLiteral("lists/") + name);
}

QString realListsFolder()
{
    return QStringLiteral(PI_SOURCE_DIR "/../shared/real-lists");
}

// The fields' columns as letters in the order of the nine fields, "-" for none: "A B - - E - F - G".
QString columnsOf(const SheetLayout& layout)
{
    QStringList letters;
    for (ProductColumn field : importer::kProductColumns) {
        const int column = layout.column(field);
        letters << (column < 0 ? QStringLiteral("-") : importer::columnLetter(column));
    }
    return letters.join(u' ');
}

importer::ProductSheet productSheet(const QString& path, const QString& sheetName = QString(),
                                    const ColumnChoice& choice = {})
{
    const data::Workbook book = data::Workbook::open(path);
    return importer::ProductSheet(sheetName.isEmpty() ? importer::chooseProductSheet(book) : book.sheet(sheetName),
                                  choice);
}

QStringList rowFields(const importer::ProductRow& p)
{
    return {p.Code, p.Name, p.Unit, p.CostPrice, p.SalePrice, p.MinDiscount, p.Stock, p.ItemDiscount, p.Mnemonic};
}

QStringList gbkLog(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no log>")};
    QStringDecoder gbk("GB18030");
    return QString(gbk(file.readAll())).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

} // namespace

class TestProductLists : public QObject
{
    Q_OBJECT

private slots:
    void normalizedHeader_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("blanks around") << "  编码 " << QStringLiteral("编码");
        QTest::newRow("ideographic blank inside") << QStringLiteral("商品\u3000名称") << QStringLiteral("商品名称");
        QTest::newRow("line break and remark") << "销售价\n(数字)" << QStringLiteral("销售价");
        QTest::newRow("full-width remark") << QStringLiteral("名称（必填）") << QStringLiteral("名称");
        QTest::newRow("star remark") << "单价(*)" << QStringLiteral("单价");
        QTest::newRow("two remarks") << QStringLiteral("库存(整数)【可不填】") << QStringLiteral("库存");
        QTest::newRow("trailing star") << "拼音码*" << QStringLiteral("拼音码");
        QTest::newRow("leading star") << "*商品名称" << QStringLiteral("商品名称");
        QTest::newRow("full-width letters, case") << QStringLiteral("ＳＫＵ") << QStringLiteral("sku");
        QTest::newRow("English words") << "Product Name" << QStringLiteral("productname");
        QTest::newRow("a remark alone stays") << "(*)" << QStringLiteral("(*)");
    }
    void normalizedHeader()
    {
        QFETCH(QString, header);
        QFETCH(QString, normalized);
        QCOMPARE(importer::normalizedHeader(header), normalized);
    }

    // A name that two fields claimed would send one column to both; every name leads back to its own field.
    void everyNameNamesOneField()
    {
        for (ProductColumn field : importer::kProductColumns) {
            for (const QString& name : importer::headerNamesOf(field)) {
                QVERIFY2(importer::fieldNamed(name) == field, qPrintable(name));
                const std::optional<importer::HeaderReading> reading = importer::readHeader(name);
                QVERIFY2(reading && reading->field == field, qPrintable(name));
            }
            QVERIFY(importer::readHeader(importer::templateHeader(field))->by ==
                    importer::HeaderReading::By::TemplateHeader);
        }
    }

    void layoutFound_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("sheet"); // as chosen when no sheet is named
        QTest::addColumn<int>("headerRow");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<bool>("exactTemplate");
        QTest::newRow("the template") << testsupport::testData(QStringLiteral("xls/products-xlwt.xls"))
                                      << QStringLiteral("Sheet1") << 0 << "A B C D E F G H I" << true;
        QTest::newRow("other names with decoration")
            << list("decorated-headers.xlsx") << QStringLiteral("Sheet1") << 0 << "A B C D E - F - G" << false;
        QTest::newRow("title rows above, products beside an empty Sheet1")
            << list("title-rows.xlsx") << QStringLiteral("饮片") << 6 << "A C E - F - - - D" << false;
        QTest::newRow("商品编码 before 条码")
            << list("two-codes.xlsx") << QStringLiteral("Sheet1") << 0 << "C B - - D - E - -" << false;
        QTest::newRow("English") << list("english.xlsx") << QStringLiteral("score") << 0 << "A B C D E - F - -"
                                 << false;
    }
    void layoutFound()
    {
        QFETCH(QString, path);
        QFETCH(QString, sheet);
        QFETCH(int, headerRow);
        QFETCH(QString, columns);
        QFETCH(bool, exactTemplate);
        const data::Workbook book = data::Workbook::open(path);
        QCOMPARE(importer::chooseProductSheet(book).name(), sheet);
        const SheetLayout layout = importer::findSheetLayout(book.sheet(sheet));
        QCOMPARE(layout.headerRow, headerRow);
        QCOMPARE(columnsOf(layout), columns);
        QCOMPARE(layout.isExactTemplate(), exactTemplate);
    }

    // Missing columns read as blank cells with their defaults; the rows above the header are not counted; blank rows
    // and the total row at the foot are empty records.
    void rowsOfAList()
    {
        const importer::ProductSheet sheet = productSheet(list("title-rows.xlsx"));
        QCOMPARE(sheet.rowCount(), 5);
        QCOMPARE(sheet.sheetRowNumber(0), 8);
        mnemonic::MnemonicEncoder mnemonics;
        QCOMPARE(rowFields(importer::fillProductRow(sheet, 0, mnemonics)),
                 (QStringList{"00000002", "生知母", "克", "0", "0.31", "0", "0", "1", "SZM"}));
        QCOMPARE(importer::fillProductRow(sheet, 2, mnemonics).Code, QString());
        QCOMPARE(rowFields(importer::fillProductRow(sheet, 3, mnemonics)),
                 (QStringList{"00000005", "黄芪", "克", "0", "0.2", "0", "0", "1", "HQ"}));
        QVERIFY(sheet.isTotalRow(4));
        QCOMPARE(importer::fillProductRow(sheet, 4, mnemonics).Code, QString());

        const importer::ProductSheet decorated = productSheet(list("decorated-headers.xlsx"));
        QCOMPARE(rowFields(importer::fillProductRow(decorated, 2, mnemonics)),
                 (QStringList{"P003", "维生素C片", "", "0", "0", "0", "0", "1", "WSSCP"}));
    }

    void totalRows_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("total");
        QTest::newRow("合  计 in the code cell") << QStringLiteral("合  计") << QString() << true;
        QTest::newRow("总计 in the name cell") << QStringLiteral("12") << QStringLiteral("总计") << true;
        QTest::newRow("小计 with an ideographic blank") << QString() << QStringLiteral("小\u3000计") << true;
        QTest::newRow("合计 beside a product name") << QStringLiteral("合计") << QStringLiteral("合计贴") << false;
        QTest::newRow("a product named with 计") << QStringLiteral("J1") << QStringLiteral("计量杯") << false;
    }
    void totalRows()
    {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(bool, total);
        // A sheet of its own: the template header and the one row.
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("total.xlsx"));
        enginetest::writeListWorkbook(path, {{QStringLiteral("商品编号"), QStringLiteral("商品名称")}, {code, name}});
        QCOMPARE(productSheet(path, QStringLiteral("S")).isTotalRow(0), total);
    }

    void choiceOverridesWhatIsFound_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<int>("headerRow"); // 0: found
        QTest::addColumn<QString>("columns");
        QTest::newRow("by header text") << QStringList{"商品编号=条码"} << 0 << "A B - - D - E - -";
        QTest::newRow("by letter, lower case") << QStringList{"商品编号=a", "计量单位=E"} << 0 << "A B E - D - E - -";
        QTest::newRow("another name of the field") << QStringList{"编码=条码"} << 0 << "A B - - D - E - -";
        QTest::newRow("none") << QStringList{"当前库存=(无)"} << 0 << "C B - - D - - - -";
        QTest::newRow("header row given") << QStringList{} << 1 << "C B - - D - E - -";
    }
    void choiceOverridesWhatIsFound()
    {
        QFETCH(QStringList, assignments);
        QFETCH(int, headerRow);
        QFETCH(QString, columns);
        ColumnChoice choice;
        for (const QString& assignment : assignments)
            importer::addColumnChoice(choice, assignment);
        if (headerRow > 0)
            choice.headerRow = headerRow - 1;
        const importer::ProductSheet sheet = productSheet(list("two-codes.xlsx"), QString(), choice);
        QCOMPARE(columnsOf(sheet.layout()), columns);
    }

    void choicesRefused_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<QString>("message");
        QTest::newRow("numbering another field") << QStringList{"规格=#"} << QStringLiteral("只有商品编号可以自动编号");
        QTest::newRow("no equals sign") << QStringList{"商品编号"} << QStringLiteral("不是“字段=列名”的形式");
        QTest::newRow("a header the sheet lacks")
            << QStringList{"商品编号=货号"} << QStringLiteral("没有列名为“货号”的列");
    }
    void choicesRefused()
    {
        QFETCH(QStringList, assignments);
        QFETCH(QString, message);
        try {
            ColumnChoice choice;
            for (const QString& assignment : assignments)
                importer::addColumnChoice(choice, assignment);
            productSheet(list("two-codes.xlsx"), QString(), choice);
            QFAIL("the choice was taken");
        } catch (const importer::ColumnChoiceError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }

    void noCodeColumnIsRefusedSayingWhatToDo()
    {
        try {
            productSheet(list("no-code.xlsx"));
            QFAIL("a sheet without codes was read");
        } catch (const importer::MissingColumnsError& error) {
            const QString& message = error.message();
            QVERIFY2(message.contains(QStringLiteral("没有商品编号列")), qPrintable(message));
            QVERIFY(!message.contains(QStringLiteral("没有商品名称列"))); // 药品名字(*) gives the name
            QVERIFY(message.contains(QStringLiteral("商品编码、")) && message.contains(QStringLiteral("条码")));
            QVERIFY(message.contains(QStringLiteral("--map 商品编号=C")));
        }
        // Told which column holds the codes, the same sheet reads.
        ColumnChoice choice;
        importer::addColumnChoice(choice, QStringLiteral("商品编号=规格(*)"));
        QCOMPARE(productSheet(list("no-code.xlsx"), QString(), choice).rowCount(), 1);
    }

    // The lists imported through product-import-cli with nothing but the category: what is stored, what counts as
    // empty, and the reason of each failed row in log.txt.
    void importsAsTheyAre_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("statusLine");
        QTest::addColumn<QStringList>("log"); // after the header line
        QTest::newRow("title rows and a total")
            << list("title-rows.xlsx") << QStringList{} << 0 << QStringLiteral("共5条,正确导入3条,错误0条,空纪录2条")
            << QStringList{};
        QTest::newRow("failures with reasons")
            << list("failures.xlsx") << QStringList{} << 3 << QStringLiteral("共3条,正确导入1条,错误2条,空纪录0条")
            << QStringList{QStringLiteral("编号---F2；名称---葡萄糖；原因---售价“个”不是数字"),
                           QStringLiteral("编号---F1；名称---甘草片（第二批）；原因---编号重复，与第2行的编号相同")};
        QTest::newRow("no code column") << list("no-code.xlsx") << QStringList{} << 1
                                        << QStringLiteral("正在导入......") << QStringList{};
        QTest::newRow("no code column, told which")
            << list("no-code.xlsx") << QStringList{"--map", "商品编号=B", "--header-row", "1"} << 0
            << QStringLiteral("共1条,正确导入1条,错误0条,空纪录0条") << QStringList{};
    }
    void importsAsTheyAre()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, extra);
        QFETCH(int, exitStatus);
        QFETCH(QString, statusLine);
        QFETCH(QStringList, log);
        QTemporaryDir folder;
        const QString store = folder.filePath(QStringLiteral("store.dat"));
        const QString logPath = folder.filePath(QStringLiteral("log.txt"));
        data::createDemoStore(store);
        const testsupport::CliRun run = testsupport::runCliInProcess(
            QStringList{"import", path, "--category", "010101", "--store", store, "--log", logPath} + extra);
        QVERIFY2(run.exitCode == exitStatus, run.err.constData());
        const QString summaryEnd = QStringLiteral(",点此查看错误的信息！");
        QCOMPARE(QString::fromUtf8(run.out).trimmed(),
                 statusLine + (statusLine.endsWith(u'条') ? summaryEnd : QString()));
        if (exitStatus != 1)
            QCOMPARE(gbkLog(logPath), QStringList{QStringLiteral("以下是导入错误的信息！")} + log);
        else
            QVERIFY(run.err.contains("--map"));
    }

    // The lists as a clerk reads them: which products are stored, under which values. A list of names without
    // codes is refused, naming numbering, and numbered it stores every product.
    void realLists_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QList<int>>("counts");  // rows, stored, failed, empty
        QTest::addColumn<QString>("code");       // one stored product, its code as stored (letter B)
        QTest::addColumn<QStringList>("values"); // Cpxm_mc, Cpxm_dw, Cpxm_jp, Cpxm_cbdj, Cpxm_ysdj, CPxm_sl
        const QStringList numbered{"--map", "商品编号=#"};
        QTest::newRow("hospital herbal stock, batches repeat codes")
            << "resolveexcel_药品库存.xlsx" << QStringList{} << 3 << QList<int>{851, 642, 209, 0} << "B700000248901"
            << QStringList{"伸筋草", "g", "SJC", "0.032", "0.0399", "2695"};
        QTest::newRow("TCM printout, title rows and a total")
            << "doctor_medicine-file.xls" << QStringList{} << 0 << QList<int>{514, 513, 0, 1} << "B00000002"
            << QStringList{"+生知母", "克", "+SZM", "0", "0.31", "0"};
        QTest::newRow("snack shop POS export")
            << "simpleshop_商品资料.xlsx" << QStringList{} << 0 << QList<int>{302, 302, 0, 0} << "B8997788998624"
            << QStringList{"啪啪通虾片烤番茄味", "", "pptxpkfqw", "9.8", "13", "0"};
        QTest::newRow("convenience store, sheet score")
            << "findshop_商品列表.xls" << QStringList{} << 0 << QList<int>{729, 729, 0, 0} << "B6901028004947"
            << QStringList{"双喜(软蓝红玫王)", "包", "SX(RLHMW)", "10.282", "13", "1"};
        QTest::newRow("stationery price list on Sheet2")
            << "ymyf_价格表.xlsx" << QStringList{} << 3 << QList<int>{266, 123, 7, 136} << "BA4-501"
            << QStringList{"网格拉链袋", "个", "WGLLD", "0", "5", "0"};
        QTest::newRow("import template without codes")
            << "hnis_药品导入模板.xlsx" << QStringList{} << 1 << QList<int>{} << QString() << QStringList{};
        QTest::newRow("import template without codes, numbered")
            << "hnis_药品导入模板.xlsx" << numbered << 0 << QList<int>{64, 10, 0, 54} << "B01"
            << QStringList{"连钱草_lianqiancao", "", "LQCLIANQIANCAO", "0", "1.56", "0"};
        QTest::newRow("goods list: 商品号, 商品名, 进价, 普通售价")
            << "more/cashregister_goods.xls" << QStringList{} << 0 << QList<int>{19, 19, 0, 0} << "B6723212315"
            << QStringList{"瓜碟", "", "GD", "32.9", "80", "0"};
        QTest::newRow("web-shop item master: 单品ID, 单品名称, 单品成本")
            << "more/inventory_单品.xlsx" << QStringList{} << 0 << QList<int>{239, 239, 0, 0} << "B2220491350113"
            << QStringList{"青岛崂山啤酒500ml罐装", "瓶", "QDLSPJ500MLGZ", "0", "0", "0"};
        QTest::newRow("English POS dump: CODE, NAME, JP, INPRICE, SALEPRICE")
            << "more/possystem_BASEITEM.xlsx" << QStringList{} << 0 << QList<int>{8622, 8622, 0, 0} << "B1028"
            << QStringList{"驰星养生锅黑色34cm", "瓶", "CXYSGHS34CM", "110", "145", "0"};
        QTest::newRow("cloud ERP export, prices empty")
            << "more/ruiqumall_商品资料.xlsx" << QStringList{} << 0 << QList<int>{5646, 5646, 0, 0} << "B100253364799"
            << QStringList{
                   "卡夫特电子有机硅密封胶 白色流淌 K-704L 300ml/瓶", "", "KFTDZYJGMFJBSLTK704L300MLP", "0", "0", "0"};
        QTest::newRow("lab stock without codes")
            << "more/benzyl_药品基本信息.xlsx" << QStringList{} << 1 << QList<int>{} << QString() << QStringList{};
        QTest::newRow("lab stock numbered: 中文名 beside the brand 商品名, stocks like 300+ fail")
            << "more/benzyl_药品基本信息.xlsx" << numbered << 3 << QList<int>{55, 52, 3, 0} << "B02"
            << QStringList{"氯硝西泮片", "", "LXXPP", "0", "0", "0"};
        QTest::newRow("wholesaler's price list without codes")
            << "more/export2web_红岭中学食材新报价(3).xlsx" << QStringList{} << 1 << QList<int>{} << QString()
            << QStringList{};
        QTest::newRow("wholesaler's price list numbered: 含税价 before 未含税销售单价")
            << "more/export2web_红岭中学食材新报价(3).xlsx" << numbered << 3 << QList<int>{1218, 1200, 18, 0} << "B0002"
            << QStringList{"厨师肉松1000g", "包", "CSRS1000G", "0", "86.897", "0"};
        QTest::newRow("GBK CSV without a header row, numbered: name and price by content")
            << "more/szzfcgw_商品信息.csv" << QStringList{"--header-row", "0", "--map", "商品编号=#"} << 0
            << QList<int>{11398, 11398, 0, 0} << "B00001"
            << QStringList{
                   "金士顿 DT100G3 16G USB3.0 高速16g优盘 U盘", "", "JSDDT100G316GUSB30GS16GYPUP", "0", "47.7", "0"};
        QTest::newRow("web-shop upload sheet: ID and SKU columns left empty")
            << "more/commercetool_shoes-import-5140640-top100.xlsx" << QStringList{} << 1 << QList<int>{} << QString()
            << QStringList{};
        QTest::newRow("web-shop upload sheet numbered: size rows are no products")
            << "more/commercetool_shoes-import-5140640-top100.xlsx" << numbered << 3 << QList<int>{1362, 100, 1, 1261}
            << "B003"
            << QStringList{"IB1087-600 Nike Wmns Shox TL 'Gym Red/Gym Red/White'",
                           "双",
                           "IB1087600NIKEWMNSSHOXTLGYMREDGYMREDWHITE",
                           "0",
                           "0",
                           "99"};
    }
    void realLists()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, extra);
        QFETCH(int, exitStatus);
        QFETCH(QList<int>, counts);
        QFETCH(QString, code);
        QFETCH(QStringList, values);
        const QString path = realListsFolder() + u'/' + file;
        if (!QFile::exists(path))
            QSKIP(qPrintable(QStringLiteral("the real lists are not beside the checkout (%1)").arg(realListsFolder())));
        QTemporaryDir folder;
        const QString store = folder.filePath(QStringLiteral("store.dat"));
        data::createDemoStore(store);
        const testsupport::CliRun run = testsupport::runCliInProcess(
            QStringList{"import", path, "--category", "010101", "--store", store, "--log", folder.filePath("log.txt")} +
            extra);
        QVERIFY2(run.exitCode == exitStatus, run.err.constData());
        if (exitStatus == 1) {
            // Refused, saying how to number the products first, then which names are accepted for the code and how
            // to choose a column.
            const QString err = QString::fromUtf8(run.err);
            QVERIFY2(err.contains(QStringLiteral("商品编号列")), run.err.constData());
            QVERIFY(err.indexOf(QStringLiteral("--map 商品编号=#")) >= 0);
            QVERIFY(err.indexOf(QStringLiteral("--map 商品编号=#")) < err.indexOf(QStringLiteral("--map 商品编号=C")));
            return;
        }
        QCOMPARE(QString::fromUtf8(run.out).trimmed(),
                 QStringLiteral("共%1条,正确导入%2条,错误%3条,空纪录%4条,点此查看错误的信息！")
                     .arg(counts[0])
                     .arg(counts[1])
                     .arg(counts[2])
                     .arg(counts[3]));
        data::Connection connection;
        connection.connect(data::Connection::sqliteConnectionString(store));
        QCOMPARE(enginetest::productCount(connection), 2 + counts[1]);
        const char* columns[] = {"Cpxm_mc", "Cpxm_dw", "Cpxm_jp"};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(enginetest::productValue(connection, code, columns[i]), values[i]);
        const char* numbers[] = {"Cpxm_cbdj", "Cpxm_ysdj", "CPxm_sl"};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(enginetest::productNumber(connection, code, numbers[i]), values[3 + i].toDouble());
        // Every failed row says why.
        for (const QString& line : gbkLog(folder.filePath("log.txt")).mid(1))
            QVERIFY2(line.contains(QStringLiteral("；原因---")), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestProductLists)
#include "tst_productlists.moc"
