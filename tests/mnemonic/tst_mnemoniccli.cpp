// product-import-cli mnemonic: the worked examples through the verb, its arguments and standard input, in process
// and once through the built program.

#include "CliRun.h"
#include "WorkedExamples.h"

#include <QTest>

namespace {

using testsupport::CliRun;

CliRun runCli(const QStringList& arguments, const QByteArray& input = {})
{
    return testsupport::runCliInProcess(QStringList{QStringLiteral("mnemonic")} + arguments, input);
}

} // namespace

class TestMnemonicCli : public QObject
{
    Q_OBJECT

private slots:
    void workedExamples_data();
    void workedExamples();
    void arguments_data();
    void arguments();
    void standardInputLineByLine_data();
    void standardInputLineByLine();
};

void TestMnemonicCli::workedExamples_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("expected");
    for (const workedexamples::Example& example : workedexamples::kExamples) {
        QTest::newRow(example.name) << QStringList{QStringLiteral("--options"), QString::number(example.options),
                                                   QStringLiteral("--max"), QString::number(example.maxLength),
                                                   QString::fromUtf8(example.text)}
                                    << QByteArray(example.code) + '\n';
    }
}

void TestMnemonicCli::workedExamples()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, expected);
    const CliRun run = runCli(arguments);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, expected);
}

void TestMnemonicCli::arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("expected");
    auto row = [](const char* name, const char* joined, int exitCode, const QByteArray& expected) {
        QTest::newRow(name) << QString::fromUtf8(joined).split(QLatin1Char('|')) << exitCode << expected;
    };
    row("defaults mark missing, length 255", "佛手", 0, "?S\n");
    row("negative options value", "--options|-1|中国", 0, "\n");
    row("negative options with equals sign", "--options=-1|中国", 0, "\n");
    row("negative maximum length", "--max|-3|中国", 0, "\n");
    row("options after the text", "中国|--max=3|--options=1", 0, "ZHO\n");
    row("text beginning with a dash", "--options|4|--|-abc", 0, "-ABC\n");
    row("unknown option", "--bogus|中国", 2, "");
    row("unknown short option", "-x", 2, "");
    row("option without its number", "中国|--options", 2, "");
    row("number that is no number", "--options|x|中国", 2, "");
    row("number out of range", "--max|99999999999|中国", 2, "");
    row("no text", "--options|1", 2, "");
    row("two texts", "中国|人民", 2, "");
}

void TestMnemonicCli::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, expected);
    const CliRun run = runCli(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, expected);
    if (exitCode == 2)
        QVERIFY2(run.err.contains("usage:"), run.err.constData());
}

void TestMnemonicCli::standardInputLineByLine_data()
{
    QTest::addColumn<bool>("program");
    QTest::newRow("in process") << false;
    QTest::newRow("the built program") << true;
}

void TestMnemonicCli::standardInputLineByLine()
{
    QFETCH(bool, program);
    const QStringList arguments{QStringLiteral("mnemonic"), QStringLiteral("-")};
    const QByteArray input("中国\r\n板蓝根颗粒 10g\n\n佛手\nabc");
    const CliRun run =
        program ? testsupport::runCliProgram(arguments, input) : testsupport::runCliInProcess(arguments, input);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("ZG\nBLGKL10G\n\n?S\nABC\n"));
    QCOMPARE(run.err, QByteArray());
}

QTEST_GUILESS_MAIN(TestMnemonicCli)
#include "tst_mnemoniccli.moc"
