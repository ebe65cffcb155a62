// A blank 助记码 read by whole words: through the engine's request, product-import-cli import --phrase-mnemonics (in
// process and as the program) and preview --phrase-mnemonics. The sheet's own 助记码 is never replaced. And the
// mnemonic verb's option bit 8.
#include "CliRun.h"
#include "engine/run/ImportRun.h"
#include "EngineTestSupport.h"
#include "RecordingReporter.h"
#include "store/ProductKinds.h"
#include "StoreFixture.h"
#include "TestPaths.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

enum class Way { Engine, CliInProcess, CliProgram };

const QString kWorkbook = testsupport::testData(QStringLiteral("engine/phrase-names.xls"));
const QStringList kCodes{"6001", "6002", "6003", "6004", "6005"};
// 人参, 复方丹参片, 白术 (the sheet gives BAIZHU), 重楼解毒酊 and 阿司匹林肠溶片, which has no word to read otherwise.
const QStringList kByCharacters{"RC", "FFDCP", "BAIZHU", "ZLJDD", "ASPLCRP"};
const QStringList kByWords{"RS", "FFDSP", "BAIZHU", "CLJDD", "ASPLCRP"};

} // namespace

Q_DECLARE_METATYPE(Way)

class TestPhraseMnemonics : public QObject
{
    Q_OBJECT

private slots:
    void importedCodes_data();
    void importedCodes();
    void previewShowsTheCodesTheImportStores_data();
    void previewShowsTheCodesTheImportStores();
    void mnemonicVerbTakesTheBit_data();
    void mnemonicVerbTakesTheBit();
};

void TestPhraseMnemonics::importedCodes_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<bool>("phrases");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("engine, characters alone") << Way::Engine << false << kByCharacters;
    QTest::newRow("engine, whole words") << Way::Engine << true << kByWords;
    QTest::newRow("import, characters alone") << Way::CliInProcess << false << kByCharacters;
    QTest::newRow("import --phrase-mnemonics") << Way::CliInProcess << true << kByWords;
    QTest::newRow("program: import --phrase-mnemonics") << Way::CliProgram << true << kByWords;
}

void TestPhraseMnemonics::importedCodes()
{
    QFETCH(Way, way);
    QFETCH(bool, phrases);
    QFETCH(QStringList, expected);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    data::Connection store;
    storetest::connectDemoStore(storetest::Backend::Sqlite, store, folder.path());
    const QString log = folder.filePath(QStringLiteral("log.txt"));

    if (way == Way::Engine) {
        data::Query query(store);
        importer::ImportSession session{store, query, log, QStringList()};
        importer::ImportRequest request;
        request.workbookPath = kWorkbook;
        request.sheetName = QStringLiteral("Sheet1");
        request.category = data::loadCategories(query, QStringLiteral("01")).value(0);
        request.phraseMnemonics = phrases;
        enginetest::RecordingReporter reporter;
        QCOMPARE(importer::runImport(session, request, reporter).counts.imported, 5);
    } else {
        QStringList commandLine{"import", kWorkbook, "--category",
                                "010101", "--store", folder.filePath(QStringLiteral("demo-store.sqlite")),
                                "--log",  log};
        if (phrases)
            commandLine << QStringLiteral("--phrase-mnemonics");
        const testsupport::CliRun run = way == Way::CliProgram ? testsupport::runCliProgram(commandLine)
                                                               : testsupport::runCliInProcess(commandLine);
        QCOMPARE(run.exitCode, 0);
    }

    QStringList stored;
    for (const QString& code : kCodes)
        stored << enginetest::productValue(store, QStringLiteral("B") + code, QStringLiteral("Cpxm_jp"));
    QCOMPARE(stored, expected);
}

void TestPhraseMnemonics::previewShowsTheCodesTheImportStores_data()
{
    QTest::addColumn<bool>("phrases");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("characters alone") << false << kByCharacters;
    QTest::newRow("--phrase-mnemonics") << true << kByWords;
}

void TestPhraseMnemonics::previewShowsTheCodesTheImportStores()
{
    QFETCH(bool, phrases);
    QFETCH(QStringList, expected);
    QStringList commandLine{"preview", kWorkbook};
    if (phrases)
        commandLine << QStringLiteral("--phrase-mnemonics");
    const testsupport::CliRun run = testsupport::runCliInProcess(commandLine);
    QCOMPARE(run.exitCode, 0);
    // The rows come after the lines that say which column feeds each field, a blank line and the header.
    QStringList lines =
        QString::fromUtf8(run.out).section(QStringLiteral("\n\n"), 1).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.takeFirst().section(QLatin1Char('\t'), 2, 2), QStringLiteral("助记码")); // the header
    QStringList mnemonics;
    for (const QString& line : std::as_const(lines))
        mnemonics << line.section(QLatin1Char('\t'), 2, 2);
    QCOMPARE(mnemonics, expected);
}

void TestPhraseMnemonics::mnemonicVerbTakesTheBit_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("default: characters alone") << QStringList{"mnemonic", "人参"} << QByteArray("RC\n");
    QTest::newRow("8 with 2") << QStringList{"mnemonic", "--options", "10", "人参"} << QByteArray("RS\n");
    QTest::newRow("8 with whole syllables, cut")
        << QStringList{"mnemonic", "--options=9", "--max", "8", "长春花"} << QByteArray("CHANGCHU\n");
    QTest::newRow("8 on standard input") << QStringList{"mnemonic", "--options", "8", "-"} << QByteArray("BZ\nCL\n");
}

void TestPhraseMnemonics::mnemonicVerbTakesTheBit()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, expected);
    const testsupport::CliRun run = testsupport::runCliInProcess(arguments, QByteArray("白术\n重楼\n"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, expected);
}

QTEST_GUILESS_MAIN(TestPhraseMnemonics)
#include "tst_phrasemnemonics.moc"
