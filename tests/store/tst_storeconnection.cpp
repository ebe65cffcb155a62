// Where the store is: the store file by its header, or the server on this computer, and the connection made.

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "store/DemoStore.h"
#include "store/ProductKinds.h"
#include "store/StoreConnection.h"
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

using storetest::writeFile;

class TestStoreConnection : public QObject
{
    Q_OBJECT

private:
    storetest::CaseFolders folders_;

private slots:
    void initTestCase() { QVERIFY(folders_.isValid()); }

    // --- the store connection -----------------------------------------------------------------------------

    void storeConnectionChoice_data()
    {
        QTest::addColumn<QByteArray>("fileContent"); // null: no file; "demo": an SQLite demo store
        QTest::addColumn<QString>("computer");
        QTest::addColumn<QString>("expected"); // with <file> for the store file path; empty: throws
        const QByteArray jet = QByteArray("\x00\x01\x00\x00", 4) + "Standard Jet DB" + QByteArray(200, '\0');
        const QByteArray ace = QByteArray("\x00\x01\x00\x00", 4) + "Standard ACE DB" + QByteArray(200, '\0');
        QTest::newRow("no file: the server on this computer")
            << QByteArray() << "SHOP-PC"
            << "DRIVER={SQL Server};SERVER=SHOP-PC;DATABASE=Member;UID=sa;PWD=;";
        QTest::newRow("no file, no computer name") << QByteArray() << ""
                                                   << "DRIVER={SQL Server};SERVER=;DATABASE=Member;UID=sa;PWD=;";
        QTest::newRow("SQLite file") << QByteArray("demo") << "SHOP-PC"
                                     << "sqlite:<file>";
        QTest::newRow("Jet file") << jet << "SHOP-PC"
                                  << "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=<file>;PWD=qingshanbaiyu;";
        QTest::newRow("ACE file") << ace << "SHOP-PC"
                                  << "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=<file>;PWD=qingshanbaiyu;";
        QTest::newRow("junk file") << QByteArray("junk junk junk junk") << "SHOP-PC" << QString();
        QTest::newRow("empty file") << QByteArray("") << "SHOP-PC" << QString();
    }

    void storeConnectionChoice()
    {
        QFETCH(QByteArray, fileContent);
        QFETCH(QString, computer);
        QFETCH(QString, expected);
        const QString folder = folders_.fresh() + "/";
        QDir().mkpath(folder);
        const QString file = data::storeFilePath(folder);
        QCOMPARE(file, folder + "database/Member.dat");
        if (fileContent == "demo")
            storetest::createDemoStoreFile(file);
        else if (!fileContent.isNull())
            writeFile(file, fileContent);

        if (expected.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(data::DatabaseError, data::storeConnectionString(folder, computer));
            data::Connection connection;
            QVERIFY_THROWS_EXCEPTION(data::DatabaseError, data::connectStore(connection, folder, computer));
            QVERIFY(!connection.isConnected());
            return;
        }
        QCOMPARE(data::storeConnectionString(folder, computer), QString(expected).replace("<file>", file));
        if (fileContent == "demo") {
            data::Connection connection;
            data::connectStore(connection, folder, computer);
            QCOMPARE(scalar(connection, "select count(*) as n from ProdKind where leve=0"), QString("5"));
        }
    }

#ifndef Q_OS_WIN
    void accessFileSaysWhyItFails()
    {
        const QString folder = folders_.fresh() + "/";
        writeFile(data::storeFilePath(folder),
                  QByteArray("\x00\x01\x00\x00", 4) + "Standard Jet DB" + QByteArray(200, '\0'));
        data::Connection connection;
        try {
            data::connectStore(connection, folder, "SHOP-PC");
            QFAIL("an Access store cannot be opened here");
        } catch (const data::DatabaseError& error) {
            QVERIFY2(error.message().contains("Access") && error.message().contains("Windows"),
                     qPrintable(error.message()));
        }
    }
#endif

    // Without the store file the store is the server named after this computer, through "SQL Server".
    void connectsToTheServerWithoutFile()
    {
        STORETEST_REQUIRE_BACKEND(Backend::Server);
        {
            data::Connection reset;
            storetest::connectServerWithDemo(reset);
        }
        const QString folder = folders_.fresh() + "/";
        QDir().mkpath(folder);
        data::Connection connection;
        data::connectStore(connection, folder, data::computerName());
        data::Query query(connection);
        QCOMPARE(data::loadProductTypes(query).size(), 5);
    }

    void programFolderAndComputerName()
    {
        QCOMPARE(data::programFolder(), QCoreApplication::applicationDirPath() + "/");
        const QString name = data::computerName();
        QVERIFY(!name.isEmpty());
        QVERIFY(name.toUtf8().size() <= 128);
    }
};

QTEST_GUILESS_MAIN(TestStoreConnection)
#include "tst_storeconnection.moc"
