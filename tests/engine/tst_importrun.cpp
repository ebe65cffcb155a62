// One whole import run on a real SQLite store and real workbooks: the counts, the status line, the bar, the
// log file and what ends up in Cpxm.
#include "DatabaseError.h"
#include "EngineTestSupport.h"
#include "ErrorLogFile.h"
#include "ImportRun.h"
#include "ProductInsertion.h"
#include "ProductKinds.h"
#include "ProductSheet.h"
#include "RecordingReporter.h"
#include "StoreFixture.h"
#include "StoreTestSupport.h"
#include "TestPaths.h"
#include "../worksheet/PackageBuilder.h"

#include <QElapsedTimer>
#include <QFile>
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
    void unwritableLogEscapesAfterTheRows();
    void waitsForAnotherWriter();
    void failedCommitWritesTheGroupAgain();

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
    session_ = std::make_unique<importer::ImportSession>(importer::ImportSession{
        *store_, *query_, folder_->filePath(QStringLiteral("log.txt")), QString(), QStringList()});
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
    QCOMPARE(outcome.batchPrefix, QStringLiteral("B"));
    QCOMPARE(outcome.rowTotal, 5);
    QCOMPARE(outcome.importedCount, 3);
    QCOMPARE(outcome.failedCount, 1);
    QCOMPARE(outcome.emptyCount, 1);
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

    const QStringList lines{kHeader, QStringLiteral("编号---1003；名称---维生素C片")};
    QCOMPARE(session_->errorLog, lines);
    QCOMPARE(logBytes(), gbkLines(lines));
    QCOMPARE(session_->bigKindCode, categories_.at(0).remark);
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
    QCOMPARE(outcome.emptyCount, 1);
    QCOMPARE(outcome.importedCount, 1);
    QCOMPARE(outcome.failedCount, 0);
    QCOMPARE(logBytes(), gbkLines({kHeader}));
    QCOMPARE(enginetest::productCodes(*store_), (QStringList{"A0001", "A0002", "B1002"}));
}

void TestImportRun::badNumbersFailTheirRows_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("成本价 1,000") << "2001" << QStringLiteral("成本价有千位分隔符");
    QTest::newRow("销售价 ¥12") << "2002" << QStringLiteral("销售价有货币符号");
    QTest::newRow("最低折扣 5%") << "2003" << QStringLiteral("最低折扣是百分数");
    QTest::newRow("当前库存 0x10") << "2004" << QStringLiteral("当前库存是十六进制");
    QTest::newRow("单品折扣 text") << "2005" << QStringLiteral("单品折扣是文字");
    QTest::newRow("销售价 1e999") << "2006" << QStringLiteral("销售价太大");
}

void TestImportRun::badNumbersFailTheirRows()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    const importer::ImportOutcome outcome = run(workbook("bad-numbers.xls"));
    QCOMPARE(outcome.failedCount, 6);
    QCOMPARE(outcome.importedCount, 1);
    QVERIFY(session_->errorLog.contains(QStringLiteral("编号---") + code + QStringLiteral("；名称---") + name));
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
    QCOMPARE(outcome.importedCount, 2);
    QCOMPARE(outcome.failedCount, 1);
    QCOMPARE(session_->errorLog, (QStringList{kHeader, QStringLiteral("编号---3001；名称---复方甘草片（重复）")}));
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
        if (refused.contains(n) || n == 650)
            expectedLog.append(importer::errorLine(code, name));
        products.append({code, name, QStringLiteral("盒"), QString::number(n)});
    }
    const QString path = folder_->filePath(QStringLiteral("refusals.xlsx"));
    writeProductSheet(path, products);

    const importer::ImportOutcome outcome = run(path, 0, QStringLiteral("S"));
    QCOMPARE(outcome.failedCount, expectedLog.size() - 1);
    QCOMPARE(outcome.importedCount, 1200 - outcome.failedCount);
    QCOMPARE(session_->errorLog, expectedLog);
    QCOMPARE(enginetest::productCount(*store_), 2 + outcome.importedCount);
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
    QCOMPARE(outcome.importedCount, 3);
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
    QCOMPARE(outcome.importedCount, 0);
    QCOMPARE(outcome.failedCount, 4);
    QCOMPARE(outcome.emptyCount, 1);
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
    QCOMPARE(session_->errorLog, (QStringList{kHeader, QStringLiteral("编号---1003；名称---维生素C片")}));
    QCOMPARE(logBytes(), gbkLines(session_->errorLog));
    QCOMPARE(enginetest::productCodes(administrator), (QStringList{"A0001", "A0002", "B1001"}));
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
        importer::ImportSession session{connection, query, folder_->filePath(logName), QString(), {}};
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
    QCOMPARE(one.importedCount, 3);
    QCOMPARE(two.importedCount, 3);
    QCOMPARE(QStringList({one.batchPrefix, two.batchPrefix}).join(QString()).size(), 2);
    QVERIFY2(one.batchPrefix != two.batchPrefix, qPrintable(one.batchPrefix));
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
    QCOMPARE(dry.batchPrefix, real.batchPrefix);
    QCOMPARE(dry.importedCount, real.importedCount);
    QCOMPARE(dry.failedCount, real.failedCount);
    QCOMPARE(dryStatus, reporter_.statusText());
    QCOMPARE(dryLog, logBytes());
    QCOMPARE(real.importedCount, 2);
    QCOMPARE(enginetest::productCodes(*store_).size(), codesBefore.size() + 2);
}

void TestImportRun::letters()
{
    // B, C taken besides the demo's A: the run takes D; the next run E; its codes are the sheet's behind the letter.
    enginetest::execute(*store_, QStringLiteral("insert into Cpxm(Cpxm_bm) values('B1')"));
    enginetest::execute(*store_, QStringLiteral("insert into Cpxm(Cpxm_bm) values('C1')"));
    QCOMPARE(run(workbook("blank-code.xls")).batchPrefix, QStringLiteral("D"));
    QCOMPARE(run(workbook("blank-code.xls")).batchPrefix, QStringLiteral("E"));
    QVERIFY(enginetest::productCodes(*store_).contains(QStringLiteral("D1002")));
    QVERIFY(enginetest::productCodes(*store_).contains(QStringLiteral("E1002")));

    // Every letter taken: the codes go in as the sheet has them.
    for (char16_t c = u'F'; c <= u'Z'; ++c)
        enginetest::execute(*store_, QStringLiteral("insert into Cpxm(Cpxm_bm) values('%1x')").arg(QChar(c)));
    const importer::ImportOutcome outcome = run(workbook("blank-code.xls"));
    QCOMPARE(outcome.batchPrefix, QString());
    QCOMPARE(outcome.importedCount, 1);
    QVERIFY(enginetest::productCodes(*store_).contains(QStringLiteral("1002")));
}

void TestImportRun::runThatStoredNothingLeavesItsLetterFree()
{
    QCOMPARE(run(workbook("header-only.xls")).batchPrefix, QStringLiteral("B"));
    const importer::ImportOutcome stored = run(workbook("five-rows.xls"));
    QCOMPARE(stored.batchPrefix, QStringLiteral("B"));
    QCOMPARE(stored.importedCount, 3);
    // Every row refused: C stays free as well.
    enginetest::refuseProductsNamed(*store_, Backend::Sqlite, QStringLiteral("%"));
    const importer::ImportOutcome refused = run(workbook("five-rows.xls"));
    QCOMPARE(refused.batchPrefix, QStringLiteral("C"));
    QCOMPARE(refused.importedCount, 0);
    enginetest::execute(*store_, QStringLiteral("drop trigger refuse_named"));
    QCOMPARE(run(workbook("header-only.xls")).batchPrefix, QStringLiteral("C"));
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
    QTest::newRow("no 助记码 column")
        << workbook("no-mnemonic-column.xls") << QStringLiteral("Sheet1")
        << QStringLiteral(
               "工作表“Sheet1”的第一行缺少列名“助记码”。第一行必须有这九个列名（顺序不限）：商品编号、商品名称、"
               "计量单位、成本价、销售价、最低折扣、当前库存、单品折扣、助记码。\n没有导入任何记录。请补上缺少的"
               "列名后再导入");
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
        QCOMPARE(error.message(), message);
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

void TestImportRun::unwritableLogEscapesAfterTheRows()
{
    // The log's folder is a file: nothing can be written there.
    session_->logFilePath = testsupport::testData(QStringLiteral("engine/make_fixtures.py/log.txt"));
    try {
        run(workbook("five-rows.xls"));
        QFAIL("the run should have ended with an error");
    } catch (const importer::ImportError& error) {
        QCOMPARE(error.kind(), importer::ImportError::Kind::LogNotSaved);
        QVERIFY(error.message().contains(QStringLiteral("log.txt")));
    }
    QCOMPARE(reporter_.statusText(), QStringLiteral("共5条,正确导入3条,错误1条,空纪录1条,点此查看错误的信息！"));
    QVERIFY(!reporter_.progressVisible);
    QVERIFY(!reporter_.busy);
    QCOMPARE(enginetest::productCount(*store_), 5);
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
    QCOMPARE(outcome.importedCount, 3);
    QCOMPARE(outcome.failedCount, 1);
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
    QCOMPARE(outcome.importedCount, 2);
    QCOMPARE(outcome.failedCount, 1);
    QCOMPARE(session_->errorLog, (QStringList{kHeader, QStringLiteral("编号---3001；名称---复方甘草片（重复）")}));
    QCOMPARE(enginetest::productCodes(*store_), (QStringList{"A0001", "A0002", "B3001", "B3002"}));
    QCOMPARE(reporter_.statusText(), QStringLiteral("共3条,正确导入2条,错误1条,空纪录0条,点此查看错误的信息！"));
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
    QCOMPARE(outcome.failedCount, bad);
    QCOMPARE(outcome.importedCount, 5000 - bad - blank);
    QCOMPARE(enginetest::productCount(*store_), 2 + 5000 - bad - blank);
    QStringList expected{kHeader};
    for (int n = 377; n <= 5000; n += 377) {
        if (n % 601 != 0)
            expected << QStringLiteral("编号---%1；名称---药品%2").arg(100000 + n).arg(n);
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

QTEST_GUILESS_MAIN(TestImportRun)
#include "tst_importrun.moc"
