// Row faults and store faults: the driver's own code decides, on a real SQLite file and on the test PostgreSQL
// server through ODBC, and each refusal keeps the store's own message.

#include "BackendFixture.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/StoreFaults.h"
#include "StoreTestSupport.h"

#include <QTest>

#include <sqlite3.h>

using storetest::addBackendColumn;
using storetest::Backend;
using storetest::execute;

Q_DECLARE_METATYPE(data::Fault)

class TestStoreFaults : public QObject
{
    Q_OBJECT

private:
    storetest::BackendFixture stores_;

private slots:
    void initTestCase() { QVERIFY(stores_.isValid()); }

    void sqliteCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<data::Fault>("fault");
        QTest::newRow("unique constraint") << int(SQLITE_CONSTRAINT_UNIQUE) << data::Fault::Row;
        QTest::newRow("not null") << int(SQLITE_CONSTRAINT_NOTNULL) << data::Fault::Row;
        QTest::newRow("too big") << int(SQLITE_TOOBIG) << data::Fault::Row;
        QTest::newRow("type mismatch") << int(SQLITE_MISMATCH) << data::Fault::Row;
        QTest::newRow("busy after the wait") << int(SQLITE_BUSY) << data::Fault::Store;
        QTest::newRow("locked") << int(SQLITE_LOCKED) << data::Fault::Store;
        QTest::newRow("read-only") << int(SQLITE_READONLY) << data::Fault::Store;
        QTest::newRow("disk full") << int(SQLITE_FULL) << data::Fault::Store;
        QTest::newRow("write error") << int(SQLITE_IOERR_WRITE) << data::Fault::Store;
        QTest::newRow("corrupt") << int(SQLITE_CORRUPT) << data::Fault::Store;
        QTest::newRow("not a database") << int(SQLITE_NOTADB) << data::Fault::Store;
        QTest::newRow("no such table or column") << int(SQLITE_ERROR) << data::Fault::Store;
    }

    void sqliteCodes()
    {
        QFETCH(int, code);
        QFETCH(data::Fault, fault);
        QCOMPARE(data::sqliteFault(code), fault);
    }

    void sqlStates_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("native");
        QTest::addColumn<data::Fault>("fault");
        QTest::newRow("text too long") << "22001" << 0 << data::Fault::Row;
        QTest::newRow("number out of range") << "22003" << 0 << data::Fault::Row;
        QTest::newRow("duplicate key") << "23505" << 0 << data::Fault::Row;
        QTest::newRow("SQL Server constraint") << "23000" << 2627 << data::Fault::Row;
        QTest::newRow("link failure") << "08S01" << 0 << data::Fault::Store;
        QTest::newRow("connection gone") << "08003" << 0 << data::Fault::Store;
        QTest::newRow("login refused") << "28000" << 0 << data::Fault::Store;
        QTest::newRow("no such column") << "42703" << 0 << data::Fault::Store;
        QTest::newRow("no permission") << "42501" << 0 << data::Fault::Store;
        QTest::newRow("SQL Server syntax or schema") << "42S22" << 207 << data::Fault::Store;
        QTest::newRow("time-out") << "HYT00" << 0 << data::Fault::Store;
        QTest::newRow("connection time-out") << "HYT01" << 0 << data::Fault::Store;
        QTest::newRow("serialisation") << "40001" << 0 << data::Fault::Store;
        QTest::newRow("read-only transaction") << "25006" << 0 << data::Fault::Store;
        QTest::newRow("PostgreSQL lock time-out") << "55P03" << 0 << data::Fault::Store;
        QTest::newRow("SQL Server lock time-out") << "HY000" << 1222 << data::Fault::Store;
        QTest::newRow("disk full") << "53100" << 0 << data::Fault::Store;
        QTest::newRow("server shut down") << "57P01" << 0 << data::Fault::Store;
        QTest::newRow("lower case") << "hyt00" << 0 << data::Fault::Store;
    }

    void sqlStates()
    {
        QFETCH(QString, state);
        QFETCH(int, native);
        QFETCH(data::Fault, fault);
        QCOMPARE(data::sqlStateFault(state, native), fault);
    }

    // Real refusals of the product insert: what the store did, and the words it said.
    void refusals_data()
    {
        addBackendColumn();
        QTest::addColumn<QStringList>("setUp"); // run on the connection before the insert
        QTest::addColumn<QString>("code");      // of the product written
        QTest::addColumn<data::Fault>("fault");
        QTest::addColumn<QString>("word"); // in the store's message
        using data::Fault;
        for (Backend backend : {Backend::Sqlite, Backend::Server}) {
            const QString prefix = storetest::backendName(backend) + ": ";
            QTest::newRow(qPrintable(prefix + "duplicate code"))
                << backend << QStringList{} << "A0001" << Fault::Row << "unique";
            QTest::newRow(qPrintable(prefix + "missing column"))
                << backend << QStringList{"alter table Cpxm drop column Cpxm_fw"} << "F1" << Fault::Store << "cpxm_fw";
            QTest::newRow(qPrintable(prefix + "missing table"))
                << backend << QStringList{"drop table Cpxm"} << "F1" << Fault::Store << "cpxm";
        }
        QTest::newRow("postgresql: text too long")
            << Backend::Server
            << QStringList{"delete from Cpxm", "alter table Cpxm alter column Cpxm_ckbm type varchar(2)"} << "F1"
            << Fault::Row << "too long";
        QTest::newRow("postgresql: read-only")
            << Backend::Server << QStringList{"set session characteristics as transaction read only"} << "F1"
            << Fault::Store << "read-only";
        QTest::newRow("sqlite: read-only")
            << Backend::Sqlite << QStringList{"pragma query_only = 1"} << "F1" << Fault::Store << "readonly";
        // The file may not grow: as a full disk.
        QTest::newRow("sqlite: disk full")
            << Backend::Sqlite << QStringList{"pragma max_page_count = 1"} << "F1" << Fault::Store << "full";
    }

    void refusals()
    {
        QFETCH(QStringList, setUp);
        QFETCH(QString, code);
        QFETCH(data::Fault, fault);
        QFETCH(QString, word);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        if (word == "full") // the demo store's own pages, and not one more
            setUp = QStringList{"pragma max_page_count = " +
                                storetest::scalar(connection, "pragma page_count", "page_count")};
        for (const QString& statement : setUp)
            execute(connection, statement);
        try {
            // Enough rows to need a new page.
            std::vector<storetest::Product> products{{code, "名", "", "", 1, 1, 1}};
            for (int i = 0; i < 200 && word == "full"; ++i)
                products.push_back({QString("G%1").arg(i), QString(200, u'名'), "", "", 1, 1, 1});
            storetest::insertProducts(connection, products);
            QFAIL("the store must refuse the row");
        } catch (const data::DatabaseError& error) {
            QCOMPARE(error.fault(), fault);
            QVERIFY2(error.message().contains(word, Qt::CaseInsensitive), qPrintable(error.message()));
            QVERIFY(!error.code().isEmpty());
        }
    }

    // The server ends this connection (an administrator, a restart, a lost network): a store fault.
    void lostServer()
    {
        STORETEST_REQUIRE_BACKEND(Backend::Server);
        data::Connection connection;
        storetest::connectDemoStore(Backend::Server, connection, stores_.fresh());
        const QString pid = storetest::scalar(connection, "select pg_backend_pid() as n");
        data::Connection administrator;
        administrator.connect(connection.connectionString());
        execute(administrator, "select pg_terminate_backend(" + pid + ")");
        try {
            storetest::insertProducts(connection, {{"L1", "名", "", "", 1, 1, 1}});
            QFAIL("a connection the server ended cannot write");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.isStoreFault(), qPrintable(error.code() + ": " + error.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestStoreFaults)
#include "tst_storefaults.moc"
