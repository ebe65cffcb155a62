// The code letter of a run and the dry run: two imports at once take two letters, a run that stored nothing
// leaves its letter free, and a dry run leaves the store as it was.
#include "ImportRunFixture.h"

class TestRunLetters : public enginetest::ImportRunFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    void twoImportsAtOnceTakeTwoLetters_data();
    void twoImportsAtOnceTakeTwoLetters();
    void letters();
    void runThatStoredNothingLeavesItsLetterFree();
    void dryRunLeavesTheStoreUnchanged_data();
    void dryRunLeavesTheStoreUnchanged();
    void dryRunMeetsConstraintsCheckedAtCommit_data() { enginetest::addServerRow(); }
    void dryRunMeetsConstraintsCheckedAtCommit();
};

void TestRunLetters::twoImportsAtOnceTakeTwoLetters_data()
{
    storetest::addBackendRows();
}

// Two clerks press OK at the same moment on two computers: each run takes its own letter and stores every row.
void TestRunLetters::twoImportsAtOnceTakeTwoLetters()
{
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

void TestRunLetters::letters()
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

void TestRunLetters::runThatStoredNothingLeavesItsLetterFree()
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

void TestRunLetters::dryRunLeavesTheStoreUnchanged_data()
{
    storetest::addBackendRows();
}

// A dry run says what the real run will say, and the store is as it was, byte for byte.
void TestRunLetters::dryRunLeavesTheStoreUnchanged()
{
    QFETCH(Backend, backend);
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

// A dry run never commits, yet a uniqueness the server checks only at the commit refuses the same row in it as in
// the real run.
void TestRunLetters::dryRunMeetsConstraintsCheckedAtCommit()
{
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

QTEST_GUILESS_MAIN(TestRunLetters)
#include "tst_runletters.moc"
