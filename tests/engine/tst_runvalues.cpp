// What a whole import run stores of each row: values as the sheet has them, a built mnemonic cut to its
// column, an uncomputed formula, and texts that would break a statement, across the edges of the batches.
#include "ImportRunFixture.h"

class TestRunValues : public enginetest::ImportRunFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    void storesValuesAsTheSheetHasThem_data();
    void storesValuesAsTheSheetHasThem();
    void builtMnemonicFitsItsColumn_data();
    void builtMnemonicFitsItsColumn();
    void uncomputedFormulaFailsItsRowInANumberColumn_data();
    void uncomputedFormulaFailsItsRowInANumberColumn();
    void hostileTextsAcrossBatchEdges_data();
    void hostileTextsAcrossBatchEdges();
};

void TestRunValues::storesValuesAsTheSheetHasThem_data()
{
    // expected: a text compares as the stored text, a double as the stored number.
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("expected");
    const auto text = [](const char* code, const char* column, const QString& value) {
        QTest::addRow("%s %s", code, column) << QString(code) << QString(column) << QVariant(value);
    };
    const auto number = [](const char* code, const char* column, double value) {
        QTest::addRow("%s %s", code, column) << QString(code) << QString(column) << QVariant(value);
    };
    // Trimmed code, number cells, blank unit and mnemonic built from the name; the chosen category's kinid and
    // Remark.
    text("B1001", "Cpxm_mc", QStringLiteral("阿莫西林胶囊"));
    text("B1001", "Cpxm_dw", QString());
    text("B1001", "Cpxm_jp", QStringLiteral("AMXLJN"));
    number("B1001", "Cpxm_cbdj", 8.0);
    number("B1001", "Cpxm_jhdj", 8.0);
    number("B1001", "Cpxm_ysdj", 12.5);
    text("B1001", "Cpxm_Bkind", QStringLiteral("XY12"));
    text("B1001", "Cpxm_Skind", QStringLiteral("010102"));
    // Number texts in the forms a clerk types; a mnemonic cell stored as it stands.
    number("B1002", "Cpxm_cbdj", 7.0);
    number("B1002", "Cpxm_ysdj", 100.0);
    number("B1002", "Cpxm_zdzk", 5.0);
    number("B1002", "CPxm_sl", -3.0);
    number("B1002", "Cpzk", 0.5);
    text("B1002", "Cpxm_jp", QStringLiteral("abc"));
    // Only a code: empty texts (not NULL) and the defaults 0, 0, 0, 0 and 1.
    text("B1003", "Cpxm_mc", QString());
    text("B1003", "Cpxm_jp", QString());
    number("B1003", "Cpxm_cbdj", 0.0);
    number("B1003", "Cpxm_jhdj", 0.0);
    number("B1003", "Cpxm_ysdj", 0.0);
    number("B1003", "Cpxm_zdzk", 0.0);
    number("B1003", "CPxm_sl", 0.0);
    number("B1003", "Cpzk", 1.0);
}

void TestRunValues::storesValuesAsTheSheetHasThem()
{
    QFETCH(QString, code);
    QFETCH(QString, column);
    QFETCH(QVariant, expected);
    const importer::ImportOutcome outcome = run(workbook("values.xls"), 1, QStringLiteral("商品资料"));
    QCOMPARE(outcome.counts.imported, 3);
    if (expected.typeId() == QMetaType::Double)
        QCOMPARE(enginetest::productNumber(*store_, code, column), expected.toDouble());
    else
        QCOMPARE(enginetest::productValue(*store_, code, column), expected.toString());
}

void TestRunValues::builtMnemonicFitsItsColumn_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QString>("alter"); // the statement that narrows Cpxm_jp, or nothing for the demo's 100
    QTest::addColumn<int>("width");
    QTest::newRow("sqlite: varchar(100)") << Backend::Sqlite << QString() << 100;
    QTest::newRow("postgresql: varchar(100)") << Backend::Server << QString() << 100;
    QTest::newRow("postgresql: varchar(30)")
        << Backend::Server << QStringLiteral("alter table Cpxm alter column Cpxm_jp type varchar(30)") << 30;
    QTest::newRow("postgresql: text") << Backend::Server
                                      << QStringLiteral("alter table Cpxm alter column Cpxm_jp type text") << 160;
}

// A name of 160 characters fits its column of 200; the mnemonic built from it (the sheet gives none) is cut to the
// width the store states for Cpxm_jp instead of failing the row.
void TestRunValues::builtMnemonicFitsItsColumn()
{
    QFETCH(QString, alter);
    QFETCH(int, width);
    if (!alter.isEmpty())
        enginetest::execute(*store_, alter);
    const QString name = QStringLiteral("人参白术").repeated(40);
    const QString path = folder_->filePath(QStringLiteral("long-name.xlsx"));
    writeProductSheet(path, {{QStringLiteral("7001"), name, QStringLiteral("盒"), QStringLiteral("1")}});
    const importer::ImportOutcome outcome = run(path, 0, QStringLiteral("S"));
    QCOMPARE(outcome.counts.imported, 1);
    QCOMPARE(enginetest::productValue(*store_, QStringLiteral("B7001"), QStringLiteral("Cpxm_mc")), name);
    QCOMPARE(enginetest::productValue(*store_, QStringLiteral("B7001"), QStringLiteral("Cpxm_jp")),
             QStringLiteral("RCBS").repeated(40).left(width));
}

void TestRunValues::uncomputedFormulaFailsItsRowInANumberColumn_data()
{
    storetest::addBackendRows();
}

// A formula that its writer never computed has no value: in a number column the row fails with the reason (it
// would store the default as if the sheet gave it); elsewhere it reads as "" as a blank does.
void TestRunValues::uncomputedFormulaFailsItsRowInANumberColumn()
{
    // Columns in the order of the headers: code, name, unit, the five numbers, mnemonic.
    const auto cell = [](char column, int row, const QByteArray& inside) {
        return "<c r=\"" + QByteArray(1, column) + QByteArray::number(row) + "\"" + inside + "</c>";
    };
    const auto text = [&](char column, int row, const QString& value) {
        return cell(column, row, " t=\"inlineStr\"><is><t>" + value.toUtf8() + "</t></is>");
    };
    QByteArray rows = "<row r=\"1\">";
    char column = 'A';
    for (const QString& header : importer::productColumnHeaders())
        rows += text(column++, 1, header);
    rows += "</row>";
    QStringList expectedLog{kHeader};
    const char numberColumns[] = {'D', 'E', 'F', 'G', 'H'};
    for (int n = 0; n < 5; ++n) {
        const int row = n + 2;
        rows += "<row r=\"" + QByteArray::number(row) + "\">" + text('A', row, QString::number(2001 + n)) +
                text('B', row, QStringLiteral("药%1").arg(n)) + cell(numberColumns[n], row, "><f>1+1</f>") + "</row>";
        expectedLog << QStringLiteral("编号---%1；名称---药%2；原因---公式没有计算结果").arg(2001 + n).arg(n);
    }
    // Computed, and a formula without its value in a text column.
    rows += "<row r=\"7\">" + text('A', 7, "2101") + text('B', 7, "算过") + cell('D', 7, "><f>1+1</f><v>2</v>") +
            cell('C', 7, " t=\"str\"><f>\"盒\"</f>") + "</row>";
    const QString path = folder_->filePath(QStringLiteral("formulas.xlsx"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(packagebuilder::zip(packagebuilder::oneSheetParts(rows)));
    file.close();

    const importer::ImportOutcome outcome = run(path, 0, QStringLiteral("S"));
    QCOMPARE(outcome.counts.failed, 5);
    QCOMPARE(outcome.counts.imported, 1);
    QCOMPARE(session_->errorLog, expectedLog);
    QCOMPARE(enginetest::productNumber(*store_, QStringLiteral("B2101"), QStringLiteral("Cpxm_cbdj")), 2.0);
    QCOMPARE(enginetest::productValue(*store_, QStringLiteral("B2101"), QStringLiteral("Cpxm_dw")), QString());
    QCOMPARE(enginetest::productCount(*store_), 3);
}

void TestRunValues::hostileTextsAcrossBatchEdges_data()
{
    storetest::addBackendRows();
}

// Names that quote, escape, nest or fall outside the basic plane, spread over the edges of the batches (100 rows
// a statement, 500 an array): both stores keep the same rows with the same texts; a text holding U+0000 fails its
// row on both, with the reason in the log, and a lone surrogate is kept as U+FFFD.
void TestRunValues::hostileTextsAcrossBatchEdges()
{
    struct Text
    {
        QString inSheet; // as the sheet's XML holds it
        QString stored;  // as the store keeps it; empty: the row fails
    };
    const QList<Text> texts{
        {"it's", "it's"},
        {"say \"x\"", "say \"x\""},
        {"back\\slash\\", "back\\slash\\"},
        {"{a,b}", "{a,b}"},
        {"{\"a\",NULL}", "{\"a\",NULL}"},
        {"NULL", "NULL"},
        {"a &amp; &lt;b&gt;", "a & <b>"},
        {"😀药", "😀药"},
        {"𠀀𪚥", "𠀀𪚥"},
        {"x_xD800_", "x\uFFFD"},
        {"_xDC00_y", "\uFFFDy"},
        {"_xD83D__xDE00_", "😀"},
        {"a_x0000_b", QString()},
    };
    const int rowCount = 1100;
    const QSet<int> nulRows{1, 99, 100, 101, 499, 500, 501, 1000};
    QList<QStringList> products;
    QStringList expectedNames;
    QStringList expectedLog{kHeader};
    const QString nul = QStringLiteral("文字中有空字符（U+0000）");
    for (int n = 0; n < rowCount; ++n) {
        const QString code = QString::number(100000 + n);
        const Text& text = nulRows.contains(n) ? texts.last() : texts.at(n % (texts.size() - 1));
        products.append({code, text.inSheet, QStringLiteral("盒"), QStringLiteral("1")});
        if (text.stored.isEmpty())
            expectedLog << importer::errorLine(code, QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b"), nul);
        else
            expectedNames << text.stored;
    }
    // Two codes that a server would cut to one.
    products.append({QStringLiteral("K2_x0000_x"), QStringLiteral("甲"), QString(), QString()});
    products.append({QStringLiteral("K2_x0000_y"), QStringLiteral("乙"), QString(), QString()});
    for (const char* last : {"x", "y"}) {
        expectedLog << importer::errorLine(QStringLiteral("K2") + QChar(u'\0') + QLatin1String(last),
                                           QString::fromUtf8(last[0] == 'x' ? "甲" : "乙"), nul);
    }
    const QString path = folder_->filePath(QStringLiteral("hostile.xlsx"));
    writeProductSheet(path, products);

    const importer::ImportOutcome outcome = run(path, 0, QStringLiteral("S"));
    QCOMPARE(outcome.counts.failed, int(nulRows.size()) + 2);
    QCOMPARE(outcome.counts.imported, rowCount - int(nulRows.size()));
    QCOMPARE(session_->errorLog, expectedLog);
    QVERIFY(logBytes().contains("a\\0b"));
    QCOMPARE(enginetest::column(
                 *store_, QStringLiteral("select Cpxm_mc as v from Cpxm where Cpxm_bm like 'B%' order by Cpxm_bm")),
             expectedNames);
}

QTEST_GUILESS_MAIN(TestRunValues)
#include "tst_runvalues.moc"
