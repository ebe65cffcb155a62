// One whole import run on a real SQLite store and real workbooks: the counts, the status line, the bar, the
// log file and what ends up in Cpxm.
#include "../worksheet/PackageBuilder.h"
#include "db/DatabaseError.h"
#include "engine/rows/ProductValues.h"
#include "engine/run/ImportRun.h"
#include "engine/run/RowLoop.h"
#include "engine/sheet/ProductSheet.h"
#include "engine/writes/ErrorLogFile.h"
#include "engine/writes/GroupWriter.h"
#include "EngineTestSupport.h"
#include "RecordingReporter.h"
#include "store/ProductKinds.h"
#include "StoreFixture.h"
#include "StoreTestSupport.h"
#include "TestPaths.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <chrono>
#include <functional>
#include <future>
#include <latch>
#include <thread>

using storetest::Backend;

namespace {

const QString kHeader = QStringLiteral("以下是导入错误的信息！");
const QByteArray kOldLog = "an older log\r\n";

QString workbook(const char* name)
{
    return testsupport::testData(QStringLiteral("engine/") + QLatin1String(name));
}

QByteArray gbkLines(const QStringList& lines)
{
    QStringEncoder encoder("GBK");
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += encoder.encode(line) + "\r\n";
    return bytes;
}

// A product sheet "S" as an .xlsx file at path: the header, then one row per product of its code, name, unit and
// cost price.
void writeProductSheet(const QString& path, const QList<QStringList>& products)
{
    auto text = [](const QString& value) { return "<c t=\"inlineStr\"><is><t>" + value.toUtf8() + "</t></is></c>"; };
    QByteArray rows = "<row r=\"1\">";
    for (const QString& header : importer::productColumnHeaders())
        rows += text(header);
    rows += "</row>";
    for (qsizetype n = 0; n < products.size(); ++n) {
        rows += "<row r=\"" + QByteArray::number(n + 2) + "\">";
        for (const QString& cell : products[n])
            rows += text(cell);
        rows += "</row>";
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(packagebuilder::zip(packagebuilder::oneSheetParts(rows)));
}

// A product sheet of rowCount rows: every badEvery-th row with a cost price that is no number, every blankEvery-th
// without a code, the others plain.
void writeLongSheet(const QString& path, int rowCount, int badEvery, int blankEvery)
{
    QList<QStringList> products;
    for (int n = 1; n <= rowCount; ++n) {
        const QString code = n % blankEvery == 0 ? QString() : QString::number(100000 + n);
        const QString cost = n % badEvery == 0 ? QStringLiteral("x%1").arg(n) : QString::number(n);
        products.append({code, QStringLiteral("药品%1").arg(n), QStringLiteral("盒"), cost});
    }
    writeProductSheet(path, products);
}

// The store file may grow no more, and its pages are full: as a full disk.
void fillTheStore(data::Connection& store)
{
    const QString pages =
        enginetest::column(store, QStringLiteral("select page_count as v from pragma_page_count")).value(0);
    enginetest::execute(store, QStringLiteral("pragma max_page_count = %1").arg(pages));
    try {
        for (int i = 0; i < 1000; ++i)
            enginetest::execute(
                store,
                QStringLiteral("insert into Cpxm(Cpxm_bm, Cpxm_cd) values('F%1', '%2')").arg(i).arg(QString(90, u'x')));
    } catch (const data::DatabaseError&) {
        // Full.
    }
}

} // namespace

class TestImportRun : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void refusesMissingInput_data();
    void refusesMissingInput();
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
    void storesValuesAsTheSheetHasThem_data();
    void storesValuesAsTheSheetHasThem();
    void everyRowRefused_data();
    void everyRowRefused();
    void storeFaultEndsTheRunEarly_data();
    void storeFaultEndsTheRunEarly();
    void lostServerKeepsTheRowsStoredSoFar();
    void builtMnemonicFitsItsColumn_data();
    void builtMnemonicFitsItsColumn();
    void uncomputedFormulaFailsItsRowInANumberColumn_data();
    void uncomputedFormulaFailsItsRowInANumberColumn();
    void hostileTextsAcrossBatchEdges_data();
    void hostileTextsAcrossBatchEdges();
    void lostGroupIsNeitherStoredNorFailed_data();
    void lostGroupIsNeitherStoredNorFailed();
    void twoImportsAtOnceTakeTwoLetters_data();
    void twoImportsAtOnceTakeTwoLetters();
    void dryRunLeavesTheStoreUnchanged_data();
    void dryRunLeavesTheStoreUnchanged();
    void letters();
    void runThatStoredNothingLeavesItsLetterFree();
    void workbookNotOpened_data();
    void workbookNotOpened();
    void sheetUnreadable_data();
    void sheetUnreadable();
    void probeFailureEscapes();
    void longSheetKeepsSheetOrder();
    void longSheetEndsEarlyOnAStoreFault();
    void unwritableLogRefusesTheRunBeforeTheStore();
    void logLinkedToTheStoreOrWorkbookIsRefused_data();
    void logLinkedToTheStoreOrWorkbookIsRefused();
    void waitsForAnotherWriter();
    void failedCommitWritesTheGroupAgain();
    void failedCommitOnSqliteCountsTheGroupOnce();
    void dryRunMeetsConstraintsCheckedAtCommit();
    void rowMakingFailureEndsTheRunAfterTheRowsBefore();

private:
    void open(Backend backend);
    importer::ImportOutcome run(const QString& path, int categoryIndex = 0, const QString& sheet = "Sheet1",
                                bool commitEveryRow = false, bool dryRun = false);
    QByteArray logBytes() const;

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<data::Connection> store_;
    std::unique_ptr<data::Query> query_;
    data::ProductKindList categories_;
    std::unique_ptr<importer::ImportSession> session_;
    enginetest::RecordingReporter reporter_;
};

void TestImportRun::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    // Tests with a backend column open their store themselves.
    if (QTest::currentDataTag() == nullptr || !QByteArray(QTest::currentDataTag()).startsWith("postgresql"))
        open(Backend::Sqlite);
}

void TestImportRun::open(Backend backend)
{
    query_.reset();
    store_ = std::make_unique<data::Connection>();
    storetest::connectDemoStore(backend, *store_, folder_->path());
    query_ = std::make_unique<data::Query>(*store_);
    // 青霉素类 and 头孢菌素类, the categories of 西药 in the demo store.
    categories_ = data::loadCategories(*query_, QStringLiteral("01"));
    QCOMPARE(categories_.value(0).kindId, QStringLiteral("010101"));
    session_ = std::make_unique<importer::ImportSession>(
        importer::ImportSession{*store_, *query_, folder_->filePath(QStringLiteral("log.txt")), QStringList()});
    reporter_ = enginetest::RecordingReporter();
    QFile old(session_->logFilePath);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(kOldLog);
}

importer::ImportOutcome TestImportRun::run(const QString& path, int categoryIndex, const QString& sheet,
                                           bool commitEveryRow, bool dryRun)
{
    importer::ImportRequest request;
    request.workbookPath = path;
    request.sheetName = sheet;
    request.category = categories_.at(categoryIndex);
    request.commitEveryRow = commitEveryRow;
    request.dryRun = dryRun;
    return importer::runImport(*session_, request, reporter_);
}

QByteArray TestImportRun::logBytes() const
{
    QFile file(session_->logFilePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

void TestImportRun::refusesMissingInput_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("categoryChosen");
    QTest::addColumn<int>("notice");
    QTest::addColumn<QString>("message");
    const auto noPath = int(importer::ImportNotice::NoWorkbookPath);
    const auto noCategory = int(importer::ImportNotice::NoCategory);
    const QString five = workbook("five-rows.xls");
    QTest::newRow("no path, no category either")
        << QString() << false << noPath << QStringLiteral("请选择要导入的电子表格！");
    QTest::newRow("no path, a category") << QString() << true << noPath << QStringLiteral("请选择要导入的电子表格！");
    QTest::newRow("no category") << five << false << noCategory << QStringLiteral("请选择所属分类！");
}

void TestImportRun::refusesMissingInput()
{
    QFETCH(QString, path);
    QFETCH(bool, categoryChosen);
    QFETCH(int, notice);
    QFETCH(QString, message);

    session_->errorLog = QStringList{QStringLiteral("left from before")};
    importer::ImportRequest request;
    request.workbookPath = path;
    request.sheetName = QStringLiteral("Sheet1");
    if (categoryChosen)
        request.category = categories_.at(0);
    const importer::ImportOutcome outcome = importer::runImport(*session_, request, reporter_);

    QCOMPARE(outcome.end, importer::ImportOutcome::End::Refused);
    QCOMPARE(reporter_.notices.size(), 1);
    QCOMPARE(int(reporter_.notices.first().notice), notice);
    QCOMPARE(reporter_.notices.first().text, message);
    QVERIFY(!reporter_.everBusy);
    QCOMPARE(reporter_.events, QStringList{"notice"});
    QCOMPARE(session_->errorLog, QStringList{kHeader});
    QCOMPARE(logBytes(), kOldLog);
    QCOMPARE(enginetest::productCount(*store_), 2);
}

void TestImportRun::importsTheFiveRowSheet_data()
{
    QTest::addColumn<bool>("commitEveryRow");
    QTest::newRow("grouped writes") << false;
    QTest::newRow("a commit per row") << true;
}

void TestImportRun::importsTheFiveRowSheet()
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

void TestImportRun::headerOnly()
{
    const importer::ImportOutcome outcome = run(workbook("header-only.xls"));
    QCOMPARE(outcome.end, importer::ImportOutcome::End::Completed);
    QCOMPARE(outcome.rowTotal, 0);
    QCOMPARE(reporter_.statusText(), QStringLiteral("有 0条 正在导入......"));
    QCOMPARE(reporter_.advances(), 0);
    QCOMPARE(logBytes(), gbkLines({kHeader}));
    QVERIFY(!reporter_.progressVisible);
}

void TestImportRun::blanksOnlyCodeIsEmpty()
{
    const importer::ImportOutcome outcome = run(workbook("blank-code.xls"));
    QCOMPARE(outcome.counts.empty, 1);
    QCOMPARE(outcome.counts.imported, 1);
    QCOMPARE(outcome.counts.failed, 0);
    QCOMPARE(logBytes(), gbkLines({kHeader}));
    QCOMPARE(enginetest::productCodes(*store_), (QStringList{"A0001", "A0002", "B1002"}));
}

void TestImportRun::badNumbersFailTheirRows_data()
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

void TestImportRun::badNumbersFailTheirRows()
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

void TestImportRun::duplicateCodes_data()
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

void TestImportRun::duplicateCodes()
{
    QFETCH(Backend, backend);
    QFETCH(QString, driverOption);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
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

void TestImportRun::refusalsAmidBatchesFailAlone_data()
{
    duplicateCodes_data();
}

// Refusals in the middle of batches (several batches' worth of rows): the rows at the start, the ends and the
// middle of a batch that the store refuses by its own rule fail alone, as does a repeated code, and every other
// row is stored; the counts and the log come out in the sheet's order whatever the driver undoes on a refusal.
void TestImportRun::refusalsAmidBatchesFailAlone()
{
    QFETCH(Backend, backend);
    QFETCH(QString, driverOption);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
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

void TestImportRun::storesValuesAsTheSheetHasThem_data()
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

void TestImportRun::storesValuesAsTheSheetHasThem()
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

void TestImportRun::everyRowRefused_data()
{
    storetest::addBackendRows();
}

// The store refuses every row for the row's own sake (here a trigger refusing each insert): each fails, is
// logged, and the run reaches its end.
void TestImportRun::everyRowRefused()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
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

// The store refuses to go on (locked, read-only, full, a column missing): the run ends at once with the store's
// own words, keeps the rows stored so far, saves the log of the rows handled (or, ended before any row, leaves
// the log as it was) and changes nothing else. The waiting time is short here; the time each case took is
// printed, never checked.
void TestImportRun::storeFaultEndsTheRunEarly_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QStringList>("setUp"); // on the run's own connection
    QTest::addColumn<QString>("holder");    // what another connection holds during the run
    QTest::addColumn<QString>("status");    // the status line after the end; empty: refused before the first row
    QTest::addColumn<QString>("word");      // in the message: the store's own
    // The store refuses the first batch (1001, then the blank row, sent when the bad number of row 3 comes), or
    // the insert itself when the first row comes (prepared then, as on PostgreSQL the arrays' statement is).
    const QString batchRefused = QStringLiteral("共5条,正确导入0条,错误0条,空纪录1条,点此查看错误的信息！");
    const QString insertRefused = QStringLiteral("有 5条 正在导入......");
    QTest::newRow("sqlite: missing column") << Backend::Sqlite << QStringList{"alter table Cpxm drop column Cpxm_fw"}
                                            << QString() << insertRefused << "cpxm_fw";
    QTest::newRow("postgresql: missing column")
        << Backend::Server << QStringList{"alter table Cpxm drop column Cpxm_fw"} << QString() << insertRefused
        << "cpxm_fw";
    QTest::newRow("sqlite: another writer holds the store")
        << Backend::Sqlite << QStringList{} << "write" << QString() << "locked";
    QTest::newRow("postgresql: another import holds the code letters")
        << Backend::Server << QStringList{} << "letters" << QString() << "lock";
    QTest::newRow("postgresql: another program holds Cpxm")
        << Backend::Server << QStringList{} << "lock table Cpxm in exclusive mode" << insertRefused << "lock";
    QTest::newRow("sqlite: read-only") << Backend::Sqlite << QStringList{"pragma query_only = 1"} << QString()
                                       << QString() << "readonly";
    QTest::newRow("postgresql: read-only")
        << Backend::Server << QStringList{"set session characteristics as transaction read only"} << QString()
        << batchRefused << "read-only";
    QTest::newRow("sqlite: disk full") << Backend::Sqlite << QStringList{"<fill>"} << QString() << batchRefused
                                       << "full";
}

void TestImportRun::storeFaultEndsTheRunEarly()
{
    QFETCH(Backend, backend);
    QFETCH(QStringList, setUp);
    QFETCH(QString, holder);
    QFETCH(QString, status);
    QFETCH(QString, word);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
    data::Connection other;
    if (!holder.isEmpty()) {
        other.connect(store_->connectionString());
        other.beginTransaction();
        if (holder == "letters")
            other.lockCodeLetters();
        else if (holder == "write")
            enginetest::execute(other, QStringLiteral("insert into Cpxm(Cpxm_bm) values('Z1')"));
        else
            enginetest::execute(other, holder);
    }
    for (const QString& statement : setUp) {
        if (statement == "<fill>")
            fillTheStore(*store_);
        else
            enginetest::execute(*store_, statement);
    }
    const QStringList codesBefore = enginetest::productCodes(*store_);
    store_->setBusyTimeout(std::chrono::milliseconds(300));

    QElapsedTimer timer;
    timer.start();
    try {
        run(workbook("five-rows.xls"));
        QFAIL("the run must end early");
    } catch (const importer::ImportError& error) {
        qInfo("%s: ended after %lld ms (busy time-out 300 ms): %s", QTest::currentDataTag(), timer.elapsed(),
              qPrintable(error.message().section(u'\n', 0, 0)));
        QCOMPARE(error.kind(), importer::ImportError::Kind::StoreFault);
        QVERIFY2(error.message().contains(word, Qt::CaseInsensitive), qPrintable(error.message()));
    }
    if (other.inTransaction())
        other.rollback();
    QVERIFY(!reporter_.busy);
    QVERIFY(!reporter_.progressVisible);
    if (status.isEmpty()) {
        QCOMPARE(logBytes(), kOldLog);
        QCOMPARE(reporter_.statusText(), QStringLiteral("正在导入......"));
    } else {
        // The row with a bad number (1003) waits for the rows before it and was never handled.
        QCOMPARE(session_->errorLog, QStringList{kHeader});
        QCOMPARE(logBytes(), gbkLines(session_->errorLog));
        QCOMPARE(reporter_.statusText(), status);
    }
    for (const QString& statement : setUp) {
        if (statement.startsWith("pragma query_only") || statement.startsWith("set session"))
            enginetest::execute(*store_, statement.startsWith("pragma") ? "pragma query_only = 0"
                                                                        : "set session characteristics as "
                                                                          "transaction read write");
    }
    QCOMPARE(enginetest::productCodes(*store_), codesBefore);
}

// The server ends the connection in the middle of a run: the rows committed so far stay and are counted, the log
// of the rows handled is saved, and the run ends with the server's words.
void TestImportRun::lostServerKeepsTheRowsStoredSoFar()
{
    STORETEST_REQUIRE_BACKEND(Backend::Server);
    open(Backend::Server);
    data::Connection administrator;
    administrator.connect(store_->connectionString());
    const QString pid = enginetest::column(*store_, QStringLiteral("select pg_backend_pid() as v")).value(0);
    reporter_.onRowHandled = [&](int rowsDone) {
        if (rowsDone == 2)
            enginetest::execute(administrator, QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
    };
    QElapsedTimer timer;
    timer.start();
    // A commit per row, so that the first row is in the store when the server goes.
    QVERIFY_THROWS_EXCEPTION(importer::ImportError, run(workbook("five-rows.xls"), 0, "Sheet1", true));
    qInfo("lost server: ended after %lld ms", timer.elapsed());
    QCOMPARE(reporter_.statusText(), QStringLiteral("共5条,正确导入1条,错误1条,空纪录1条,点此查看错误的信息！"));
    QCOMPARE(session_->errorLog,
             (QStringList{kHeader, QStringLiteral("编号---1003；名称---维生素C片；原因---销售价“12元”不是数字")}));
    QCOMPARE(logBytes(), gbkLines(session_->errorLog));
    QCOMPARE(enginetest::productCodes(administrator), (QStringList{"A0001", "A0002", "B1001"}));
}

void TestImportRun::builtMnemonicFitsItsColumn_data()
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
void TestImportRun::builtMnemonicFitsItsColumn()
{
    QFETCH(Backend, backend);
    QFETCH(QString, alter);
    QFETCH(int, width);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
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

void TestImportRun::uncomputedFormulaFailsItsRowInANumberColumn_data()
{
    storetest::addBackendRows();
}

// A formula that its writer never computed has no value: in a number column the row fails with the reason (it
// would store the default as if the sheet gave it); elsewhere it reads as "" as a blank does.
void TestImportRun::uncomputedFormulaFailsItsRowInANumberColumn()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
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

void TestImportRun::hostileTextsAcrossBatchEdges_data()
{
    storetest::addBackendRows();
}

// Names that quote, escape, nest or fall outside the basic plane, spread over the edges of the batches (100 rows
// a statement, 500 an array): both stores keep the same rows with the same texts; a text holding U+0000 fails its
// row on both, with the reason in the log, and a lone surrogate is kept as U+FFFD.
void TestImportRun::hostileTextsAcrossBatchEdges()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
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

void TestImportRun::lostGroupIsNeitherStoredNorFailed_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<int>("lostAfter"); // rows handled when the server ends the connection, or the disk fills
    for (const int rows : {1, 150, 1337, 2500, 3210, 4444, 5001, 5555, 5999, 6000})
        QTest::addRow("postgresql: connection lost after row %d", rows) << Backend::Server << rows;
    for (const int rows : {1, 2500, 5999})
        QTest::addRow("sqlite: disk full after row %d", rows) << Backend::Sqlite << rows;
}

// The server ends the connection, or the disk fills, at some moment of a long run, amid its groups: the counts are
// the rows the store holds and the rows logged as failed, the rows of the lost group are neither, and the message
// names the first row of the sheet that is not in the store, so that importing from there on leaves nothing out.
void TestImportRun::lostGroupIsNeitherStoredNorFailed()
{
    QFETCH(Backend, backend);
    QFETCH(int, lostAfter);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
    const QString path = folder_->filePath(QStringLiteral("long.xlsx"));
    const int rowCount = 6000;
    const int badEvery = 97;
    writeLongSheet(path, rowCount, badEvery, 1000000);
    data::Connection administrator;
    administrator.connect(store_->connectionString());
    const QString pid = backend == Backend::Server
                            ? enginetest::column(*store_, QStringLiteral("select pg_backend_pid() as v")).value(0)
                            : QString();
    reporter_.onRowHandled = [&](int rowsDone) {
        if (rowsDone % 400 == 0)
            QThread::msleep(40); // a few groups commit before the end
        if (rowsDone != lostAfter)
            return;
        if (backend == Backend::Server)
            enginetest::execute(administrator, QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
        else
            enginetest::execute(*store_, QStringLiteral("pragma max_page_count = 1"));
    };
    QString message;
    try {
        run(path, 0, QStringLiteral("S"));
        QFAIL("the run must end early");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::StoreFault);
        message = error.message();
    }
    const QStringList stored = enginetest::productCodes(administrator).filter(QRegularExpression("^B"));
    const QString status = reporter_.statusText();
    QCOMPARE(status, importer::texts::rowSummary(rowCount, int(stored.size()), int(session_->errorLog.size()) - 1, 0));
    QCOMPARE(logBytes(), gbkLines(session_->errorLog));

    // The sheet's rows from the one the message names on are neither stored nor logged; every row before it is.
    const QRegularExpressionMatch restart =
        QRegularExpression(QStringLiteral("从工作表的第 (\\d+) 行起")).match(message);
    QVERIFY2(restart.hasMatch(), qPrintable(message));
    const int firstRowAgain = restart.captured(1).toInt(); // as the sheet numbers its rows: the header is row 1
    QVERIFY(firstRowAgain >= 2 && firstRowAgain <= rowCount + 1);
    QStringList expectedStored;
    QStringList expectedLog{kHeader};
    for (int n = 1; n + 1 < firstRowAgain; ++n) {
        if (n % badEvery == 0)
            expectedLog
                << QStringLiteral("编号---%1；名称---药品%2；原因---成本价“x%2”不是数字").arg(100000 + n).arg(n);
        else
            expectedStored << QStringLiteral("B%1").arg(100000 + n);
    }
    QCOMPARE(stored, expectedStored);
    QCOMPARE(session_->errorLog, expectedLog);
}

void TestImportRun::twoImportsAtOnceTakeTwoLetters_data()
{
    storetest::addBackendRows();
}

// Two clerks press OK at the same moment on two computers: each run takes its own letter and stores every row.
void TestImportRun::twoImportsAtOnceTakeTwoLetters()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
    const QString connectionString = store_->connectionString();
    std::latch ready(2);
    const auto importOnce = [&](const QString& logName) {
        data::Connection connection;
        connection.connect(connectionString);
        data::Query query(connection);
        const data::ProductKindList categories = data::loadCategories(query, QStringLiteral("01"));
        importer::ImportSession session{connection, query, folder_->filePath(logName), {}};
        importer::ImportRequest request;
        request.workbookPath = workbook("five-rows.xls");
        request.sheetName = QStringLiteral("Sheet1");
        request.category = categories.value(0);
        enginetest::RecordingReporter reporter;
        ready.arrive_and_wait();
        return importer::runImport(session, request, reporter);
    };
    auto first = std::async(std::launch::async, importOnce, QStringLiteral("log1.txt"));
    auto second = std::async(std::launch::async, importOnce, QStringLiteral("log2.txt"));
    const importer::ImportOutcome one = first.get();
    const importer::ImportOutcome two = second.get();
    QCOMPARE(one.counts.imported, 3);
    QCOMPARE(two.counts.imported, 3);
    QCOMPARE(QStringList({one.codeLetter, two.codeLetter}).join(QString()).size(), 2);
    QVERIFY2(one.codeLetter != two.codeLetter, qPrintable(one.codeLetter));
    QCOMPARE(enginetest::productCodes(*store_),
             (QStringList{"A0001", "A0002", "B1001", "B1004", "B1005", "C1001", "C1004", "C1005"}));
}

void TestImportRun::dryRunLeavesTheStoreUnchanged_data()
{
    storetest::addBackendRows();
}

// A dry run says what the real run will say, and the store is as it was, byte for byte.
void TestImportRun::dryRunLeavesTheStoreUnchanged()
{
    QFETCH(Backend, backend);
    STORETEST_REQUIRE_BACKEND(backend);
    if (backend == Backend::Server)
        open(backend);
    const QString storeFile = folder_->filePath(QStringLiteral("demo-store.sqlite"));
    const auto storeBytes = [&] {
        QFile file(storeFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray bytesBefore = backend == Backend::Sqlite ? storeBytes() : QByteArray();
    const QStringList codesBefore = enginetest::productCodes(*store_);

    const importer::ImportOutcome dry = run(workbook("duplicate-codes.xls"), 0, "Sheet1", false, true);
    const QString dryStatus = reporter_.statusText();
    const QByteArray dryLog = logBytes();
    QCOMPARE(enginetest::productCodes(*store_), codesBefore);
    if (backend == Backend::Sqlite) {
        store_->disconnect(); // every page of the file as it lies on disk
        QCOMPARE(storeBytes(), bytesBefore);
        store_->connect(data::Connection::sqliteConnectionString(storeFile));
    }

    reporter_ = enginetest::RecordingReporter();
    const importer::ImportOutcome real = run(workbook("duplicate-codes.xls"));
    QCOMPARE(dry.end, real.end);
    QCOMPARE(dry.codeLetter, real.codeLetter);
    QCOMPARE(dry.counts.imported, real.counts.imported);
    QCOMPARE(dry.counts.failed, real.counts.failed);
    QCOMPARE(dryStatus, reporter_.statusText());
    QCOMPARE(dryLog, logBytes());
    QCOMPARE(real.counts.imported, 2);
    QCOMPARE(enginetest::productCodes(*store_).size(), codesBefore.size() + 2);
}

void TestImportRun::letters()
{
    // B, C taken besides the demo's A: the run takes D; the next run E; its codes are the sheet's behind the letter.
    enginetest::execute(*store_, QStringLiteral("insert into Cpxm(Cpxm_bm) values('B1')"));
    enginetest::execute(*store_, QStringLiteral("insert into Cpxm(Cpxm_bm) values('C1')"));
    QCOMPARE(run(workbook("blank-code.xls")).codeLetter, QStringLiteral("D"));
    QCOMPARE(run(workbook("blank-code.xls")).codeLetter, QStringLiteral("E"));
    QVERIFY(enginetest::productCodes(*store_).contains(QStringLiteral("D1002")));
    QVERIFY(enginetest::productCodes(*store_).contains(QStringLiteral("E1002")));

    // Every letter taken: the codes go in as the sheet has them.
    for (char16_t c = u'F'; c <= u'Z'; ++c)
        enginetest::execute(*store_, QStringLiteral("insert into Cpxm(Cpxm_bm) values('%1x')").arg(QChar(c)));
    const importer::ImportOutcome outcome = run(workbook("blank-code.xls"));
    QCOMPARE(outcome.codeLetter, QString());
    QCOMPARE(outcome.counts.imported, 1);
    QVERIFY(enginetest::productCodes(*store_).contains(QStringLiteral("1002")));
}

void TestImportRun::runThatStoredNothingLeavesItsLetterFree()
{
    QCOMPARE(run(workbook("header-only.xls")).codeLetter, QStringLiteral("B"));
    const importer::ImportOutcome stored = run(workbook("five-rows.xls"));
    QCOMPARE(stored.codeLetter, QStringLiteral("B"));
    QCOMPARE(stored.counts.imported, 3);
    // Every row refused: C stays free as well.
    enginetest::refuseProductsNamed(*store_, Backend::Sqlite, QStringLiteral("%"));
    const importer::ImportOutcome refused = run(workbook("five-rows.xls"));
    QCOMPARE(refused.codeLetter, QStringLiteral("C"));
    QCOMPARE(refused.counts.imported, 0);
    enginetest::execute(*store_, QStringLiteral("drop trigger refuse_named"));
    QCOMPARE(run(workbook("header-only.xls")).codeLetter, QStringLiteral("C"));
}

void TestImportRun::workbookNotOpened_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("detail");
    // text and detail: the reader's reason, or its beginning (the reason goes on to say what to save the file
    // as). A missing file gets the clerks' own sentence with the reason behind it; a file that is there but
    // cannot be read is headed with the reason.
    QTest::newRow("missing file") << QStringLiteral("/nonexistent/商品.xls")
                                  << QStringLiteral("Execl文件不存在,请重新连接！")
                                  << QStringLiteral("文件“/nonexistent/商品.xls”不存在。");
    QTest::newRow("not a workbook") << testsupport::testData(QStringLiteral("engine/make_fixtures.py"))
                                    << QStringLiteral("“make_fixtures.py”不是 ") << QString();
}

void TestImportRun::workbookNotOpened()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    QFETCH(QString, detail);
    const importer::ImportOutcome outcome = run(path);
    QCOMPARE(outcome.end, importer::ImportOutcome::End::EndedEarly);
    QCOMPARE(reporter_.notices.size(), 1);
    QCOMPARE(reporter_.notices.first().notice, importer::ImportNotice::WorkbookNotOpened);
    QCOMPARE(reporter_.notices.first().text.left(text.size()), text);
    QCOMPARE(reporter_.notices.first().detail.left(detail.size()), detail);
    if (detail.isEmpty())
        QCOMPARE(reporter_.notices.first().detail, QString());
    QCOMPARE(reporter_.statusText(), QStringLiteral("正在导入......"));
    QVERIFY(!reporter_.progressVisible);
    QVERIFY(!reporter_.busy);
    QCOMPARE(logBytes(), kOldLog);
}

void TestImportRun::sheetUnreadable_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("message");
    const QString noSheet = QStringLiteral(
        "无法读取工作表：工作簿中没有名为“%1”的工作表，现有的工作表：“Sheet1”。\n没有导入任何记录。请检查薄名"
        "（必须与工作表的名字完全一致，大小写和空格也一样），然后再导入");
    QTest::newRow("no such sheet") << workbook("five-rows.xls") << QStringLiteral("Sheet2") << noSheet.arg("Sheet2");
    QTest::newRow("sheet name with a blank")
        << workbook("five-rows.xls") << QStringLiteral("Sheet1 ") << noSheet.arg("Sheet1 ");
    // The message goes on to name every header accepted for the field, and how to choose a column.
    QTest::newRow("no code column")
        << testsupport::testData(QStringLiteral("xls/products-xlwt.xls")) << QStringLiteral(" Sheet1 ")
        << QStringLiteral("工作表“ Sheet1 ”的前30行中没有商品编号列。商品编号列的列名可以是：商品编号、商品编码、");
}

void TestImportRun::sheetUnreadable()
{
    QFETCH(QString, path);
    QFETCH(QString, sheet);
    QFETCH(QString, message);
    try {
        run(path, 0, sheet);
        QFAIL("the run should have ended with an error");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::SheetUnreadable);
        QVERIFY2(error.message().startsWith(message), qPrintable(error.message()));
        QVERIFY(error.message().endsWith(QStringLiteral("再导入")) ||
                error.message().endsWith(QStringLiteral("没有导入任何记录")));
    }
    QCOMPARE(reporter_.statusText(), QStringLiteral("正在导入......"));
    QVERIFY(!reporter_.progressVisible);
    QVERIFY(!reporter_.busy);
    QCOMPARE(logBytes(), kOldLog);
    QCOMPARE(enginetest::productCount(*store_), 2);
}

void TestImportRun::probeFailureEscapes()
{
    enginetest::execute(*store_, QStringLiteral("drop table Cpxm"));
    try {
        run(workbook("five-rows.xls"));
        QFAIL("the run should have ended with an error");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::StoreUnreachable);
        QCOMPARE(error.message(),
                 QStringLiteral("无法从数据库查询已用的商品编号（表 Cpxm）：no such table: Cpxm\n没有导入任何记录。"
                                "请检查数据库能否连接、是否有表 Cpxm 及其列 Cpxm_bm，然后再导入"));
    }
    QVERIFY(!reporter_.busy);
    QVERIFY(!reporter_.progressVisible);
    QCOMPARE(logBytes(), kOldLog);
}

void TestImportRun::unwritableLogRefusesTheRunBeforeTheStore()
{
    // The log's folder is a file: nothing can be written there, and no row is written either.
    const QString log = testsupport::testData(QStringLiteral("engine/make_fixtures.py/log.txt"));
    session_->logFilePath = log;
    try {
        run(workbook("five-rows.xls"));
        QFAIL("the run should have ended with an error");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::LogUnwritable);
        QVERIFY2(error.message().contains(log), qPrintable(error.message()));
    }
    QVERIFY(!reporter_.progressVisible);
    QVERIFY(!reporter_.busy);
    QCOMPARE(enginetest::productCount(*store_), 2);
}

void TestImportRun::logLinkedToTheStoreOrWorkbookIsRefused_data()
{
    QTest::addColumn<QString>("target"); // what log.txt links to, in the test's folder
    QTest::newRow("the store") << QStringLiteral("demo-store.sqlite");
    QTest::newRow("the store's journal") << QStringLiteral("demo-store.sqlite-journal");
    QTest::newRow("the workbook") << QStringLiteral("five-rows.xls");
}

// The window's log.txt is a link to a file the run uses: the run refuses before it touches anything.
void TestImportRun::logLinkedToTheStoreOrWorkbookIsRefused()
{
    QFETCH(QString, target);
    const QString book = folder_->filePath(QStringLiteral("five-rows.xls"));
    QVERIFY(QFile::copy(workbook("five-rows.xls"), book));
    QVERIFY(QFile::remove(session_->logFilePath));
    QVERIFY(QFile::link(folder_->filePath(target), session_->logFilePath));
    const auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    };
    const QString storeFile = folder_->filePath(QStringLiteral("demo-store.sqlite"));
    const QByteArray storeBefore = bytes(storeFile);
    const QByteArray bookBefore = bytes(book);
    try {
        run(book);
        QFAIL("the run must refuse");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::LogClash);
        QVERIFY2(error.message().contains(session_->logFilePath), qPrintable(error.message()));
    }
    QCOMPARE(bytes(storeFile), storeBefore);
    QCOMPARE(bytes(book), bookBefore);
    QVERIFY(!QFile::exists(folder_->filePath(QStringLiteral("demo-store.sqlite-journal"))));
    QVERIFY(!reporter_.everBusy);
    QCOMPARE(enginetest::productCount(*store_), 2);
}

void TestImportRun::waitsForAnotherWriter()
{
    // The store's own system holds the write lock when the run starts: the run waits for it instead of failing
    // its rows.
    const QString path = folder_->filePath(QStringLiteral("demo-store.sqlite"));
    std::promise<void> locked;
    std::thread other([&] {
        data::Connection connection;
        connection.connect(data::Connection::sqliteConnectionString(path));
        connection.beginTransaction();
        enginetest::execute(connection, QStringLiteral("insert into Cpxm(Cpxm_bm) values('Z1')"));
        locked.set_value();
        QThread::msleep(700);
        connection.commit();
    });
    locked.get_future().wait();
    const importer::ImportOutcome outcome = run(workbook("five-rows.xls"));
    other.join();
    QCOMPARE(outcome.counts.imported, 3);
    QCOMPARE(outcome.counts.failed, 1);
    QCOMPARE(enginetest::productCount(*store_), 6);
}

void TestImportRun::failedCommitWritesTheGroupAgain()
{
    // A uniqueness the server checks only at commit: the group with both 3001 rows cannot be committed. Its rows
    // are written again one by one, so the first 3001 and 3002 are stored after all and the counts say so.
    STORETEST_REQUIRE_BACKEND(Backend::Server);
    open(Backend::Server);
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm drop constraint cpxm_cpxm_bm_key"));
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm add constraint cpxm_bm_at_commit unique (Cpxm_bm) "
                                                "deferrable initially deferred"));
    const importer::ImportOutcome outcome = run(workbook("duplicate-codes.xls"));
    QCOMPARE(outcome.counts.imported, 2);
    QCOMPARE(outcome.counts.failed, 1);
    QCOMPARE(session_->errorLog,
             (QStringList{kHeader, QStringLiteral(
                                       "编号---3001；名称---复方甘草片（重复）；原因---编号重复，与第2行的编号相同")}));
    QCOMPARE(enginetest::productCodes(*store_), (QStringList{"A0001", "A0002", "B3001", "B3002"}));
    QCOMPARE(reporter_.statusText(), QStringLiteral("共3条,正确导入2条,错误1条,空纪录0条,点此查看错误的信息！"));
}

// SQLite checks a deferred foreign key at the commit: the group with the row whose unit is unknown is refused whole,
// its rows are counted no longer and written again one by one, and only that row fails.
void TestImportRun::failedCommitOnSqliteCountsTheGroupOnce()
{
    enginetest::execute(*store_, QStringLiteral("create table Units(name varchar(20) primary key)"));
    enginetest::execute(*store_, QStringLiteral("insert into Units values('盒')"));
    QString schema = enginetest::column(*store_, QStringLiteral("select sql as v from sqlite_master "
                                                                "where type = 'table' and name = 'Cpxm'"))
                         .value(0);
    schema.insert(schema.lastIndexOf(u')'),
                  QStringLiteral(", foreign key (Cpxm_dw) references Units(name) deferrable initially deferred"));
    enginetest::execute(*store_, QStringLiteral("drop table Cpxm"));
    enginetest::execute(*store_, schema);
    enginetest::execute(*store_, QStringLiteral("pragma foreign_keys = on"));

    const QString path = folder_->filePath(QStringLiteral("units.xlsx"));
    writeProductSheet(path, {{"1", "甲", "盒", "1"},
                             {"2", "乙", "盒", "2"},
                             {"3", "丙", "瓶", "3"},
                             {"4", "丁", "盒", "4"},
                             {"5", "戊", "盒", "5"}});
    const importer::ImportOutcome outcome = run(path, 0, QStringLiteral("S"));
    QCOMPARE(outcome.counts.imported, 4);
    QCOMPARE(outcome.counts.failed, 1);
    QCOMPARE(session_->errorLog.size(), 2);
    QVERIFY2(session_->errorLog.at(1).startsWith(QStringLiteral("编号---3；名称---丙；原因---")),
             qPrintable(session_->errorLog.at(1)));
    QCOMPARE(enginetest::productCodes(*store_), (QStringList{"A1", "A2", "A4", "A5"}));
    QCOMPARE(reporter_.statusText(), QStringLiteral("共5条,正确导入4条,错误1条,空纪录0条,点此查看错误的信息！"));
}

// A dry run never commits, yet a uniqueness the server checks only at the commit refuses the same row in it as in
// the real run.
void TestImportRun::dryRunMeetsConstraintsCheckedAtCommit()
{
    STORETEST_REQUIRE_BACKEND(Backend::Server);
    open(Backend::Server);
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm drop constraint cpxm_cpxm_bm_key"));
    enginetest::execute(*store_, QStringLiteral("alter table Cpxm add constraint cpxm_bm_at_commit unique (Cpxm_bm) "
                                                "deferrable initially deferred"));
    const QStringList codesBefore = enginetest::productCodes(*store_);
    const importer::ImportOutcome dry = run(workbook("duplicate-codes.xls"), 0, "Sheet1", false, true);
    const QString dryStatus = reporter_.statusText();
    const QStringList dryLog = session_->errorLog;
    QCOMPARE(enginetest::productCodes(*store_), codesBefore);
    reporter_ = enginetest::RecordingReporter();
    const importer::ImportOutcome real = run(workbook("duplicate-codes.xls"));
    QCOMPARE(dry.counts.imported, real.counts.imported);
    QCOMPARE(dry.counts.failed, real.counts.failed);
    QCOMPARE(dryStatus, reporter_.statusText());
    QCOMPARE(dryLog, session_->errorLog);
    QCOMPARE(real.counts.failed, 1);
}

// Rows are made ahead of the writes, block after block: the counts and the log still follow the sheet's order
// across the blocks.
void TestImportRun::longSheetKeepsSheetOrder()
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

// A store fault while the rows ahead wait: the run ends at once, the rows made for nothing are dropped.
void TestImportRun::longSheetEndsEarlyOnAStoreFault()
{
    const QString path = folder_->filePath(QStringLiteral("long.xlsx"));
    writeLongSheet(path, 20000, 1000000, 1000000);
    fillTheStore(*store_);
    QVERIFY_THROWS_EXCEPTION(importer::ImportError, run(path, 0, QStringLiteral("S")));
}

// Making a row fails in the middle of the sheet (memory, or a fault of the making itself): the rows before it are
// counted, logged and kept in the store, the run ends with the failure, and it names that row as the one to take
// up again.
void TestImportRun::rowMakingFailureEndsTheRunAfterTheRowsBefore()
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

QTEST_GUILESS_MAIN(TestImportRun)
#include "tst_importrun.moc"
