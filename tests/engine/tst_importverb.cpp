// product-import-cli import as a clerk's script would run it: exit status, the status line on standard output, the
// messages on standard error, the log file and the store; the verb in process, a few rows through the program.
#include "CliRun.h"
#include "EngineTestSupport.h"
#include "StoreFixture.h"
#include "StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using storetest::Backend;

class TestImportVerb : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void dryRunMatchesTheRealRun_data();
    void dryRunMatchesTheRealRun();
    void storeFaultEndsWithTheStoresWords_data();
    void storeFaultEndsWithTheStoresWords();
    void logThatWouldOverwriteWhatTheRunUses_data();
    void logThatWouldOverwriteWhatTheRunUses();
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
        << 1 << five << QStringLiteral("log.txt") << 3 << false;
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
    QTest::newRow("server, completed with failed rows")
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
    STORETEST_REQUIRE_BACKEND(backend);

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
        // No progress bar: standard error is no terminal here.
        QCOMPARE(err, QString());
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
    STORETEST_REQUIRE_BACKEND(backend);
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
    STORETEST_REQUIRE_BACKEND(backend);
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
    QTest::newRow("server: the workbook") << Backend::Server << "{book}" << QString() << "workbook";
}

// --log naming a file the run reads or writes, through whatever path: a usage error before anything is touched.
void TestImportVerb::logThatWouldOverwriteWhatTheRunUses()
{
    QFETCH(Backend, backend);
    QFETCH(QString, log);
    QFETCH(QString, link);
    QFETCH(QString, word);
    STORETEST_REQUIRE_BACKEND(backend);
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

QTEST_GUILESS_MAIN(TestImportVerb)
#include "tst_importverb.moc"
