// Columns found by what they mean and what they hold: headers read by their parts, the content deciding between two
// candidates of a field, lists without codes, the clerk's column letters, repeated header rows, and which sheet is
// read when the workbook hides some or one is damaged.
#include "../worksheet/BiffBuilder.h"
#include "CliRun.h"
#include "engine/rows/ProductRow.h"
#include "engine/sheet/HeaderNames.h"
#include "engine/sheet/ProductSheet.h"
#include "engine/sheet/SheetLayout.h"
#include "ListWorkbook.h"
#include "mnemonic/MnemonicEncoder.h"
#include "store/DemoStore.h"

#include <QTemporaryDir>
#include <QTest>

#include <numeric>
#include <QTest>

using importer::ColumnChoice;
using importer::ProductColumn;
using importer::SheetLayout;

namespace {

// The fields' columns as letters in the order of the nine fields, "-" for none, "#" numbered.
QString columnsOf(const SheetLayout& layout)
{
    QStringList letters;
    for (ProductColumn field : importer::kProductColumns) {
        const int column = layout.column(field);
        letters << (column == importer::kAutoNumber ? QStringLiteral("#")
                    : column < 0                    ? QStringLiteral("-")
                                                    : importer::columnLetter(column));
    }
    return letters.join(u' ');
}

QString fieldName(const std::optional<importer::HeaderReading>& reading)
{
    return reading ? importer::templateHeader(reading->field) : QString();
}

ColumnChoice choiceOf(const QStringList& assignments, int headerRowNumber = 0)
{
    ColumnChoice choice;
    for (const QString& assignment : assignments)
        importer::addColumnChoice(choice, assignment);
    if (headerRowNumber > 0)
        choice.headerRow = headerRowNumber - 1;
    return choice;
}

data::Worksheet sheetOf(QTemporaryDir& folder, const QList<QStringList>& rows)
{
    const QString path = folder.filePath(QStringLiteral("list.xlsx"));
    enginetest::writeListWorkbook(path, rows);
    return data::Workbook::open(path).sheet(QStringLiteral("S"));
}

} // namespace

class TestColumnsByMeaning : public QObject
{
    Q_OBJECT

private slots:
    // Headers no list spells out, read by their key words; and headers whose words mean something else.
    void headerReading_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("field"); // empty: no field
        QTest::newRow("商品号") << QStringLiteral("商品号") << QStringLiteral("商品编号");
        QTest::newRow("单品ID") << QStringLiteral("单品ID") << QStringLiteral("商品编号");
        QTest::newRow("商品ID") << QStringLiteral("商品ID") << QStringLiteral("商品编号");
        QTest::newRow("单品名称") << QStringLiteral("单品名称") << QStringLiteral("商品名称");
        QTest::newRow("商品标题*") << QStringLiteral("商品标题*") << QStringLiteral("商品名称");
        QTest::newRow("中文名") << QStringLiteral("中文名") << QStringLiteral("商品名称");
        QTest::newRow("普通售价") << QStringLiteral("普通售价") << QStringLiteral("销售价");
        QTest::newRow("基本售价") << QStringLiteral("基本售价") << QStringLiteral("销售价");
        QTest::newRow("含税价") << QStringLiteral("含税价") << QStringLiteral("销售价");
        QTest::newRow("未含税销售单价（元）") << QStringLiteral("未含税销售单价（元）") << QStringLiteral("销售价");
        QTest::newRow("INPRICE") << QStringLiteral("INPRICE") << QStringLiteral("成本价");
        QTest::newRow("SALEPRICE") << QStringLiteral("SALEPRICE") << QStringLiteral("销售价");
        QTest::newRow("JP") << QStringLiteral("JP") << QStringLiteral("助记码");
        QTest::newRow("单品成本") << QStringLiteral("单品成本") << QStringLiteral("成本价");
        QTest::newRow("库存/tablets") << QStringLiteral("库存/tablets") << QStringLiteral("当前库存");
        QTest::newRow("BOTTOMDISC") << QStringLiteral("BOTTOMDISC") << QStringLiteral("最低折扣");
        QTest::newRow("进货量: a quantity, no cost") << QStringLiteral("进货量") << QString();
        QTest::newRow("毛利率") << QStringLiteral("毛利率") << QString();
        QTest::newRow("会员折扣: not the item's") << QStringLiteral("会员折扣") << QString();
        QTest::newRow("医保编码") << QStringLiteral("医保编码") << QString();
        QTest::newRow("库存上限") << QStringLiteral("库存上限") << QString();
        QTest::newRow("TOPSTOCK") << QStringLiteral("TOPSTOCK") << QString();
        QTest::newRow("ISDISCOUNT") << QStringLiteral("ISDISCOUNT") << QString();
        QTest::newRow("电子称码") << QStringLiteral("电子称码") << QString();
        QTest::newRow("生产厂家") << QStringLiteral("生产厂家") << QString();
        QTest::newRow("最低价: no sale price") << QStringLiteral("最低价") << QString();
        QTest::newRow("规格/mg") << QStringLiteral("规格/mg") << QString();
        QTest::newRow("id inside a word") << QStringLiteral("paid") << QString();
        QTest::newRow("a note, not a header") << QStringLiteral("空：默认根据标题生成") << QString();
        QTest::newRow("a long cell") << QString(300, u'名') << QString();
    }
    void headerReading()
    {
        QFETCH(QString, header);
        QFETCH(QString, field);
        QCOMPARE(fieldName(importer::readHeader(header)), field);
    }

    // Of two headers of one field, the first reads stronger.
    void strongerReading_data()
    {
        QTest::addColumn<QString>("stronger");
        QTest::addColumn<QString>("weaker");
        QTest::newRow("含税 before 未含税") << QStringLiteral("含税价") << QStringLiteral("未含税销售单价（元）");
        QTest::newRow("零售 before 会员") << QStringLiteral("零售价格") << QStringLiteral("会员价");
        QTest::newRow("a price before a discounted one") << QStringLiteral("含税价") << QStringLiteral("含税折扣价");
        QTest::newRow("ID before a barcode") << QStringLiteral("单品ID") << QStringLiteral("单品条码");
        QTest::newRow("a generic name before the brand") << QStringLiteral("通用名") << QStringLiteral("商品名");
        QTest::newRow("a drug's name before its generic name")
            << QStringLiteral("药品名称") << QStringLiteral("通用名称");
        QTest::newRow("the template before another name") << QStringLiteral("商品编号") << QStringLiteral("商品编码");
    }
    void strongerReading()
    {
        QFETCH(QString, stronger);
        QFETCH(QString, weaker);
        const auto a = importer::readHeader(stronger);
        const auto b = importer::readHeader(weaker);
        QVERIFY(a && b);
        QCOMPARE(a->field, b->field);
        QVERIFY2(a->score > b->score, qPrintable(QStringLiteral("%1 vs %2").arg(a->score).arg(b->score)));
    }

    // Where headers leave a field two columns, what they hold decides; an empty column never wins.
    void contentDecides_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("passedOver"); // the reason given for the column passed over
        QTest::newRow("an empty 货号 beside a filled 条码") << QList<QStringList>{{"货号", "名称", "条码", "售价"},
                                                                                  {"", "甘草片", "6901", "3"},
                                                                                  {"", "板蓝根", "6902", "5"},
                                                                                  {"", "阿莫西林", "6903", "9"}}
                                                            << "C B - - D - - - -" << QStringLiteral("这一列是空的");
        QTest::newRow("a price column of words beside one of numbers")
            << QList<QStringList>{{"编码", "名称", "售价", "零售单价"},
                                  {"A1", "甘草片", "面议", "3"},
                                  {"A2", "板蓝根", "见备注", "5"},
                                  {"A3", "阿莫西林", "电询", "9"}}
            << "A B - - D - - - -" << QStringLiteral("这一列多不是数字");
        QTest::newRow("a brand beside the generic name")
            << QList<QStringList>{{"编码", "商品名", "通用名"},
                                  {"A1", "朗必妥", "苯巴比妥片"},
                                  {"A2", "罗拉", "劳拉西泮片"},
                                  {"A3", "安云", "扎来普隆片"}}
            << "A C - - - - - - -" << QStringLiteral("表头不如“通用名”明确");
    }
    void contentDecides()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, columns);
        QFETCH(QString, passedOver);
        QTemporaryDir folder;
        const SheetLayout layout = importer::findSheetLayout(sheetOf(folder, rows));
        QCOMPARE(columnsOf(layout), columns);
        QCOMPARE(layout.passedOver.size(), std::size_t(1));
        QCOMPARE(layout.passedOver.front().reason, passedOver);
    }

    // A list with names but no codes (or a code column that gives hardly any row a code) is refused, saying first
    // how to number it; what was found comes with the refusal, and numbering reads every product.
    void namesWithoutCodes()
    {
        QTemporaryDir folder;
        QList<QStringList> rows{{"标题行"}, {"商品ID", "商品标题*", "售价*", "库存"}};
        for (int i = 1; i <= 20; ++i)
            rows << QStringList{i == 7 ? QStringLiteral("X7") : QString(), QStringLiteral("鞋%1").arg(i), "99", "5"};
        const data::Worksheet sheet = sheetOf(folder, rows);
        try {
            importer::findSheetLayout(sheet);
            QFAIL("a list without codes was read");
        } catch (const importer::MissingColumnsError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("--map 商品编号=#")), qPrintable(error.message()));
            QVERIFY(error.message().indexOf(QStringLiteral("--map 商品编号=#")) <
                    error.message().indexOf(QStringLiteral("--map 商品编号=C")));
            QVERIFY(error.found());
            QCOMPARE(error.found()->headerRow, 1);
            QCOMPARE(columnsOf(*error.found()), QStringLiteral("- B - - C - D - -"));
        }
        const importer::ProductSheet numbered(sheet, choiceOf({"商品编号=#"}));
        QCOMPARE(numbered.layout().headerRow, 1);
        QCOMPARE(numbered.cellText(19, ProductColumn::Code), QStringLiteral("20"));
    }

    // Rows with a name and no code stay empty records, but are named: preview, the dialog and the run say which.
    void namedRowsWithoutCodeAreNamed()
    {
        QTemporaryDir folder;
        const importer::ProductSheet sheet(sheetOf(folder, {{"编码", "名称", "价格"},
                                                            {"A1", "甘草片", "3"},
                                                            {"", "板蓝根", "5"},
                                                            {"", "", ""},
                                                            {"", "合计", "8"},
                                                            {"编码", "名称", "价格"},
                                                            {"", "阿莫西林", "9"}}));
        QCOMPARE(sheet.namedRowsWithoutCode(), (std::vector<int>{3, 7}));
        QCOMPARE(importer::namedWithoutCodeNote(sheet.namedRowsWithoutCode()),
                 QStringLiteral("2 行有商品名称但没有商品编号（第3、7行），将算作空纪录"));
        QCOMPARE(importer::namedWithoutCodeNote({}), QString());
        std::vector<int> many(12);
        std::iota(many.begin(), many.end(), 2);
        QVERIFY(importer::namedWithoutCodeNote(many).endsWith(
            QStringLiteral("第2、3、4、5、6、7、8、9、10、11…行），将算作空纪录")));
    }

    // A page-style repeat of the header row is no product.
    void repeatedHeaderRowIsEmpty()
    {
        QTemporaryDir folder;
        const importer::ProductSheet sheet(
            sheetOf(folder, {{"编码", "名称*"}, {"A1", "甘草片"}, {"编码", "名称"}, {"A2", "编码"}, {"A3", "板蓝根"}}));
        mnemonic::MnemonicEncoder mnemonics;
        QCOMPARE(importer::fillProductRow(sheet, 0, mnemonics).Code, QStringLiteral("A1"));
        QCOMPARE(importer::fillProductRow(sheet, 1, mnemonics).Code, QString());
        QCOMPARE(importer::fillProductRow(sheet, 2, mnemonics).Code, QStringLiteral("A2")); // a name, not the header
        QCOMPARE(importer::fillProductRow(sheet, 3, mnemonics).Code, QStringLiteral("A3"));
    }

    // A column letter is a letter, even where some cell reads like one; the header row is found by the fields that
    // are named, never silently the first row.
    void lettersAreLetters_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<int>("headerRow");
        QTest::addColumn<QString>("columns");
        QTest::newRow("name by letter, code by its header on row 3")
            << QStringList{"商品名称=C"} << 2 << "A C - - - - - - -";
        QTest::newRow("the letter in lower case") << QStringList{"商品名称=c"} << 2 << "A C - - - - - - -";
        QTest::newRow("a header that looks like a letter, in quotes")
            << QStringList{"商品编号=A", "商品名称=“C”"} << 1 << "A C - - - - - - -";
        QTest::newRow("both by letter: the row that names another field")
            << QStringList{"商品编号=A", "商品名称=C"} << 2 << "A C - - - - - - -";
    }
    void lettersAreLetters()
    {
        QFETCH(QStringList, assignments);
        QFETCH(int, headerRow);
        QFETCH(QString, columns);
        QTemporaryDir folder;
        // Row 2 has a grade "C" where the header is; row 3 is the real header.
        const data::Worksheet sheet = sheetOf(
            folder,
            {{"商品清单"}, {"级别", "", "C"}, {"编码", "规格", "品种"}, {"A1", "10g", "甘草"}, {"A2", "20g", "黄芪"}});
        const SheetLayout layout = importer::findSheetLayout(sheet, choiceOf(assignments));
        QCOMPARE(layout.headerRow, headerRow);
        QCOMPARE(columnsOf(layout), columns);
    }

    void lettersRefused_data()
    {
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<bool>("whenGiven"); // refused as the choice is made, not only against the sheet
        QTest::addColumn<QString>("message");
        QTest::newRow("past the last column a workbook has") << "商品编号=XFE" << true << QStringLiteral("XFD");
        QTest::newRow("past the sheet's last column") << "商品编号=Z" << false << QStringLiteral("没有 Z 列");
    }
    void lettersRefused()
    {
        QFETCH(QString, assignment);
        QFETCH(bool, whenGiven);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const data::Worksheet sheet = sheetOf(folder, {{"编码", "名称"}, {"A1", "甘草"}});
        ColumnChoice choice;
        try {
            importer::addColumnChoice(choice, assignment);
            QVERIFY(!whenGiven);
            importer::findSheetLayout(sheet, choice);
            QFAIL("the letter was taken");
        } catch (const importer::ColumnChoiceError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }

    // The header is searched in the first 30 rows; one further down is refused saying how to name its row.
    void headerSearchEndsAtRow30_data()
    {
        QTest::addColumn<int>("rowsAbove");
        QTest::addColumn<int>("found"); // the header row found (0 the first), -1 refused
        QTest::newRow("on row 30") << 29 << 29;
        QTest::newRow("on row 31") << 30 << -1;
    }
    void headerSearchEndsAtRow30()
    {
        QFETCH(int, rowsAbove);
        QFETCH(int, found);
        QTemporaryDir folder;
        QList<QStringList> rows;
        for (int i = 0; i < rowsAbove; ++i)
            rows << QStringList{QStringLiteral("说明%1").arg(i)};
        rows << QStringList{"编码", "名称"} << QStringList{"A1", "甘草"};
        const data::Worksheet sheet = sheetOf(folder, rows);
        try {
            QCOMPARE(importer::findSheetLayout(sheet).headerRow, found);
        } catch (const importer::MissingColumnsError& error) {
            QVERIFY2(found < 0, qPrintable(error.message()));
            QVERIFY2(error.message().contains(QStringLiteral("前30行")), qPrintable(error.message()));
            QVERIFY2(error.message().contains(QStringLiteral("--header-row")), qPrintable(error.message()));
        }
        QCOMPARE(importer::findSheetLayout(sheet, choiceOf({}, rowsAbove + 1)).headerRow, rowsAbove);
    }

    // Two columns under one header: the earlier is the field's, found or named by the clerk; the later is passed
    // over.
    void earlierOfTwoSameHeadersWins_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::newRow("found") << QStringList{};
        QTest::newRow("named") << QStringList{"商品名称=名称"};
    }
    void earlierOfTwoSameHeadersWins()
    {
        QFETCH(QStringList, assignments);
        QTemporaryDir folder;
        const data::Worksheet sheet =
            sheetOf(folder, {{"编码", "名称", "名称"}, {"A1", "甘草", "黄芪"}, {"A2", "当归", "人参"}});
        const SheetLayout layout = importer::findSheetLayout(sheet, choiceOf(assignments));
        QCOMPARE(columnsOf(layout), QStringLiteral("A B - - - - - - -"));
    }

    // A sheet without a header row (a CSV whose first line is a product): refused saying how to read it; read with
    // no header row, the content names the code, the name and the price where it is plain, and the clerk names the
    // rest as 第N列 or by letter.
    void sheetWithoutHeaderRow_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<QString>("columns");
        QTest::newRow("by content") << QStringList{} << "A C - - D - - - -";
        QTest::newRow("named 第N列") << QStringList{"商品名称=第3列", "当前库存=第2列"} << "A C - - D - B - -";
        QTest::newRow("by letter") << QStringList{"商品编号=B", "商品名称=C", "销售价=(无)"} << "B C - - - - - - -";
    }
    void sheetWithoutHeaderRow()
    {
        QFETCH(QStringList, assignments);
        QFETCH(QString, columns);
        QTemporaryDir folder;
        const data::Worksheet sheet = sheetOf(folder, {{"155046", "1", "金士顿优盘", "47.70"},
                                                       {"137276", "1", "超五类网线", "14.80"},
                                                       {"155258", "1", "金士顿优盘 32G", "89.00"}});
        try {
            importer::findSheetLayout(sheet);
            QFAIL("a sheet without a header row was read");
        } catch (const importer::MissingColumnsError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("--header-row 0")), qPrintable(error.message()));
        }
        ColumnChoice choice = choiceOf(assignments);
        choice.headerRow = importer::kNoHeaderRow;
        const importer::ProductSheet products(sheet, choice);
        QCOMPARE(columnsOf(products.layout()), columns);
        QCOMPARE(products.rowCount(), 3);
        QCOMPARE(products.sheetRowNumber(0), 1);
        QCOMPARE(products.headerText(ProductColumn::Name), QStringLiteral("第3列"));
        if (assignments.isEmpty())
            QCOMPARE(products.layout().whyFound(sheet, ProductColumn::Code),
                     QStringLiteral("按内容：每行不同的短编码"));
        ColumnChoice missing = choiceOf({"商品名称=第9列"});
        missing.headerRow = importer::kNoHeaderRow;
        try {
            importer::findSheetLayout(sheet, missing);
            QFAIL("a column the sheet lacks was taken");
        } catch (const importer::ColumnChoiceError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("第1列到第4列")), qPrintable(error.message()));
        }
    }

    // The sheet read when none is named: visible sheets only, and a sheet that cannot be read ends the choice.
    void sheetChoice_data()
    {
        QTest::addColumn<QList<enginetest::ListSheet>>("sheets");
        QTest::addColumn<QString>("chosen"); // empty: refused
        QTest::addColumn<QString>("message");
        const QList<QStringList> products{{"编码", "名称"}, {"A1", "甘草"}};
        QTest::newRow("a hidden Sheet1") << QList<enginetest::ListSheet>{{"Sheet1", products, true}, {"商品", products}}
                                         << QStringLiteral("商品") << QString();
        QTest::newRow("a hidden first sheet") << QList<enginetest::ListSheet>{{"旧", products, true}, {"新", products}}
                                              << QStringLiteral("新") << QString();
        QTest::newRow("a damaged Sheet1 is not passed over")
            << QList<enginetest::ListSheet>{{"Sheet1", products, false, true}, {"Sheet2", products}} << QString()
            << QStringLiteral("Sheet1");
        QTest::newRow("every sheet hidden")
            << QList<enginetest::ListSheet>{{"A", products, true}} << QString() << QStringLiteral("都是隐藏的");
    }
    void sheetChoice()
    {
        QFETCH(QList<enginetest::ListSheet>, sheets);
        QFETCH(QString, chosen);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("sheets.xlsx"));
        enginetest::writeListWorkbook(path, sheets);
        const data::Workbook book = data::Workbook::open(path);
        try {
            QCOMPARE(importer::chooseProductSheet(book).name(), chosen);
            QVERIFY(!chosen.isEmpty());
        } catch (const data::SheetError& error) {
            QVERIFY2(chosen.isEmpty(), qPrintable(error.reason()));
            QVERIFY2(error.reason().contains(message), qPrintable(error.reason()));
        }
        // A hidden sheet is still read when named.
        for (const enginetest::ListSheet& sheet : sheets) {
            if (sheet.hidden)
                QCOMPARE(book.sheet(sheet.name).rowCount(), 2);
        }
    }

    // The same in an Excel 97-2003 workbook, and `sheets` shows which are hidden.
    void hiddenSheetOfAnXls()
    {
        using namespace biffbuilder;
        const QByteArray rows = label(0, 0, QStringLiteral("编码")) + label(0, 1, QStringLiteral("名称")) +
                                label(1, 0, QStringLiteral("A1")) + label(1, 1, QStringLiteral("甘草"));
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("hidden.xls"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(compoundFile(workbookStream({}, {Sheet{"Sheet1", rows, 0, 2}, Sheet{"Products", rows}})));
        file.close();
        QCOMPARE(importer::chooseProductSheet(data::Workbook::open(path)).name(), QStringLiteral("Products"));
        const testsupport::CliRun run = testsupport::runCliInProcess({"sheets", path});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.out), QStringLiteral("Sheet1\t2\t2\t隐藏\nProducts\t2\t2\n"));
    }

    // The command line: a damaged Sheet1 ends the run naming it; a list with an empty code column beside a full
    // one imports its products; rows without a code are named on standard error.
    void importSaysWhatItRead()
    {
        QTemporaryDir folder;
        const QString store = folder.filePath(QStringLiteral("store.dat"));
        data::createDemoStore(store);
        const QString damaged = folder.filePath(QStringLiteral("damaged.xlsx"));
        const QList<QStringList> products{{"编码", "名称"}, {"A1", "甘草"}};
        enginetest::writeListWorkbook(
            damaged, QList<enginetest::ListSheet>{{"Sheet1", products, false, true}, {"Sheet2", products}});
        const auto import = [&](const QString& path) {
            return testsupport::runCliInProcess({"import", path, "--category", "010101", "--store", store, "--log",
                                                 folder.filePath(QStringLiteral("log.txt"))});
        };
        testsupport::CliRun run = import(damaged);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(QString::fromUtf8(run.err).contains(QStringLiteral("工作表“Sheet1”")), run.err.constData());
        QVERIFY(!QString::fromUtf8(run.err).contains(QStringLiteral("请检查薄名")));

        const QString list = folder.filePath(QStringLiteral("list.xlsx"));
        enginetest::writeListWorkbook(
            list, {{"货号", "条码", "名称"}, {"", "6901", "甘草片"}, {"", "", "板蓝根"}, {"", "6903", "阿莫西林"}});
        run = import(list);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.out).trimmed(),
                 QStringLiteral("共3条,正确导入2条,错误0条,空纪录1条,点此查看错误的信息！"));
        QVERIFY2(
            QString::fromUtf8(run.err).contains(QStringLiteral("1 行有商品名称但没有商品编号（第3行），将算作空纪录")),
            run.err.constData());

        // The sheet read is named on one line, a line break in its name written out.
        const QString oneSheet = folder.filePath(QStringLiteral("one.xlsx"));
        enginetest::writeListWorkbook(oneSheet, QList<enginetest::ListSheet>{{"价目\n表", products}});
        run = import(oneSheet);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.err),
                 QStringLiteral(
                     "product-import-cli import: 读取工作表“价目\\n表”（商品在这张表上；--sheet 可以指定别的表）\n"));
    }
};

QTEST_GUILESS_MAIN(TestColumnsByMeaning)
#include "tst_columnsbymeaning.moc"
