// Connection on a real SQLite file and on the test PostgreSQL server through ODBC: connecting, transactions and
// savepoints, the busy time-out and the code letter lock.

#include "BackendFixture.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "StoreTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using storetest::addBackendColumn;
using storetest::addBackendRows;
using storetest::Backend;
using storetest::execute;
using storetest::scalar;

using storetest::writeFile;

class TestConnection : public QObject
{
    Q_OBJECT

private:
    storetest::BackendFixture stores_;

private slots:
    void initTestCase() { QVERIFY(stores_.isValid()); }

    void savepointKeepsOtherRows_data() { addBackendRows(); }
    void savepointKeepsOtherRows()
    {
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        connection.beginTransaction();
        QVERIFY(connection.inTransaction());
        int failed = 0;
        for (const QString code : {"T1", "A0001", "T2"}) {
            connection.savepoint();
            try {
                storetest::insertProducts(connection, {{code, "名", "", "", 1, 1, 1}});
                connection.releaseSavepoint();
            } catch (const data::DatabaseError&) {
                ++failed;
                connection.rollbackToSavepoint();
                connection.releaseSavepoint();
            }
        }
        connection.commit();
        QVERIFY(!connection.inTransaction());
        QCOMPARE(failed, 1);
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm in ('T1','T2')"), QString("2"));

        connection.beginTransaction();
        storetest::insertProducts(connection, {{"T3", "名", "", "", 1, 1, 1}});
        connection.rollback();
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm='T3'"), QString("0"));
    }

    // Another connection's write transaction holds the store: a write waits for it once, at most the busy
    // time-out, and then fails as a fault of the store, with the store's own words.
    void busyStoreFailsAsStoreFault_data() { addBackendRows(); }
    void busyStoreFailsAsStoreFault()
    {
        QFETCH(Backend, backend);
        data::Connection holder;
        if (!stores_.connectDemo(holder))
            return;
        data::Connection writer;
        writer.setBusyTimeout(std::chrono::milliseconds(300));
        QCOMPARE(writer.busyTimeout(), std::chrono::milliseconds(300));
        writer.connect(holder.connectionString());
        holder.beginTransaction();
        if (backend == Backend::Server)
            execute(holder, "lock table Cpxm in exclusive mode");
        else
            storetest::insertProducts(holder, {{"H1", "名", "", "", 1, 1, 1}});
        try {
            writer.beginTransaction(); // SQLite takes its write lock here
            storetest::insertProducts(writer, {{"W1", "名", "", "", 1, 1, 1}});
            QFAIL("the write must fail while the other transaction holds the store");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.isStoreFault(), qPrintable(error.code() + ": " + error.message()));
            QVERIFY2(error.message().contains(backend == Backend::Server ? "lock" : "locked", Qt::CaseInsensitive),
                     qPrintable(error.message()));
        }
        if (writer.inTransaction())
            writer.rollback();
        holder.commit();
        // Free again: the same writer goes on.
        storetest::insertProducts(writer, {{"W2", "名", "", "", 1, 1, 1}});
        QCOMPARE(scalar(writer, "select count(*) as n from Cpxm where Cpxm_bm in ('H1', 'W2')"),
                 backend == Backend::Server ? QString("1") : QString("2"));
    }

    // Another program holds the whole store (an exclusive lock, as during its commit) while the store is opened:
    // the opening waits for it once, at most the busy time-out, not once per statement it runs.
    void openingAHeldStoreWaitsOnce()
    {
        data::Connection holder;
        stores_.connectDemo(Backend::Sqlite, holder);
        execute(holder, "begin exclusive");
        execute(holder, "insert into Cpxm(Cpxm_bm) values('H2')");
        data::Connection opener;
        constexpr std::chrono::milliseconds kTimeout{1000};
        opener.setBusyTimeout(kTimeout);
        QElapsedTimer timer;
        timer.start();
        try {
            opener.connect(holder.connectionString());
            QFAIL("the store is held");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains("locked"), qPrintable(error.message()));
        }
        const qint64 waited = timer.elapsed();
        qInfo("waited %lld ms (busy time-out %lld ms)", waited, qint64(kTimeout.count()));
        QVERIFY2(waited < kTimeout.count() * 3 / 2, qPrintable(QString::number(waited))); // once, not twice
        execute(holder, "rollback");
    }

    // The code letter lock is held by one transaction at a time and ends with it.
    void codeLetterLockIsHeldByOneTransaction_data() { addBackendRows(); }
    void codeLetterLockIsHeldByOneTransaction()
    {
        data::Connection first;
        if (!stores_.connectDemo(first))
            return;
        data::Connection second;
        second.setBusyTimeout(std::chrono::milliseconds(300));
        second.connect(first.connectionString());
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError, first.lockCodeLetters()); // only inside a transaction
        first.beginTransaction();
        first.lockCodeLetters();
        try {
            second.beginTransaction();
            second.lockCodeLetters();
            QFAIL("a second transaction must not get the lock while the first holds it");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.isStoreFault(), qPrintable(error.code() + ": " + error.message()));
        }
        if (second.inTransaction())
            second.rollback();
        first.rollback(); // ends the lock, whichever way the transaction ends
        second.beginTransaction();
        second.lockCodeLetters();
        second.commit();
    }

    void dbmsName_data() { addBackendRows(); }
    void dbmsName()
    {
        QFETCH(Backend, backend);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        QCOMPARE(connection.dbmsName(), backend == Backend::Server ? QString("PostgreSQL") : QString("SQLite"));
    }

    // A refused statement inside a transaction: SQLite and psqlODBC (by default) undo it alone and the transaction
    // goes on; a driver set to undo the whole transaction, or nothing, is seen as such at the first refusal, and
    // from then on the connection guards with savepoints.
    void refusalInsideTransaction_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("driverOption"); // added to the test server's connection string
        QTest::addColumn<bool>("survives");
        QTest::newRow("sqlite") << Backend::Sqlite << QString() << true;
        QTest::newRow("postgresql, the statement undone") << Backend::Server << QString() << true;
        QTest::newRow("postgresql, the transaction undone") << Backend::Server << "Protocol=7.4-1;" << false;
        QTest::newRow("postgresql, nothing undone") << Backend::Server << "Protocol=7.4-0;" << false;
    }

    void refusalInsideTransaction()
    {
        QFETCH(QString, driverOption);
        QFETCH(bool, survives);
        data::Connection connection;
        if (!stores_.connectDemo(connection))
            return;
        if (!driverOption.isEmpty())
            connection.connect(connection.connectionString() + driverOption);
        QVERIFY(!connection.abortsTransactionOnError());
        connection.beginTransaction();
        storetest::insertProducts(connection, {{"K1", "名", "", "", 1, 1, 1}});
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError,
                                 storetest::insertProducts(connection, {{"A0001", "重复", "", "", 1, 1, 1}}));
        QCOMPARE(connection.transactionSurvivedRefusal(), survives);
        QCOMPARE(connection.abortsTransactionOnError(), !survives);
        connection.rollback();
        if (survives) {
            connection.beginTransaction();
            storetest::insertProducts(connection, {{"K2", "名", "", "", 1, 1, 1}});
            QVERIFY_THROWS_EXCEPTION(data::DatabaseError,
                                     storetest::insertProducts(connection, {{"A0001", "重复", "", "", 1, 1, 1}}));
            QVERIFY(connection.transactionSurvivedRefusal());
            connection.commit();
            QCOMPARE(scalar(connection, "select count(*) as n from Cpxm where Cpxm_bm = 'K2'"), QString("1"));
        }
    }

    // --- connecting ---------------------------------------------------------------------------------------

    void connectFails_data()
    {
        QTest::addColumn<QByteArray>("fileContent"); // empty: no file
        QTest::addColumn<QString>("odbc");
        QTest::addColumn<QString>("detail");
        QTest::newRow("file that is not a database")
            << QByteArray("this is no database, just some text long enough to fill a header") << QString()
            << "not a database";
        QTest::newRow("missing file") << QByteArray() << QString() << "unable to open";
        QTest::newRow("unknown ODBC driver")
            << QByteArray() << QString("DRIVER={No Such Driver};SERVER=localhost;DATABASE=Member;") << "driver";
    }

    void connectFails()
    {
        QFETCH(QByteArray, fileContent);
        QFETCH(QString, odbc);
        QFETCH(QString, detail);
        const QString path = stores_.fresh() + "/Member.dat";
        if (!fileContent.isEmpty())
            writeFile(path, fileContent);
        const QString connectionString = odbc.isEmpty() ? data::Connection::sqliteConnectionString(path) : odbc;
        data::Connection connection;
        try {
            connection.connect(connectionString);
            QFAIL("the connect must fail");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains(detail, Qt::CaseInsensitive), qPrintable(error.message()));
        }
        QVERIFY(!connection.isConnected());
        QCOMPARE(connection.connectionString(), connectionString);
        QVERIFY(!QFile::exists(path) || !fileContent.isEmpty()); // never creates a store
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
