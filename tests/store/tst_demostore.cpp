// The demo store: written once, never over an existing store.

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "store/DemoStore.h"
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

class TestDemoStore : public QObject
{
    Q_OBJECT

private:
    storetest::CaseFolders folders_;

private slots:
    void initTestCase() { QVERIFY(folders_.isValid()); }

    void demoStoreIsNeverReplaced()
    {
        const QString path = folders_.fresh() + "/database/Member.dat";
        data::createDemoStore(path); // creates the folder too
        data::Connection connection;
        connection.connect(data::Connection::sqliteConnectionString(path));
        execute(connection, "delete from Cpxm");
        connection.disconnect();
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError, data::createDemoStore(path));
        connection.connect(data::Connection::sqliteConnectionString(path));
        QCOMPARE(scalar(connection, "select count(*) as n from Cpxm"), QString("0"));
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files), QStringList{"Member.dat"});
    }

    void scriptSplitsAtLineEndSemicolons()
    {
        const QStringList statements = data::splitSqlScript("-- a comment\ncreate table T(\n  a int\n);\n"
                                                            "insert into T values(';');\nselect 1");
        QCOMPARE(statements, (QStringList{"create table T(\na int\n)", "insert into T values(';')", "select 1"}));
    }
};

QTEST_GUILESS_MAIN(TestDemoStore)
#include "tst_demostore.moc"
