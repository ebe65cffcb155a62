// Further columns of Cpxm fed from the sheet (规格, 产地, 条码, a wholesale price, a one-character state), and a list
// without codes numbered: through product-import-cli import, on a SQLite file and on the test server.
#include "CliRun.h"
#include "engine/run/FurtherColumns.h"
#include "engine/sheet/SheetLayout.h"
#include "EngineTestSupport.h"
#include "ListWorkbook.h"
#include "RowBackend.h"
#include "StoreFixture.h"
#include "StoreTestSupport.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using storetest::Backend;

namespace {

QStringList logLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no log>")};
    QStringDecoder decoder("GB18030");
    return QString(decoder(file.readAll())).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).mid(1);
}

const QString kLongSpec = QString(61, u'规');

} // namespace

class TestFurtherColumns : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder_;
    data::Connection store_;
    QStringList storeArguments_;

    void open(Backend backend)
    {
        storetest::connectDemoStore(backend, store_, folder_.path());
        storeArguments_ = backend == Backend::Server
                              ? QStringList{"--odbc", storetest::serverConnectionString()}
                              : QStringList{"--store", folder_.filePath(QStringLiteral("demo-store.sqlite"))};
        // A number column of the store's own, beside its text ones.
        enginetest::execute(store_,
                            QStringLiteral("alter table Cpxm add column Cpxm_pfj double precision default 2.5"));
    }

    testsupport::CliRun import(const QString& workbook, const QStringList& maps)
    {
        QStringList arguments{"import", workbook, "--category", "010101", "--log", folder_.filePath("log.txt")};
        for (const QString& map : maps)
            arguments << "--map" << map;
        return testsupport::runCliInProcess(arguments + storeArguments_);
    }

private slots:
    void initTestCase() { QVERIFY(folder_.isValid()); }
    void init() { enginetest::requireRowBackend(); }

    void chosenColumnsAreWritten_data() { storetest::addBackendRows(); }
    void chosenColumnsAreWritten()
    {
        QFETCH(Backend, backend);
        open(backend);
        const QString path = folder_.filePath(QStringLiteral("further.xlsx"));
        enginetest::writeListWorkbook(path, {
                                                {"编码", "名称", "规格", "产地", "条码", "批发价", "状态"},
                                                {"G1", "甘草片", "0.3g*100片", "山西", "6901028004954", "12.5", "0"},
                                                {"G2", "板蓝根颗粒", "", "", "", "", ""},
                                                {"G3", "维生素C片", "10片", "", "", "十元", ""},
                                                {"G4", "黄芪", kLongSpec, "", "", "", ""},
                                                {"G5", "当归", "", "", "", "", "停用"},
                                            });
        const testsupport::CliRun run =
            import(path, {"Cpxm_gg=规格", "cpxm_cd=产地", "Cpxm_txm=E", "Cpxm_pfj=批发价", "Cpxm_zt=状态"});
        QVERIFY2(run.exitCode == 3, run.err.constData());
        QCOMPARE(QString::fromUtf8(run.out).trimmed(),
                 QStringLiteral("共5条,正确导入2条,错误3条,空纪录0条,点此查看错误的信息！"));
        // The store names its columns in its own case (PostgreSQL: cpxm_gg).
        QCOMPARE(
            logLines(folder_.filePath("log.txt")).join(u'\n').toLower(),
            (QStringList{
                 QStringLiteral("编号---G3；名称---维生素C片；原因---批发价“十元”不是数字"),
                 QStringLiteral("编号---G4；名称---黄芪；原因---规格“%1”超出数据库列 Cpxm_gg 的长度（最多60个字）")
                     .arg(kLongSpec),
                 QStringLiteral("编号---G5；名称---当归；原因---状态“停用”超出数据库列 Cpxm_zt 的长度（最多1个字）")})
                .join(u'\n')
                .toLower());
        // Read back exactly; the twenty as ever.
        QCOMPARE(enginetest::productValue(store_, "BG1", "Cpxm_gg"), QStringLiteral("0.3g*100片"));
        QCOMPARE(enginetest::productValue(store_, "BG1", "Cpxm_cd"), QStringLiteral("山西"));
        QCOMPARE(enginetest::productValue(store_, "BG1", "Cpxm_txm"), QStringLiteral("6901028004954"));
        QCOMPARE(enginetest::productNumber(store_, "BG1", "Cpxm_pfj"), 12.5);
        QCOMPARE(enginetest::productValue(store_, "BG1", "Cpxm_zt"), QStringLiteral("0"));
        QCOMPARE(enginetest::productValue(store_, "BG1", "Cpxm_mc"), QStringLiteral("甘草片"));
        // A blank cell leaves the column as the store makes it: its default, or NULL.
        QCOMPARE(enginetest::productNumber(store_, "BG2", "Cpxm_pfj"), 2.5);
        QCOMPARE(enginetest::productValue(store_, "BG2", "Cpxm_zt"), QStringLiteral("1"));
        QCOMPARE(enginetest::column(store_, QStringLiteral("select count(*) as v from Cpxm where Cpxm_bm = 'BG2' "
                                                           "and Cpxm_gg is null and Cpxm_txm is null")),
                 QStringList{"1"});
    }

    void notChosenStaysAsItWas_data() { storetest::addBackendRows(); }
    void notChosenStaysAsItWas()
    {
        QFETCH(Backend, backend);
        open(backend);
        const QString path = folder_.filePath(QStringLiteral("plain.xlsx"));
        enginetest::writeListWorkbook(path, {{"编码", "名称", "规格"}, {"N1", "甘草片", "0.3g"}});
        const testsupport::CliRun run = import(path, {});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(enginetest::column(store_, QStringLiteral("select count(*) as v from Cpxm where Cpxm_bm = 'BN1' "
                                                           "and Cpxm_gg is null and Cpxm_pfj = 2.5")),
                 QStringList{"1"});
    }

    void columnsTheStoreLacksAreRefused_data()
    {
        QTest::addColumn<Backend>("backend");
        QTest::addColumn<QString>("map");
        QTest::addColumn<QString>("message");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString name = storetest::backendName(backend);
            QTest::addRow("%s: no such column", qPrintable(name))
                << backend << "Cpxm_xx=规格" << QStringLiteral("“Cpxm_xx”既不是商品的字段，也不是数据库表 Cpxm 的列");
            QTest::addRow("%s: one of the twenty", qPrintable(name))
                << backend << "Cpxm_ysdj=规格" << QStringLiteral("数据库列“Cpxm_ysdj”由导入本身填写");
        }
    }
    void columnsTheStoreLacksAreRefused()
    {
        QFETCH(Backend, backend);
        QFETCH(QString, map);
        QFETCH(QString, message);
        open(backend);
        const QString path = folder_.filePath(QStringLiteral("refused.xlsx"));
        enginetest::writeListWorkbook(path, {{"编码", "名称", "规格"}, {"R1", "甘草片", "0.3g"}});
        const testsupport::CliRun run = import(path, {map});
        QCOMPARE(run.exitCode, 2);
        const QString err = QString::fromUtf8(run.err);
        QVERIFY2(err.contains(message), qPrintable(err));
        // The columns that can be chosen are listed, the twenty are not.
        QVERIFY(err.contains(QStringLiteral("Cpxm_gg、Cpxm_cd、Cpxm_txm"), Qt::CaseInsensitive));
        QVERIFY(!err.contains(QStringLiteral("Cpxm_mc、"), Qt::CaseInsensitive));
        QCOMPARE(enginetest::productCount(store_), 2);
    }

    // Twelve further columns are taken in one run; a thirteenth is refused, saying how many may be chosen.
    void atMostTwelveFurtherColumns_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("refusal"); // empty: taken
        QTest::newRow("twelve") << 12 << QString();
        QTest::newRow("thirteen") << 13 << QStringLiteral("一次最多可以另选12个数据库列，选了13个");
    }
    void atMostTwelveFurtherColumns()
    {
        QFETCH(int, count);
        QFETCH(QString, refusal);
        std::vector<data::StoreColumn> offered;
        QStringList names;
        for (int n = 1; n <= 13; ++n) {
            data::StoreColumn column;
            column.name = QStringLiteral("Extra%1").arg(n);
            offered.push_back(column);
            if (n <= count)
                names << column.name;
        }
        try {
            const std::vector<data::StoreColumn> chosen = importer::chosenFurtherColumns(offered, names);
            QVERIFY2(refusal.isEmpty(), "more columns than may be chosen were taken");
            QCOMPARE(int(chosen.size()), count);
            QCOMPARE(chosen.back().name, QStringLiteral("Extra12"));
        } catch (const importer::ColumnChoiceError& error) {
            QCOMPARE(error.message(), refusal);
        }
    }

    void listWithoutCodesIsNumbered_data() { storetest::addBackendRows(); }
    void listWithoutCodesIsNumbered()
    {
        QFETCH(Backend, backend);
        open(backend);
        QList<QStringList> rows{{"药品名字(*)", "单价(*)"}};
        for (int n = 1; n <= 11; ++n) {
            rows << QStringList{QStringLiteral("药品%1").arg(n), QString::number(n)};
            if (n == 4)
                rows << QStringList{"", ""}; // no product: neither numbered nor counted but as empty
        }
        rows << QStringList{QStringLiteral("合  计"), "66"};
        const QString path = folder_.filePath(QStringLiteral("numbered.xlsx"));
        enginetest::writeListWorkbook(path, rows);
        const testsupport::CliRun run = import(path, {"商品编号=#"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(QString::fromUtf8(run.out).trimmed(),
                 QStringLiteral("共13条,正确导入11条,错误0条,空纪录2条,点此查看错误的信息！"));
        QCOMPARE(enginetest::productValue(store_, "B01", "Cpxm_mc"), QStringLiteral("药品1"));
        QCOMPARE(enginetest::productValue(store_, "B05", "Cpxm_mc"), QStringLiteral("药品5"));
        QCOMPARE(enginetest::productNumber(store_, "B11", "Cpxm_ysdj"), 11.0);
    }
};

QTEST_GUILESS_MAIN(TestFurtherColumns)
#include "tst_furthercolumns.moc"
