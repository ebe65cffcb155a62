// Query on a real SQLite file and on the test PostgreSQL server through ODBC: statement text held as lines,
// named parameters, values with their own types, selects with their row count and limit, errors with the
// driver's message.

#include "BackendFixture.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "store/StoreStatements.h"
#include "StoreTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using storetest::addBackendColumn;
using storetest::addBackendRows;
using storetest::Backend;
using storetest::execute;
using storetest::scalar;

namespace {

} // namespace

class TestQuery : public QObject
{
    Q_OBJECT

private:
    storetest::BackendFixture stores_;

private slots:
    void initTestCase() { QVERIFY(stores_.isValid()); }

    // --- statement text and parameters -------------------------------------------------------------------

    void parameterNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("product types") << data::statements::kProductTypes << QStringList{"aa"};
        QTest::newRow("categories") << data::statements::kCategories << QStringList{"aa", "ab"};
        QTest::newRow("closing parenthesis ends a name")
            << QString("select * from ProdKind where(kinid not like :aa)and x=1") << QStringList{"aa"};
        QTest::newRow("every delimiter") << QString(":a,:b;:c)\r\n:d :e\n:f\r:g")
                                         << QStringList{"a", "b", "c", "d", "e", "f", "g"};
        QTest::newRow("quoted text is not scanned")
            << QString("a=:x and b=':y' and c=\":z\" and d=`:w` and e='it''s :v' and :u") << QStringList{"x", "u"};
        QTest::newRow("one name whatever its case") << QString("x=:Aa or y=:aA") << QStringList{"Aa"};
        QTest::newRow("a name runs to a listed delimiter only") << QString("where a=:aa=1") << QStringList{"aa=1"};
        QTest::newRow("cast and lone colon are no parameters")
            << QString("select x::text, ' : ', : from t where y=:p") << QStringList{"p"};
        QTest::newRow("no parameters") << QString("select * from Cpxm") << QStringList{};
    }

    void parameterNames()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        data::Connection connection;
        data::Query query(connection);
        query.setSqlText(text);
        QCOMPARE(query.parameterNames(), names);
    }

    void sqlTextEndsEveryLine_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::newRow("added lines") << QStringList{"a", "b"} << QString() << QString("a\r\nb\r\n");
        QTest::newRow("LF") << QStringList{} << QString("a\nb") << QString("a\r\nb\r\n");
        QTest::newRow("CR") << QStringList{} << QString("a\rb") << QString("a\r\nb\r\n");
        QTest::newRow("CR LF, last one too") << QStringList{} << QString("a\r\nb\r\n") << QString("a\r\nb\r\n");
        QTest::newRow("empty line kept") << QStringList{} << QString("a\n\nb") << QString("a\r\n\r\nb\r\n");
        QTest::newRow("nothing") << QStringList{} << QString() << QString();
        QTest::newRow("read back and set again")
            << QStringList{} << QString("a=:x\r\nb=:y\r\n") << QString("a=:x\r\nb=:y\r\n");
    }

    void sqlTextEndsEveryLine()
    {
        QFETCH(QStringList, added);
        QFETCH(QString, set);
        QFETCH(QString, text);
        data::Connection connection;
        data::Query query(connection);
        query.addSqlLine("stale");
        query.clearSql();
        if (!set.isNull())
            query.setSqlText(set);
        for (const QString& line : added)
            query.addSqlLine(line);
        QCOMPARE(query.sqlText(), text);
    }

    // Setting again the text parsed last, with or without its last line end, is the importer's every row.

    void bindingByName()
    {
        data::Connection connection;
        data::Query query(connection);
        query.addSqlLine("select * from t where a=:aa");
        query.bindText("AA", "x");  // any case
        query.bindText(":aa", "y"); // with the colon
        try {
            query.bindText("zz", "x");
            QFAIL("binding a name the text lacks must throw");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains(":zz"), qPrintable(error.message()));
        }
        // The list follows the text.
        query.addSqlLine("and b=:bb");
        QCOMPARE(query.parameterNames(), (QStringList{"aa", "bb"}));
        query.bindText("bb", "1");
        try {
            query.execSql(); // aa lost its value with the change of text
            QFAIL("a statement with an unbound parameter must not run");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains(":aa"), qPrintable(error.message()));
        }
    }

    // Without declared column types SQLite keeps each value's own type.
    void valuesKeepTheirTypes()
    {
        data::Connection connection;
        stores_.connectDemo(Backend::Sqlite, connection);
        execute(connection, "create table Untyped(t, e, i, r, c)");
        data::Query query(connection);
        query.setSqlText("insert into Untyped(t, e, i, r, c) values(:t, :e, :i, :r, :c)");
        query.bindText("t", "可供");
        query.bindText("e", QString());
        query.bindInteger16("i", 0);
        query.bindDouble("r", 8);
        query.bindText("c", "1");
        query.execSql();
        query.setSqlText("select typeof(t) as t, typeof(e) as e, typeof(i) as i, typeof(r) as r, typeof(c) as c "
                         "from Untyped");
        query.open();
        QCOMPARE(query.rowCount(), 1);
        const QStringList types{query.fieldText("t"), query.fieldText("e"), query.fieldText("i"), query.fieldText("r"),
                                query.fieldText("c")};
        QCOMPARE(types, (QStringList{"text", "text", "integer", "real", "text"}));
    }

    void errorsCarryDriverMessage_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("driverWord");
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            QTest::newRow(qPrintable(prefix + "duplicate code"))
                << backend << QString("insert into Cpxm(Cpxm_bm) values('A0001')") << false << "unique";
            QTest::newRow(qPrintable(prefix + "missing table"))
                << backend << QString("select * from NoSuchTable") << true << "nosuchtable";
            QTest::newRow(qPrintable(prefix + "missing column"))
                << backend << QString("insert into Cpxm(Cpxm_bm, NoSuchColumn) values('Z1', 1)") << false
                << "nosuchcolumn";
            QTest::newRow(qPrintable(prefix + "syntax")) << backend << QString("selec 1") << true << "selec";
        }
    }

    void errorsCarryDriverMessage()
    {
        QFETCH(QString, sql);
        QFETCH(bool, select);
        QFETCH(QString, driverWord);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        data::Query query(connection);
        query.setSqlText(sql);
        try {
            select ? query.open() : query.execSql();
            QFAIL("the statement must fail");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains(driverWord, Qt::CaseInsensitive), qPrintable(error.message()));
        }
        QVERIFY(!query.isOpen());
        // The connection goes on.
        QCOMPARE(scalar(connection, "select count(*) as n from ProdKind where leve=0"), QString("5"));
    }

    // A refused row inside a transaction undoes itself only; PostgreSQL needs the savepoint for that.
    // The letter probe only asks whether a row exists: a limit stops the fetch, until the query is closed.
    void fetchLimit_data() { addBackendRows(); }
    void fetchLimit()
    {
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        for (const QString code : {"Z1", "Z2", "Z3"})
            storetest::insertProducts(connection, {{code, "名", "", "", 1, 1, 1}});

        data::Query query(connection);
        query.addSqlLine(data::statements::kCodeLetterProbe);
        query.bindText("aa", "Z%");
        query.setMaxRows(1);
        query.open();
        QCOMPARE(query.rowCount(), 1);
        QVERIFY(!query.eof());
        QVERIFY(query.fieldText("Cpxm_bm").startsWith(u'Z'));
        query.next();
        QVERIFY(query.eof());
        query.open(); // the limit holds for every open until the query is closed
        QCOMPARE(query.rowCount(), 1);

        query.close();
        query.open();
        QCOMPARE(query.rowCount(), 3);

        query.setMaxRows(2);
        query.clearSql(); // a new text drops the limit too
        query.addSqlLine(data::statements::kCodeLetterProbe);
        query.bindText("aa", "Z%");
        query.open();
        QCOMPARE(query.rowCount(), 3);

        query.setMaxRows(5); // more than there are
        query.open();
        QCOMPARE(query.rowCount(), 3);
    }

    // Two queries with the same text keep each its own values, also when one binds the very same strings again
    // after the other bound different ones.
    void queriesKeepTheirOwnValues_data() { addBackendRows(); }
    void queriesKeepTheirOwnValues()
    {
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        const QString text = QStringLiteral("insert into Cpxm(Cpxm_bm, Cpxm_mc, Cpxm_dw) values(:bm, :mc, :dw)");
        data::Query first(connection);
        data::Query second(connection);
        const QString one = QStringLiteral("甲");
        const QString unit = QStringLiteral("盒");
        for (data::Query* query : {&first, &second})
            query->setSqlText(text);
        first.bindText("bm", "S1");
        first.bindText("mc", one);
        first.bindText("dw", unit);
        first.execSql();
        second.bindText("bm", "S2");
        second.bindText("mc", "乙");
        second.bindText("dw", "");
        second.execSql();
        first.bindText("bm", "S3");
        first.execSql();
        const QString names = scalar(connection, "select count(*) as n from Cpxm where (Cpxm_bm in ('S1','S3') and "
                                                 "Cpxm_mc='甲' and Cpxm_dw='盒') or (Cpxm_bm='S2' and "
                                                 "Cpxm_mc='乙' and Cpxm_dw='')");
        QCOMPARE(names, QString("3"));
    }

    // Opening a query on a connection that is down connects it first, once.
    void openConnectsFirst()
    {
        const QString path = stores_.fresh() + "/Member.dat";
        storetest::createDemoStoreFile(path);
        data::Connection connection;
        connection.connect(data::Connection::sqliteConnectionString(path));
        connection.disconnect();
        QVERIFY(!connection.isConnected());
        data::Query query(connection);
        query.addSqlLine(data::statements::kProductTypes);
        query.bindInteger16("aa", 0);
        query.open();
        QVERIFY(connection.isConnected());
        QCOMPARE(query.rowCount(), 5);

        QFile::remove(path);
        connection.disconnect();
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError, query.open());
        QVERIFY(!connection.isConnected());
    }
};

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"
