// product-import-cli sheets and preview: the verbs in process, and a few runs of the built program.
#include "CliRun.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// What preview says first of the template: each field fed by the column of its own header, on row 1.
const QStringList kTemplateLayout{"商品编号\tA\t商品编号",
                                  "商品名称\tB\t商品名称",
                                  "计量单位\tC\t计量单位",
                                  "成本价\tD\t成本价",
                                  "销售价\tE\t销售价",
                                  "最低折扣\tF\t最低折扣",
                                  "当前库存\tG\t当前库存",
                                  "单品折扣\tH\t单品折扣",
                                  "助记码\tI\t助记码",
                                  "表头在第1行",
                                  ""};

QString xls(const QString& name)
{
    return testsupport::testData(QStringLiteral("xls/") + name);
}

QString xlsx(const QString& name)
{
    return testsupport::testData(QStringLiteral("xlsx/") + name);
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run asText(const testsupport::CliRun& run)
{
    return {run.exitCode, QString::fromUtf8(run.out), QString::fromUtf8(run.err)};
}

// In this process.
Run inProcess(const QStringList& arguments)
{
    return asText(testsupport::runCliInProcess(arguments));
}

// Through the built program, for its exit code and streams.
Run program(const QStringList& arguments)
{
    return asText(testsupport::runCliProgram(arguments));
}

// What preview says of the template's row with a name and no code, which counts as an empty record.
const QString kNamedWithoutCode =
    QStringLiteral("product-import-cli preview: 1 行有商品名称但没有商品编号（第3行），将算作空纪录\n");

// preview's header line: the header texts in the order of the printed fields.
const QString kPreviewHeader =
    QStringLiteral("商品编号\t商品名称\t助记码\t计量单位\t成本价\t销售价\t最低折扣\t当前库存\t单品折扣");

} // namespace

class TestSheetVerbs : public QObject
{
    Q_OBJECT

private slots:
    void verbs_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("outLines"); // the first lines of stdout
        QTest::addColumn<QString>("errContains");
        QTest::newRow("sheets") << QStringList{"sheets", xls("common-gnumeric.xls")} << 0
                                << QStringList{"Sheet1\t6\t10", "数据类型\t6\t10", "长文本\t3\t2", ""} << "";
        QTest::newRow("preview: a header, then the nine fields in order, trimmed, defaulted, escaped")
            << QStringList{"preview", xls("products-xlwt.xls")} << 0
            << kTemplateLayout + QStringList{kPreviewHeader, "A01\t阿莫西林胶囊\tAMXLJN\t盒\t0\t18\t0\t0\t1",
                                             "\t空编号\tKBH\t个\t1\t2\t0\t0\t1"}
            << kNamedWithoutCode;
        QTest::newRow("preview --raw: header first, untrimmed, escaped")
            << QStringList{"preview", "--raw", xls("products-xlwt.xls")} << 0
            << QStringList{"商品编号\t商品名称\t计量单位\t成本价\t销售价\t最低折扣\t当前库存\t单品折扣\t助记码",
                           "  A01  \t 阿莫西林胶囊\\t\t盒\t\t18\t\t\t\t", "\\t\\r\\n\t空编号\t个\t1\t2\t0\t0\t1\t"}
            << "";
        QTest::newRow("preview --sheet=NAME")
            << QStringList{"preview", "--sheet=数据类型", "--raw", xls("dates1904-xlwt.xls")} << 0
            << QStringList{"文本\t整数\t小数\t大数\t负数\t日期\t日期时间\t时间\t逻辑\t错误"} << "";
        QTest::newRow("sheets: .xlsx") << QStringList{"sheets", xlsx("common-openpyxl.xlsx")} << 0
                                       << QStringList{"Sheet1\t6\t10", "数据类型\t6\t10", "长文本\t3\t2", ""} << "";
        QTest::newRow("sheets: .xlsx without chartsheets")
            << QStringList{"sheets", xlsx("sheetkinds-openpyxl.xlsx")} << 0
            << QStringList{"数据\t2\t3", "隐藏\t1\t1\t隐藏", ""} << "";
        QTest::newRow("preview: .xlsx reads as .xls")
            << QStringList{"preview", xlsx("products-openpyxl.xlsx")} << 0
            << kTemplateLayout + QStringList{kPreviewHeader, "A01\t阿莫西林胶囊\tAMXLJN\t盒\t0\t18\t0\t0\t1",
                                             "\t空编号\tKBH\t个\t1\t2\t0\t0\t1"}
            << kNamedWithoutCode;
        QTest::newRow("preview --raw: .xlsx")
            << QStringList{"preview", "--raw", xlsx("products-openpyxl.xlsx")} << 0
            << QStringList{"商品编号\t商品名称\t计量单位\t成本价\t销售价\t最低折扣\t当前库存\t单品折扣\t助记码",
                           "  A01  \t 阿莫西林胶囊\\t\t盒\t\t18\t\t\t\t", "\\t\\r\\n\t空编号\t个\t1\t2\t0\t0\t1\t"}
            << "";
        QTest::newRow("preview: no code column")
            << QStringList{"preview", xls("products-xlwt.xls"), "--sheet", " Sheet1 "} << 1 << QStringList{""}
            << "没有商品编号列";
        QTest::newRow("preview: no such sheet")
            << QStringList{"preview", xls("dates1904-xlwt.xls")} << 1 << QStringList{""} << "“数据类型”";
        QTest::newRow("sheets: no such file")
            << QStringList{"sheets", xls("nothere.xls")} << 1 << QStringList{""} << "不存在";
        QTest::newRow("no verb") << QStringList{} << 2 << QStringList{""} << "usage: product-import-cli VERB";
        QTest::newRow("unknown verb") << QStringList{"export"} << 2 << QStringList{""} << "unknown verb \"export\"";
        QTest::newRow("preview --help")
            << QStringList{"preview", "--help"} << 0
            << QStringList{"usage: product-import-cli preview WORKBOOK [--sheet NAME] [--map FIELD=HEADER]... "
                           "[--header-row N] [--raw] [--phrase-mnemonics]"}
            << "";
        QTest::newRow("preview: unknown option")
            << QStringList{"preview", xls("products-xlwt.xls"), "--bogus"} << 2 << QStringList{""} << "--bogus";
        QTest::newRow("preview: --sheet without a name")
            << QStringList{"preview", xls("products-xlwt.xls"), "--sheet"} << 2 << QStringList{""} << "usage";
        QTest::newRow("preview: two workbooks")
            << QStringList{"preview", xls("a.xls"), xls("b.xls")} << 2 << QStringList{""} << "usage";
        QTest::newRow("sheets: no workbook") << QStringList{"sheets"} << 2 << QStringList{""} << "usage";
        QTest::newRow("sheets: unknown option") << QStringList{"sheets", "-x"} << 2 << QStringList{""} << "-x";
    }
    void verbs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, outLines);
        QFETCH(QString, errContains);
        const Run run = inProcess(arguments);
        QCOMPARE(run.exitCode, exitCode);
        const QStringList lines = run.out.split(u'\n');
        QVERIFY2(lines.size() >= outLines.size(), qPrintable(run.out));
        QCOMPARE(lines.mid(0, outLines.size()), outLines);
        QVERIFY2(run.err.contains(errContains), qPrintable(run.err));
        if (exitCode == 0)
            QCOMPARE(run.err, errContains);
    }

    void previewEscapesEveryLineBreak()
    {
        const Run run = inProcess({"preview", xls("products-xlwt.xls")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count(u'\n'), kTemplateLayout.size() + 8); // the fields, the header, a line per data row
        QVERIFY2(run.out.contains(QStringLiteral("\nA07\tLine\\nbreak\\\\tab\\there\t")), qPrintable(run.out));
    }

    void exampleWorkbookPreviewsThroughTheProgram()
    {
        const Run run = program({"preview", testsupport::programFolder() + QStringLiteral("商品信息导入格式事例.xls")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QVERIFY(run.out.count(u'\n') >= 5);
        QVERIFY2(run.out.startsWith(kTemplateLayout.join(u'\n') + u'\n' + kPreviewHeader + u'\n'), qPrintable(run.out));
    }

    void versionComesFromTheBuild()
    {
        const Run version = program({"--version"});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QStringLiteral("product-import-cli " PI_TEST_PROJECT_VERSION "\n"));
        QVERIFY2(version.err.isEmpty(), qPrintable(version.err));
        const Run help = inProcess({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.startsWith(version.out.trimmed() + u':'), qPrintable(help.out));
    }

    void helpOfEveryVerb_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<bool>("usesAStore");
        for (const char* verb : {"mnemonic", "sheets", "preview", "init-store"})
            QTest::newRow(verb) << QString::fromLatin1(verb) << false;
        for (const char* verb : {"kinds", "import"})
            QTest::newRow(verb) << QString::fromLatin1(verb) << true;
    }
    void helpOfEveryVerb()
    {
        QFETCH(QString, verb);
        QFETCH(bool, usesAStore);
        const Run help = inProcess({verb, "--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.err.isEmpty(), qPrintable(help.err));
        QVERIFY2(help.out.contains(QStringLiteral("\nExit status: 0 ")), qPrintable(help.out));
        QVERIFY2(help.out.contains(QStringLiteral("2 usage error")), qPrintable(help.out));
        QVERIFY2(help.out.contains(QStringLiteral("\nExample: product-import-cli ") + verb + u' '),
                 qPrintable(help.out));
        QCOMPARE(help.out.contains(QStringLiteral("Member.dat\nwhen it exists")), usesAStore);

        // The top-level usage names the verb with every option its own help lists.
        const QString usageLine = help.out.section(u'\n', 0, 0);
        QVERIFY(usageLine.startsWith(QStringLiteral("usage: product-import-cli ") + verb));
        const Run top = inProcess({"--help"});
        QVERIFY2(top.out.contains(QStringLiteral("\n  product-import-cli ") + usageLine.mid(26) + u'\n'),
                 qPrintable(top.out));
        static const QRegularExpression optionLine(QStringLiteral("^  (--[a-z-]+)"),
                                                   QRegularExpression::MultilineOption);
        for (auto it = optionLine.globalMatch(help.out); it.hasNext();) {
            const QString option = it.next().captured(1);
            QVERIFY2(usageLine.contains(u'[' + option) || usageLine.contains(u' ' + option + u' ') ||
                         usageLine.contains(u'|' + option) || usageLine.contains(u' ' + option + u']'),
                     qPrintable(option + QStringLiteral(" is missing from: ") + usageLine));
        }
    }

    void usageErrorsGoToStandardError()
    {
        const Run run = program({"import", "--dry-run"});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(QStringLiteral("usage: product-import-cli import")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestSheetVerbs)
#include "tst_sheetverbs.moc"
