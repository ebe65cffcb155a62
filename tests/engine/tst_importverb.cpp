// product-import-cli import as a clerk's script would run it: exit status, the status line on standard output, the
// messages on standard error, the log file and the store; the verb in process, a few rows through the program.
#include "cli/RunChoiceOptions.h"
#include "CliRun.h"
#include "engine/run/ImportTexts.h"
#include "EngineTestSupport.h"
#include "RowBackend.h"
#include "StoreFixture.h"
#include "StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>

#include <numeric>

#include <unistd.h>

using storetest::Backend;

Q_DECLARE_METATYPE(importer::ExistingChoice)
Q_DECLARE_METATYPE(importer::RepeatChoice)

class TestImportVerb : public QObject
{
    Q_OBJECT

private slots:
    void init() { enginetest::requireRowBackend(); }

    void runs_data();
    void runs();
    void dryRunMatchesTheRealRun_data();
    void dryRunMatchesTheRealRun();
    void storeFaultEndsWithTheStoresWords_data();
    void storeFaultEndsWithTheStoresWords();
    void logThatWouldOverwriteWhatTheRunUses_data();
    void logThatWouldOverwriteWhatTheRunUses();
    void statusLineSaysWhatBecameOfExistingAndRepeatedRows_data();
    void statusLineSaysWhatBecameOfExistingAndRepeatedRows();
    void exitStatusCountsSkippedUpdatedAndMergedRowsAsDone_data();
    void exitStatusCountsSkippedUpdatedAndMergedRowsAsDone();
    void helpNamesTheChoices();
};

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

QStringList importArguments(Backend backend, const QString& folder, const QString& log)
{
    const QString store = backend == Backend::Server ? storetest::serverConnectionString()
                                                     : folder + QStringLiteral("/demo-store.sqlite");
    return {QStringLiteral("import"),
            testsupport::testData(QStringLiteral("engine/duplicate-codes.xls")),
            QStringLiteral("--category"),
            QStringLiteral("010101"),
            backend == Backend::Server ? QStringLiteral("--odbc") : QStringLiteral("--store"),
            store,
            QStringLiteral("--log"),
            log};
}

} // namespace

void TestImportVerb::runs_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QStringList>("arguments"); // {workbook} {store} {log} {folder} are filled in
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QString>("statusLine");
    QTest::addColumn<QString>("errorText"); // a piece of standard error, or empty for none at all
    QTest::addColumn<int>("storedRows");    // products added to the demo store's two
    QTest::addColumn<bool>("program");      // through the built program; otherwise in process

    const QStringList base{"{data}/five-rows.xls", "--category", "010101", "--store", "{store}", "--log", "{log}"};
    const QString five = QStringLiteral("共5条,正确导入3条,错误1条,空纪录1条,点此查看错误的信息！");
    const QString started = QStringLiteral("正在导入......");

    QTest::newRow("completed, no row failed")
        << Backend::Sqlite
        << QStringList{"{data}/blank-code.xls", "--category", "010101", "--store", "{store}", "--log", "{log}"} << 0
        << QStringLiteral("共2条,正确导入1条,错误0条,空纪录1条,点此查看错误的信息！") << QString() << 1 << false;
    QTest::newRow("completed with failed rows") << Backend::Sqlite << base << 3 << five << QString() << 3 << false;
    QTest::newRow("options before the workbook, --opt=value")
        << Backend::Sqlite
        << QStringList{"--store={store}", "--log", "{log}", "--category=010101", "{data}/five-rows.xls"} << 3 << five
        << QString() << 3 << false;
    QTest::newRow("named sheet") << Backend::Sqlite
                                 << QStringList{"{data}/values.xls", "--sheet", "商品资料", "--category", "010102",
                                                "--store",           "{store}", "--log",    "{log}"}
                                 << 0 << QStringLiteral("共3条,正确导入3条,错误0条,空纪录0条,点此查看错误的信息！")
                                 << QString() << 3 << false;
    QTest::newRow("workbook missing") << Backend::Sqlite
                                      << QStringList{"{folder}/none.xls", "--category", "010101", "--store",
                                                     "{store}",           "--log",      "{log}"}
                                      << 1 << started << QStringLiteral("Execl文件不存在,请重新连接！") << 0 << false;
    QTest::newRow("no such sheet") << Backend::Sqlite << (base + QStringList{"--sheet", "Sheet9"}) << 1 << started
                                   << QStringLiteral("Sheet9") << 0 << false;
    QTest::newRow("no code column") << Backend::Sqlite << QStringList{"{xls}/products-xlwt.xls",
                                                                      "--sheet",
                                                                      " Sheet1 ",
                                                                      "--category",
                                                                      "010101",
                                                                      "--store",
                                                                      "{store}",
                                                                      "--log",
                                                                      "{log}"}
                                    << 1 << started << QStringLiteral("没有商品编号列") << 0 << false;
    QTest::newRow("log cannot be written")
        << Backend::Sqlite
        << QStringList{"{data}/five-rows.xls",        "--category", "010101", "--store", "{store}", "--log",
                       "{data}/five-rows.xls/log.txt"}
        << 1 << QString() << QStringLiteral("five-rows.xls/log.txt") << 0 << false; // refused before any row
    QTest::newRow("store file missing") << Backend::Sqlite
                                        << QStringList{"{data}/five-rows.xls", "--category", "010101", "--store",
                                                       "{folder}/none.dat"}
                                        << 1 << QString() << QStringLiteral("none.dat") << 0 << false;
    QTest::newRow("unknown option") << Backend::Sqlite << (base + QStringList{"--fast"}) << 2 << QString()
                                    << QStringLiteral("--fast") << 0 << false;
    QTest::newRow("option without its value") << Backend::Sqlite << (base + QStringList{"--sheet"}) << 2 << QString()
                                              << QStringLiteral("--sheet") << 0 << false;
    // An empty value must not fall back to the program folder's store or log.
    for (const char* option : {"--store", "--odbc", "--log"}) {
        QTest::addRow("empty %s", option) << Backend::Sqlite << (base + QStringList{option, ""}) << 2 << QString()
                                          << QString::fromLatin1(option) << 0 << false;
        QTest::addRow("empty %s=", option) << Backend::Sqlite << (base + QStringList{option + QStringLiteral("=")}) << 2
                                           << QString() << QString::fromLatin1(option) << 0 << false;
    }
    QTest::newRow("no category") << Backend::Sqlite << QStringList{"{data}/five-rows.xls", "--store", "{store}"} << 2
                                 << QString() << QStringLiteral("--category") << 0 << false;
    QTest::newRow("no workbook") << Backend::Sqlite << QStringList{"--category", "010101", "--store", "{store}"} << 2
                                 << QString() << QStringLiteral("workbook") << 0 << false;
    QTest::newRow("empty workbook path") << Backend::Sqlite << QStringList{"",        "--category", "010101", "--store",
                                                                           "{store}", "--log",      "{log}"}
                                         << 2 << QString() << QStringLiteral("请选择要导入的电子表格！") << 0 << false;
    QTest::newRow("two stores") << Backend::Sqlite << (base + QStringList{"--odbc", "DSN=x"}) << 2 << QString()
                                << QStringLiteral("--odbc") << 0 << false;
    for (const char* kind : {"0101", "01", "01CF", "0201x"}) {
        QStringList arguments = base;
        arguments[2] = QLatin1String(kind);
        QTest::addRow("not a category: %s", kind)
            << Backend::Sqlite << arguments << 2 << QString() << QStringLiteral("not a category") << 0 << false;
    }
    // What becomes of rows the store holds already and of repeated codes: the choice in the status line, a value
    // that is none of the choices a usage error that lists them.
    const QStringList blankCode{
        "{data}/blank-code.xls", "--category", "010101", "--store", "{store}", "--log", "{log}"};
    const QString blankCodeCounts = QStringLiteral("共2条,正确导入1条,错误0条,空纪录1条,");
    const QString link = QStringLiteral("点此查看错误的信息！");
    QTest::newRow("--existing add: the line as ever")
        << Backend::Sqlite << (blankCode + QStringList{"--existing", "add", "--repeats", "fail"}) << 0
        << blankCodeCounts + link << QString() << 1 << false;
    QTest::newRow("--existing skip") << Backend::Sqlite << (blankCode + QStringList{"--existing", "skip"}) << 0
                                     << blankCodeCounts + QStringLiteral("已有0条,") + link << QString() << 1 << false;
    QTest::newRow("--existing=update") << Backend::Sqlite << (blankCode + QStringList{"--existing=update"}) << 0
                                       << blankCodeCounts + QStringLiteral("更新0条,") + link << QString() << 1
                                       << false;
    QTest::newRow("--repeats merge") << Backend::Sqlite << (blankCode + QStringList{"--repeats", "merge"}) << 0
                                     << blankCodeCounts + QStringLiteral("合并0条,") + link << QString() << 1 << false;
    QTest::newRow("--existing update --repeats merge, in a dry run")
        << Backend::Sqlite << (blankCode + QStringList{"--repeats", "merge", "--dry-run", "--existing", "update"}) << 0
        << blankCodeCounts + QStringLiteral("更新0条,合并0条,") + link << QString() << 0 << false;
    QTest::newRow("postgresql: --existing skip")
        << Backend::Server
        << QStringList{"{data}/blank-code.xls",
                       "--category",
                       "010101",
                       "--odbc",
                       "{store}",
                       "--log",
                       "{log}",
                       "--existing",
                       "skip",
                       "--repeats",
                       "merge"}
        << 0 << blankCodeCounts + QStringLiteral("已有0条,合并0条,") + link << QString() << 1 << false;
    for (const char* value : {"keep", "Skip", "", "add,skip"}) {
        QTest::addRow("--existing \"%s\"", value)
            << Backend::Sqlite << (blankCode + QStringList{"--existing", value}) << 2 << QString()
            << QStringLiteral("--existing takes add, skip, update, not \"%1\"").arg(QLatin1String(value)) << 0 << false;
    }
    for (const char* value : {"sum", "Merge", ""}) {
        QTest::addRow("--repeats \"%s\"", value)
            << Backend::Sqlite << (blankCode + QStringList{"--repeats", value}) << 2 << QString()
            << QStringLiteral("--repeats takes fail, merge, not \"%1\"").arg(QLatin1String(value)) << 0 << false;
    }
    QTest::newRow("--existing without its value") << Backend::Sqlite << (blankCode + QStringList{"--existing"}) << 2
                                                  << QString() << QStringLiteral("--existing") << 0 << false;

    QTest::newRow("postgresql: completed with failed rows")
        << Backend::Server
        << QStringList{"{data}/five-rows.xls", "--category", "010101", "--odbc", "{store}", "--log", "{log}"} << 3
        << five << QString() << 3 << false;

    // The built program: its exit status and its two streams.
    QTest::newRow("program: completed with failed rows")
        << Backend::Sqlite << base << 3 << five << QString() << 3 << true;
    QTest::newRow("program: workbook missing")
        << Backend::Sqlite
        << QStringList{"{folder}/none.xls", "--category", "010101", "--store", "{store}", "--log", "{log}"} << 1
        << started << QStringLiteral("Execl文件不存在,请重新连接！") << 0 << true;
    QTest::newRow("program: unknown option") << Backend::Sqlite << (base + QStringList{"--fast"}) << 2 << QString()
                                             << QStringLiteral("unknown option \"--fast\"") << 0 << true;
    QTest::newRow("program: --existing skip")
        << Backend::Sqlite << (blankCode + QStringList{"--existing", "skip"}) << 0
        << blankCodeCounts + QStringLiteral("已有0条,") + link << QString() << 1 << true;
    QTest::newRow("program: --repeats wrong")
        << Backend::Sqlite << (blankCode + QStringList{"--repeats", "add"}) << 2 << QString()
        << QStringLiteral("--repeats takes fail, merge, not \"add\"") << 0 << true;
}

void TestImportVerb::runs()
{
    QFETCH(Backend, backend);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QString, statusLine);
    QFETCH(QString, errorText);
    QFETCH(int, storedRows);
    QFETCH(bool, program);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    data::Connection store;
    storetest::connectDemoStore(backend, store, folder.path());
    const QString storeArgument = backend == Backend::Server ? storetest::serverConnectionString()
                                                             : folder.filePath(QStringLiteral("demo-store.sqlite"));
    const QString log = folder.filePath(QStringLiteral("log.txt"));
    for (QString& argument : arguments) {
        argument.replace(QLatin1String("{data}"), testsupport::testData(QStringLiteral("engine")));
        argument.replace(QLatin1String("{xls}"), testsupport::testData(QStringLiteral("xls")));
        argument.replace(QLatin1String("{store}"), storeArgument);
        argument.replace(QLatin1String("{log}"), log);
        argument.replace(QLatin1String("{folder}"), folder.path());
    }

    const QStringList commandLine = QStringList{QStringLiteral("import")} + arguments;
    const testsupport::CliRun run =
        program ? testsupport::runCliProgram(commandLine) : testsupport::runCliInProcess(commandLine);
    const QString out = QString::fromUtf8(run.out);
    const QString err = QString::fromUtf8(run.err);
    QCOMPARE(run.exitCode, exitStatus);
    QCOMPARE(out, statusLine.isEmpty() ? QString() : statusLine + QLatin1Char('\n'));
    if (errorText.isEmpty()) {
        // No progress bar: standard error is no terminal here. A row with a name and no code is named there (the
        // five-row sheet has one), and nothing else is said.
        static const QRegularExpression namedWithoutCode(
            QStringLiteral("^product-import-cli import: 1 行有商品名称但没有商品编号（第\\d行），将算作空纪录\n"));
        QCOMPARE(QString(err).remove(namedWithoutCode), QString());
    } else {
        QVERIFY2(err.contains(errorText), qPrintable(err));
    }
    QCOMPARE(enginetest::productCount(store), 2 + storedRows);
    if (exitStatus == 0 || exitStatus == 3)
        QVERIFY(QFile::exists(log));
    if (exitStatus != 0 && exitStatus != 3)
        QVERIFY(!QFile::exists(log));
}

void TestImportVerb::dryRunMatchesTheRealRun_data()
{
    storetest::addBackendRows();
}

// --dry-run checks a sheet: the status line, the exit status and the log of the real run, and the store as it was,
// byte for byte.
void TestImportVerb::dryRunMatchesTheRealRun()
{
    QFETCH(Backend, backend);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    data::Connection store;
    storetest::connectDemoStore(backend, store, folder.path());
    const QString storeFile = folder.filePath(QStringLiteral("demo-store.sqlite"));
    const QStringList codesBefore = enginetest::productCodes(store);
    store.disconnect();
    const QByteArray storeBefore = fileBytes(storeFile);

    const QString dryLog = folder.filePath(QStringLiteral("dry-log.txt"));
    const testsupport::CliRun dry = testsupport::runCliInProcess(importArguments(backend, folder.path(), dryLog) +
                                                                 QStringList{QStringLiteral("--dry-run")});
    QCOMPARE(fileBytes(storeFile), storeBefore);
    store.connect(backend == Backend::Server ? storetest::serverConnectionString()
                                             : data::Connection::sqliteConnectionString(storeFile));
    QCOMPARE(enginetest::productCodes(store), codesBefore);

    const QString realLog = folder.filePath(QStringLiteral("log.txt"));
    const testsupport::CliRun real = testsupport::runCliInProcess(importArguments(backend, folder.path(), realLog));
    QCOMPARE(dry.exitCode, real.exitCode);
    QCOMPARE(dry.out, real.out);
    QCOMPARE(dry.err, real.err);
    QCOMPARE(fileBytes(dryLog), fileBytes(realLog));
    QCOMPARE(real.exitCode, 3);
    QCOMPARE(QString::fromUtf8(real.out), QStringLiteral("共3条,正确导入2条,错误1条,空纪录0条,点此查看错误的信息！\n"));
    QCOMPARE(enginetest::productCount(store), codesBefore.size() + 2);
}

void TestImportVerb::storeFaultEndsWithTheStoresWords_data()
{
    storetest::addBackendRows();
}

// The store cannot take any row (a column of the insert is missing): exit status 1 at once, the store's own words
// on standard error, the status line on standard output, the log of the rows handled saved.
void TestImportVerb::storeFaultEndsWithTheStoresWords()
{
    QFETCH(Backend, backend);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    data::Connection store;
    storetest::connectDemoStore(backend, store, folder.path());
    enginetest::execute(store, QStringLiteral("alter table Cpxm drop column Cpzk"));
    const QString log = folder.filePath(QStringLiteral("log.txt"));
    const testsupport::CliRun run = testsupport::runCliInProcess(importArguments(backend, folder.path(), log));
    QCOMPARE(run.exitCode, 1);
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(err.contains(QStringLiteral("数据库拒绝继续写入")) &&
                 err.contains(QStringLiteral("cpzk"), Qt::CaseInsensitive),
             qPrintable(err));
    QVERIFY(!run.out.isEmpty());
    QVERIFY(QFile::exists(log));
    QCOMPARE(enginetest::productCount(store), 2);
}

void TestImportVerb::logThatWouldOverwriteWhatTheRunUses_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QString>("log");  // {store} and {book}: the store file and the workbook, in {folder}
    QTest::addColumn<QString>("link"); // made first: {folder}/link pointing there ("hard:" a hard link), or nothing
    QTest::addColumn<QString>("word"); // on standard error

    QTest::newRow("the store") << Backend::Sqlite << "{store}" << QString() << "store file";
    QTest::newRow("the store by another path")
        << Backend::Sqlite << "{folder}/sub/../demo-store.sqlite" << QString() << "store file";
    QTest::newRow("a link to the store") << Backend::Sqlite << "{folder}/link"
                                         << "{store}"
                                         << "store file";
    QTest::newRow("a hard link to the store") << Backend::Sqlite << "{folder}/link"
                                              << "hard:{store}"
                                              << "store file";
    QTest::newRow("the store's journal") << Backend::Sqlite << "{store}-journal" << QString() << "journal";
    QTest::newRow("the store's write-ahead log") << Backend::Sqlite << "{store}-wal" << QString() << "journal";
    QTest::newRow("a link to the journal, not there yet") << Backend::Sqlite << "{folder}/link"
                                                          << "{store}-journal"
                                                          << "journal";
    QTest::newRow("the journal of the store through a link")
        << Backend::Sqlite << "{folder}/link-journal" << QString() << "journal";
    QTest::newRow("the workbook") << Backend::Sqlite << "{book}" << QString() << "workbook";
    QTest::newRow("a link to the workbook") << Backend::Sqlite << "{folder}/link"
                                            << "{book}"
                                            << "workbook";
    QTest::newRow("postgresql: the workbook") << Backend::Server << "{book}" << QString() << "workbook";
}

// --log naming a file the run reads or writes, through whatever path: a usage error before anything is touched.
void TestImportVerb::logThatWouldOverwriteWhatTheRunUses()
{
    QFETCH(Backend, backend);
    QFETCH(QString, log);
    QFETCH(QString, link);
    QFETCH(QString, word);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));
    data::Connection store;
    storetest::connectDemoStore(backend, store, folder.path());
    const QString storeFile = folder.filePath(QStringLiteral("demo-store.sqlite"));
    const QString book = folder.filePath(QStringLiteral("five-rows.xls"));
    QVERIFY(QFile::copy(testsupport::testData(QStringLiteral("engine/five-rows.xls")), book));
    const auto filledIn = [&](QString text) {
        return text.replace(QLatin1String("{store}"), storeFile)
            .replace(QLatin1String("{book}"), book)
            .replace(QLatin1String("{folder}"), folder.path());
    };
    QString storeArgument = backend == Backend::Server ? storetest::serverConnectionString() : storeFile;
    if (!link.isEmpty()) {
        const QString target = filledIn(link);
        const QString linkPath = folder.filePath(QStringLiteral("link"));
        if (target.startsWith(QLatin1String("hard:")))
            QCOMPARE(::link(QFile::encodeName(target.mid(5)).constData(), QFile::encodeName(linkPath).constData()), 0);
        else
            QVERIFY(QFile::link(target, linkPath));
    } else if (log.contains(QLatin1String("link-journal"))) {
        // The store opened through a link: its journal is named after the link.
        QVERIFY(QFile::link(storeFile, folder.filePath(QStringLiteral("link"))));
        storeArgument = folder.filePath(QStringLiteral("link"));
    }
    const QByteArray storeBefore = fileBytes(storeFile);
    const QByteArray bookBefore = fileBytes(book);
    const QStringList before = QDir(folder.path()).entryList(QDir::Files | QDir::System | QDir::Hidden);

    const testsupport::CliRun run = testsupport::runCliInProcess(
        {QStringLiteral("import"), book, QStringLiteral("--category"), QStringLiteral("010101"),
         backend == Backend::Server ? QStringLiteral("--odbc") : QStringLiteral("--store"), storeArgument,
         QStringLiteral("--log"), filledIn(log)});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(QString::fromUtf8(run.err).contains(word), run.err.constData());
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(fileBytes(storeFile), storeBefore);
    QCOMPARE(fileBytes(book), bookBefore);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::System | QDir::Hidden), before);
    QCOMPARE(enginetest::productCount(store), 2);
}

void TestImportVerb::statusLineSaysWhatBecameOfExistingAndRepeatedRows_data()
{
    using importer::ExistingChoice;
    using importer::RepeatChoice;
    QTest::addColumn<ExistingChoice>("existing");
    QTest::addColumn<RepeatChoice>("repeats");
    QTest::addColumn<QString>(
        "line"); // counts: 40 rows, 20 imported, 3 failed, 2 empty, 7 existing, 5 updated, 3 merged
    const QString head = QStringLiteral("共40条,正确导入20条,错误3条,空纪录2条,");
    const QString link = QStringLiteral("点此查看错误的信息！");
    QTest::newRow("add, fail: as ever") << ExistingChoice::Add << RepeatChoice::Fail << head + link;
    QTest::newRow("skip") << ExistingChoice::Skip << RepeatChoice::Fail << head + QStringLiteral("已有7条,") + link;
    QTest::newRow("update") << ExistingChoice::Update << RepeatChoice::Fail << head + QStringLiteral("更新5条,") + link;
    QTest::newRow("merge") << ExistingChoice::Add << RepeatChoice::Merge << head + QStringLiteral("合并3条,") + link;
    QTest::newRow("skip, merge") << ExistingChoice::Skip << RepeatChoice::Merge
                                 << head + QStringLiteral("已有7条,合并3条,") + link;
    QTest::newRow("update, merge") << ExistingChoice::Update << RepeatChoice::Merge
                                   << head + QStringLiteral("更新5条,合并3条,") + link;
}

// The summary names the count of the choice made, after 空纪录 and before the link text; a run without either
// choice reads exactly as before.
void TestImportVerb::statusLineSaysWhatBecameOfExistingAndRepeatedRows()
{
    QFETCH(importer::ExistingChoice, existing);
    QFETCH(importer::RepeatChoice, repeats);
    QFETCH(QString, line);
    importer::ImportCounts counts;
    counts.imported = 20;
    counts.failed = 3;
    counts.empty = 2;
    counts.existing = 7;
    counts.updated = 5;
    counts.merged = 3;
    QCOMPARE(importer::texts::rowSummary(40, counts, existing, repeats), line);
    if (existing == importer::ExistingChoice::Add && repeats == importer::RepeatChoice::Fail)
        QCOMPARE(importer::texts::rowSummary(40, 20, 3, 2),
                 QStringLiteral("共40条,正确导入20条,错误3条,空纪录2条,点此查看错误的信息！"));
}

void TestImportVerb::exitStatusCountsSkippedUpdatedAndMergedRowsAsDone_data()
{
    using End = importer::ImportOutcome::End;
    QTest::addColumn<int>("end");
    QTest::addColumn<QList<int>>("counts"); // imported, failed, empty, existing, updated, merged
    QTest::addColumn<int>("status");
    QTest::newRow("every row stored") << int(End::Completed) << QList<int>{5, 0, 0, 0, 0, 0} << 0;
    QTest::newRow("every row skipped") << int(End::Completed) << QList<int>{0, 0, 0, 5, 0, 0} << 0;
    QTest::newRow("every row updated") << int(End::Completed) << QList<int>{0, 0, 0, 0, 5, 0} << 0;
    QTest::newRow("stored and merged") << int(End::Completed) << QList<int>{3, 0, 1, 0, 0, 2} << 0;
    QTest::newRow("skipped, one failed") << int(End::Completed) << QList<int>{0, 1, 0, 4, 0, 0} << 3;
    QTest::newRow("updated and merged, one failed") << int(End::Completed) << QList<int>{0, 1, 0, 0, 2, 2} << 3;
    QTest::newRow("ended early after skipped rows") << int(End::EndedEarly) << QList<int>{0, 0, 0, 3, 0, 0} << 1;
    QTest::newRow("refused") << int(End::Refused) << QList<int>{0, 0, 0, 0, 0, 0} << 2;
}

void TestImportVerb::exitStatusCountsSkippedUpdatedAndMergedRowsAsDone()
{
    QFETCH(int, end);
    QFETCH(QList<int>, counts);
    QFETCH(int, status);
    importer::ImportOutcome outcome;
    outcome.end = importer::ImportOutcome::End(end);
    outcome.counts.imported = counts.at(0);
    outcome.counts.failed = counts.at(1);
    outcome.counts.empty = counts.at(2);
    outcome.counts.existing = counts.at(3);
    outcome.counts.updated = counts.at(4);
    outcome.counts.merged = counts.at(5);
    outcome.rowTotal = std::accumulate(counts.begin(), counts.end(), 0);
    QCOMPARE(cli::importExitStatus(outcome), status);
}

// import --help and the program's usage name both options with their values.
void TestImportVerb::helpNamesTheChoices()
{
    const testsupport::CliRun help = testsupport::runCliInProcess({QStringLiteral("import"), QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    const QString text = QString::fromUtf8(help.out);
    for (const char* piece :
         {"\n  --existing add|skip|update ", "\n  --repeats fail|merge ", "skipped, updated or merged"})
        QVERIFY2(text.contains(QLatin1String(piece)), qPrintable(text));
    const testsupport::CliRun usage = testsupport::runCliInProcess({QStringLiteral("--help")});
    QVERIFY2(
        QString::fromUtf8(usage.out).contains(QLatin1String("[--existing add|skip|update] [--repeats fail|merge]")),
        usage.out.constData());
}

QTEST_GUILESS_MAIN(TestImportVerb)
#include "tst_importverb.moc"
