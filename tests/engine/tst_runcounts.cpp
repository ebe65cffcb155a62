// A whole import run on a real store and real workbooks: the counts, the status line, the bar, the log
// file and what ends up in Cpxm.
#include "ImportRunFixture.h"

class TestRunCounts : public enginetest::ImportRunFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    void importsTheFiveRowSheet_data();
    void importsTheFiveRowSheet();
    void headerOnly();
    void blanksOnlyCodeIsEmpty();
    void badNumbersFailTheirRows_data();
    void badNumbersFailTheirRows();
    void duplicateCodes_data();
    void duplicateCodes();
    void refusalsAmidBatchesFailAlone_data();
    void refusalsAmidBatchesFailAlone();
    void everyRowRefused_data();
    void everyRowRefused();
    void longSheetKeepsSheetOrder();
    void rowMakingFailureEndsTheRunAfterTheRowsBefore();
};

void TestRunCounts::importsTheFiveRowSheet_data()
{
    QTest::addColumn<bool>("commitEveryRow");
    QTest::newRow("grouped writes") << false;
    QTest::newRow("a commit per row") << true;
}

void TestRunCounts::importsTheFiveRowSheet()
{
    QFETCH(bool, commitEveryRow);
    const importer::ImportOutcome outcome = run(workbook("five-rows.xls"), 0, "Sheet1", commitEveryRow);

    QCOMPARE(outcome.end, importer::ImportOutcome::End::Completed);
    QCOMPARE(outcome.codeLetter, QStringLiteral("B"));
    QCOMPARE(outcome.rowTotal, 5);
    QCOMPARE(outcome.counts.imported, 3);
    QCOMPARE(outcome.counts.failed, 1);
    QCOMPARE(outcome.counts.empty, 1);
    QCOMPARE(reporter_.statusTexts.first(), QStringLiteral("正在导入......"));
    QVERIFY(reporter_.statusTexts.contains(QStringLiteral("有 5条 正在导入......")));
    QCOMPARE(reporter_.statusText(), QStringLiteral("共5条,正确导入3条,错误1条,空纪录1条,点此查看错误的信息！"));
    QCOMPARE(reporter_.rangeMaximum, 5);
    // The counts change once more when the last batch reaches the store.
    QCOMPARE(reporter_.positions, (QList<int>{0, 1, 2, 3, 4, 5, 5}));
    QCOMPARE(reporter_.advances(), 5);
    QVERIFY(reporter_.progressWasShown);
    QVERIFY(!reporter_.progressVisible);
    QVERIFY(reporter_.statusVisible);
    QVERIFY(reporter_.everBusy);
    QVERIFY(!reporter_.busy);
    QCOMPARE(reporter_.events, (QStringList{"started", "letter B", "rows 5", "row 1", "row 2", "row 3", "row 4",
                                            "row 5", "row 5", "ended"}));

    const QStringList lines{kHeader, QStringLiteral("编号---1003；名称---维生素C片；原因---销售价“12元”不是数字")};
    QCOMPARE(session_->errorLog, lines);
    QCOMPARE(logBytes(), gbkLines(lines));
    QCOMPARE(enginetest::productValue(*store_, "B1005", "Cpxm_Bkind"), categories_.at(0).remark);
    QCOMPARE(enginetest::productCodes(*store_), (QStringList{"A0001", "A0002", "B1001", "B1004", "B1005"}));
    QCOMPARE(enginetest::productValue(*store_, "B1005", "Cpxm_Skind"), categories_.at(0).kindId);
}

void TestRunCounts::headerOnly()
{
    const importer::ImportOutcome outcome = run(workbook("header-only.xls"));
    QCOMPARE(outcome.end, importer::ImportOutcome::End::Completed);
    QCOMPARE(outcome.rowTotal, 0);
    QCOMPARE(reporter_.statusText(), QStringLiteral("有 0条 正在导入......"));
    QCOMPARE(reporter_.advances(), 0);
    QCOMPARE(logBytes(), gbkLines({kHeader}));
    QVERIFY(!reporter_.progressVisible);
}

void TestRunCounts::blanksOnlyCodeIsEmpty()
{
    const importer::ImportOutcome outcome = run(workbook("blank-code.xls"));
    QCOMPARE(outcome.counts.empty, 1);
    QCOMPARE(outcome.counts.imported, 1);
    QCOMPARE(outcome.counts.failed, 0);
    QCOMPARE(logBytes(), gbkLines({kHeader}));
    QCOMPARE(enginetest::productCodes(*store_), (QStringList{"A0001", "A0002", "B1002"}));
}

void TestRunCounts::badNumbersFailTheirRows_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason"); // the column and the cell text that stopped the row
    QTest::newRow("成本价 1,000") << "2001" << QStringLiteral("成本价有千位分隔符") << QStringLiteral("成本价“1,000”");
    QTest::newRow("销售价 ¥12") << "2002" << QStringLiteral("销售价有货币符号") << QStringLiteral("销售价“¥12”");
    QTest::newRow("最低折扣 5%") << "2003" << QStringLiteral("最低折扣是百分数") << QStringLiteral("最低折扣“5%”");
    QTest::newRow("当前库存 0x10") << "2004" << QStringLiteral("当前库存是十六进制")
                                   << QStringLiteral("当前库存“0x10”");
    QTest::newRow("单品折扣 text") << "2005" << QStringLiteral("单品折扣是文字") << QStringLiteral("单品折扣“九五折”");
    QTest::newRow("销售价 1e999") << "2006" << QStringLiteral("销售价太大") << QStringLiteral("销售价“1e999”");
}

void TestRunCounts::badNumbersFailTheirRows()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const importer::ImportOutcome outcome = run(workbook("bad-numbers.xls"));
    QCOMPARE(outcome.counts.failed, 6);
    QCOMPARE(outcome.counts.imported, 1);
    const QString line = QStringLiteral("编号---%1；名称---%2；原因---%3不是数字").arg(code, name, reason);
    QVERIFY2(session_->errorLog.contains(line), qPrintable(session_->errorLog.join(u'\n')));
    QVERIFY(!enginetest::productCodes(*store_).contains(QStringLiteral("B") + code));
    QVERIFY(enginetest::productCodes(*store_).contains(QStringLiteral("B2007")));
}

void TestRunCounts::duplicateCodes_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QString>("driverOption"); // added to the test server's connection string
    QTest::newRow("sqlite") << Backend::Sqlite << QString();
    // The repeated code goes in a statement of its own, after the rows before it: those must still be stored.
    QTest::newRow("postgresql") << Backend::Server << QString();
    // A driver that undoes the whole transaction on a refusal, or nothing: the group is written again from the
    // sheet, and the counts and the log come out the same.
    QTest::newRow("postgresql, the driver undoes the transaction") << Backend::Server << "Protocol=7.4-1;";
    QTest::newRow("postgresql, the driver undoes nothing") << Backend::Server << "Protocol=7.4-0;";
}

void TestRunCounts::duplicateCodes()
{
    QFETCH(QString, driverOption);
    if (!driverOption.isEmpty())
        store_->connect(store_->connectionString() + driverOption);
    const importer::ImportOutcome outcome = run(workbook("duplicate-codes.xls"));
    QCOMPARE(outcome.counts.imported, 2);
    QCOMPARE(outcome.counts.failed, 1);
    QCOMPARE(session_->errorLog,
             (QStringList{kHeader, QStringLiteral(
                                       "编号---3001；名称---复方甘草片（重复）；原因---编号重复，与第2行的编号相同")}));
    QCOMPARE(enginetest::productValue(*store_, "B3001", "Cpxm_mc"), QStringLiteral("复方甘草片"));
    QCOMPARE(enginetest::productValue(*store_, "B3002", "Cpxm_mc"), QStringLiteral("葡萄糖酸钙口服液"));
    QCOMPARE(enginetest::productCount(*store_), 4);
}

void TestRunCounts::refusalsAmidBatchesFailAlone_data()
{
    duplicateCodes_data();
}

// Refusals in the middle of batches (several batches' worth of rows): the rows at the start, the ends and the
// middle of a batch that the store refuses by its own rule fail alone, as does a repeated code, and every other
// row is stored; the counts and the log come out in the sheet's order whatever the driver undoes on a refusal.
void TestRunCounts::refusalsAmidBatchesFailAlone()
{
    QFETCH(Backend, backend);
    QFETCH(QString, driverOption);
    if (!driverOption.isEmpty())
        store_->connect(store_->connectionString() + driverOption);
    enginetest::refuseProductsNamed(*store_, backend, QStringLiteral("%拒%"));
    const QList<int> refused{1, 2, 99, 100, 101, 499, 500, 501, 777, 1200};
    QList<QStringList> products;
    QStringList expectedLog{kHeader};
    for (int n = 1; n <= 1200; ++n) {
        QString code = QString::number(5000 + n);
        QString name = QStringLiteral("药品%1").arg(n);
        if (refused.contains(n))
            name = QStringLiteral("拒收%1").arg(n);
        if (n == 650)
            code = QString::number(5000 + 649);
        if (n == 650)
            expectedLog.append(importer::errorLine(code, name, QStringLiteral("编号重复，与第650行的编号相同")));
        else if (refused.contains(n))
            expectedLog.append(importer::errorLine(code, name, QStringLiteral("数据库拒绝了这一行")));
        products.append({code, name, QStringLiteral("盒"), QString::number(n)});
    }
    const QString path = folder_->filePath(QStringLiteral("refusals.xlsx"));
    writeProductSheet(path, products);

    const importer::ImportOutcome outcome = run(path, 0, QStringLiteral("S"));
    QCOMPARE(outcome.counts.failed, expectedLog.size() - 1);
    QCOMPARE(outcome.counts.imported, 1200 - outcome.counts.failed);
    QCOMPARE(enginetest::withoutStoreMessages(session_->errorLog), expectedLog);
    QCOMPARE(enginetest::productCount(*store_), 2 + outcome.counts.imported);
    QCOMPARE(enginetest::productValue(*store_, "B5649", "Cpxm_mc"), QStringLiteral("药品649"));
    QCOMPARE(enginetest::productValue(*store_, "B5502", "Cpxm_mc"), QStringLiteral("药品502"));
    QCOMPARE(enginetest::productValue(*store_, "B6199", "Cpxm_mc"), QStringLiteral("药品1199"));
}

void TestRunCounts::everyRowRefused_data()
{
    storetest::addBackendRows();
}

// The store refuses every row for the row's own sake (here a trigger refusing each insert): each fails, is
// logged, and the run reaches its end.
void TestRunCounts::everyRowRefused()
{
    QFETCH(Backend, backend);
    enginetest::refuseProductsNamed(*store_, backend, QStringLiteral("%"));
    const importer::ImportOutcome outcome = run(workbook("five-rows.xls"));
    QCOMPARE(outcome.end, importer::ImportOutcome::End::Completed);
    QCOMPARE(outcome.counts.imported, 0);
    QCOMPARE(outcome.counts.failed, 4);
    QCOMPARE(outcome.counts.empty, 1);
    QCOMPARE(session_->errorLog.size(), 5);
    QCOMPARE(logBytes(), gbkLines(session_->errorLog));
    QCOMPARE(reporter_.statusText(), QStringLiteral("共5条,正确导入0条,错误4条,空纪录1条,点此查看错误的信息！"));
}

// Rows are made ahead of the writes, block after block: the counts and the log still follow the sheet's order
// across the blocks.
void TestRunCounts::longSheetKeepsSheetOrder()
{
    const QString path = folder_->filePath(QStringLiteral("long.xlsx"));
    writeLongSheet(path, 5000, 377, 601);
    const importer::ImportOutcome outcome = run(path, 0, QStringLiteral("S"));
    const int bad = 5000 / 377 - 5000 / (377 * 601);
    const int blank = 5000 / 601;
    QCOMPARE(outcome.counts.failed, bad);
    QCOMPARE(outcome.counts.imported, 5000 - bad - blank);
    QCOMPARE(enginetest::productCount(*store_), 2 + 5000 - bad - blank);
    QStringList expected{kHeader};
    for (int n = 377; n <= 5000; n += 377) {
        if (n % 601 != 0)
            expected << QStringLiteral("编号---%1；名称---药品%2；原因---成本价“x%2”不是数字").arg(100000 + n).arg(n);
    }
    QCOMPARE(session_->errorLog, expected);
    QCOMPARE(reporter_.positions.back(), 5000);
}

// Making a row fails in the middle of the sheet (memory, or a fault of the making itself): the rows before it are
// counted, logged and kept in the store, the run ends with the failure, and it names that row as the one to take
// up again.
void TestRunCounts::rowMakingFailureEndsTheRunAfterTheRowsBefore()
{
    const QString path = folder_->filePath(QStringLiteral("long.xlsx"));
    writeLongSheet(path, 700, 250, 1000); // rows 250 and 500 (from 1) have a cost price that is no number
    const importer::ProductSheet sheet(data::Workbook::open(path).sheet(QStringLiteral("S")));
    importer::RunValues runValues;
    runValues.codeLetter = QStringLiteral("B");
    runValues.categoryKindId = QStringLiteral("010101");
    const importer::RowMaker make = importer::sheetRowMaker(sheet, false, runValues);

    importer::ImportCounts counts;
    QStringList log;
    importer::GroupWriter writes(*store_, {}, counts, log);
    writes.start();
    importer::RowLoop loop(
        sheet.rowCount(),
        [&make](int row, importer::MakingTools& tools) {
            if (row == 600)
                throw std::runtime_error("making row 600 failed");
            return make(row, tools);
        },
        importer::sheetRepeatMarker(sheet), writes, counts, reporter_);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, loop.run());
    QCOMPARE(counts.imported, 598);
    QCOMPARE(counts.failed, 2);
    QCOMPARE(counts.empty, 0);
    QCOMPARE(log, (QStringList{QStringLiteral("编号---100250；名称---药品250；原因---成本价“x250”不是数字"),
                               QStringLiteral("编号---100500；名称---药品500；原因---成本价“x500”不是数字")}));
    QCOMPARE(loop.firstRowAgain(), 600);
    QCOMPARE(enginetest::productCount(*store_), 2 + 598);
    QCOMPARE(reporter_.positions.back(), 600);
}

QTEST_GUILESS_MAIN(TestRunCounts)
#include "tst_runcounts.moc"
