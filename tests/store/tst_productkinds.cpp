// The product type and category loads on a real SQLite file and on the test PostgreSQL server, and the kinds
// verb that lists them.

#include "BackendFixture.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "store/DemoStore.h"
#include "store/ProductKinds.h"
#include "StoreTestSupport.h"
#include "TestPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <algorithm>

using storetest::addBackendColumn;
using storetest::addBackendRows;
using storetest::Backend;
using storetest::execute;
using storetest::scalar;

namespace {

void insertKind(data::Connection& connection, const QString& kinid, int leve, const QString& parent,
                const QString& remark, const QString& sremark)
{
    data::Query query(connection);
    query.setSqlText(QStringLiteral("insert into ProdKind(kinid, kindname, leve, Parent, Remark, SRemark) "
                                    "values(:id, :name, :leve, :parent, :remark, :sremark)"));
    query.bindText(QStringLiteral("id"), kinid);
    query.bindText(QStringLiteral("name"), QStringLiteral("类") + kinid);
    query.bindInteger16(QStringLiteral("leve"), qint16(leve));
    query.bindText(QStringLiteral("parent"), parent);
    query.bindText(QStringLiteral("remark"), remark);
    query.bindText(QStringLiteral("sremark"), sremark);
    query.execSql();
}

// Entry i with its own kinid and Remark, sorted: the order of rows is the database's.
QStringList categoryEntries(const data::ProductKindList& categories)
{
    QStringList entries;
    for (const data::ProductKind& category : categories)
        entries.append(category.kindId + u' ' + category.name + u' ' + category.remark);
    entries.sort();
    return entries;
}

QStringList typeEntries(const data::ProductKindList& types)
{
    QStringList entries;
    for (const data::ProductKind& type : types)
        entries.append(type.kindId + u' ' + type.name);
    entries.sort();
    return entries;
}

} // namespace

class TestProductKinds : public QObject
{
    Q_OBJECT

private:
    storetest::BackendFixture stores_;

private slots:
    void initTestCase() { QVERIFY(stores_.isValid()); }

    // --- the kind loads -----------------------------------------------------------------------------------

    void productTypes_data() { addBackendRows(); }
    void productTypes()
    {
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        data::Query query(connection);
        const data::ProductKindList types = data::loadProductTypes(query);
        QCOMPARE(typeEntries(types),
                 (QStringList{"01 西药", "02 中成药", "03 中药饮片", "04 医疗器械", "05 保健食品"}));
    }

    void categories_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("entries");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            // Top-level kinds have a NULL Parent: without the mend no type would have categories.
            QTest::newRow(qPrintable(prefix + "leaves only, no CF, beside NULL Parents"))
                << backend << "01"
                << QStringList{"010101 青霉素类 XY11", "010102 头孢菌素类 XY12", "0102 解热镇痛药 XY2",
                               "0103 消化系统用药 XY3"};
            QTest::newRow(qPrintable(prefix + "CF inside a kinid"))
                << backend << "02" << QStringList{"0201 感冒类 ZC1", "0202 清热解毒类 ZC2"};
            QTest::newRow(qPrintable(prefix + "type without categories")) << backend << "05" << QStringList{};
            QTest::newRow(qPrintable(prefix + "unknown type")) << backend << "99" << QStringList{};
        }
    }

    void categories()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, entries);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        data::Query query(connection);
        const data::ProductKindList categories = data::loadCategories(query, type);
        QCOMPARE(categoryEntries(categories), entries);
        // Choosing the same type again gives the same list.
        QCOMPARE(data::loadCategories(query, type), categories);
    }

    void cfAndParentKindsNeverOffered_data() { addBackendRows(); }
    void cfAndParentKindsNeverOffered()
    {
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        for (const QString kinid : {"CF", "XCF01", "ACFB"})
            insertKind(connection, kinid, 1, "01", "R" + kinid, "01");
        // 0104 is offered under 01 by its SRemark, but it is the Parent of 010401.
        insertKind(connection, "0104", 1, "01", "XY4", "01");
        insertKind(connection, "010401", 2, "0104", "XY41", "02");
        data::Query query(connection);
        const data::ProductKindList categories = data::loadCategories(query, "01");
        QCOMPARE(categories.size(), 4);
        for (const data::ProductKind& category : categories) {
            QVERIFY2(!category.kindId.contains("CF"), qPrintable(category.kindId));
            QVERIFY2(category.kindId != "0104" && category.kindId != "0101", qPrintable(category.kindId));
        }
        const data::ProductKindList under02 = data::loadCategories(query, "02");
        QVERIFY(std::any_of(under02.begin(), under02.end(), [](const auto& kind) { return kind.kindId == "010401"; }));
    }

    void noTypes_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("change");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            QTest::newRow(qPrintable(prefix + "empty ProdKind")) << backend << QString("delete from ProdKind");
            QTest::newRow(qPrintable(prefix + "no leve 0"))
                << backend << QString("update ProdKind set leve=1 where leve=0");
        }
    }

    void noTypes()
    {
        QFETCH(QString, change);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        execute(connection, change);
        data::Query query(connection);
        QVERIFY(data::loadProductTypes(query).isEmpty());
    }

    // A load that fails keeps what it had read and says nothing.
    void failedLoadsStayQuiet_data()
    {
        addBackendColumn();
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<int>("types");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            QTest::newRow(qPrintable(prefix + "ProdKind missing"))
                << backend << QStringList{"drop table ProdKind"} << 0;
            // Two categories of 01 found, but their Remark cannot be read: no entry at all.
            QTest::newRow(qPrintable(prefix + "Remark missing"))
                << backend
                << QStringList{"drop table ProdKind",
                               "create table ProdKind(kinid varchar(20), kindname varchar(60), leve integer, "
                               "Parent varchar(20), SRemark varchar(20))",
                               "insert into ProdKind values('01', '西药', 0, null, '')",
                               "insert into ProdKind values('0101', '抗感染药', 1, '01', '01')",
                               "insert into ProdKind values('0102', '解热镇痛药', 1, '01', '01')"}
                << 1;
        }
    }

    void failedLoadsStayQuiet()
    {
        QFETCH(QStringList, changes);
        QFETCH(int, types);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        for (const QString& change : changes)
            execute(connection, change);
        data::Query query(connection);
        QCOMPARE(data::loadProductTypes(query).size(), types);
        QVERIFY(data::loadCategories(query, "01").isEmpty());
    }

    // --- product-import-cli kinds ---------------------------------------------------------------------------

    void kindsVerb_data()
    {
        QTest::addColumn<QStringList>("arguments"); // {store} and {folder} are filled in
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("out"); // a piece of standard output
        QTest::addColumn<QString>("err"); // a piece of standard error, or empty for none at all
        QTest::newRow("types and their categories")
            << QStringList{"--store", "{store}"} << 0 << QString("01\t西药\n  010101\t青霉素类\tRemark=XY11\n")
            << QString();
        QTest::newRow("store file missing")
            << QStringList{"--store", "{folder}/none.dat"} << 1 << QString() << QString("none.dat");
        QTest::newRow("unknown option") << QStringList{"--fast"} << 2 << QString() << QString("--fast");
        // An empty value must not fall back to the store of the program folder or the server.
        QTest::newRow("empty --store") << QStringList{"--store", ""} << 2 << QString() << QString("--store");
        QTest::newRow("empty --odbc") << QStringList{"--odbc", ""} << 2 << QString() << QString("--odbc");
    }

    void kindsVerb()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitStatus);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString folder = stores_.fresh();
        const QString store = folder + "/demo-store.sqlite";
        data::createDemoStore(store);
        for (QString& argument : arguments)
            argument.replace("{store}", store).replace("{folder}", folder);

        QProcess cli;
        cli.start(testsupport::programFolder() + "product-import-cli", QStringList{"kinds"} + arguments);
        QVERIFY(cli.waitForFinished(60000));
        const QString standardOut = QString::fromUtf8(cli.readAllStandardOutput());
        const QString standardErr = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), exitStatus);
        QVERIFY2(standardOut.contains(out), qPrintable(standardOut));
        if (err.isEmpty())
            QCOMPARE(standardErr, QString());
        else
            QVERIFY2(standardErr.contains(err), qPrintable(standardErr));
    }
};

QTEST_GUILESS_MAIN(TestProductKinds)
#include "tst_productkinds.moc"
