// The log's path against the files a run reads and writes: the store, its journal, write-ahead log and index
// (named by SQLite after the path it opened, which may be a link's), and the workbook; through links, "../" and
// hard links, whether the file exists yet or not.

#include "engine/run/LogPathCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using importer::LogClash;

Q_DECLARE_METATYPE(importer::LogClash)

class TestLogPathCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void clash_data();
    void clash();

private:
    QString at(const QString& relative) const { return relative.isEmpty() ? QString() : dir_.filePath(relative); }

    QTemporaryDir dir_;
};

// real/Member.dat the store and real/商品.xls the workbook; links/store.dat a link to the store, links/shm a link to
// its index not made yet, hard.dat a second name of the store's file.
void TestLogPathCheck::initTestCase()
{
    QVERIFY(dir_.isValid());
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("real")));
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("links")));
    for (const QString file : {"real/Member.dat", "real/商品.xls", "real/Other.dat-journal"}) {
        QFile made(at(file));
        QVERIFY(made.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(QStringLiteral("../real/Member.dat"), at(QStringLiteral("links/store.dat"))));
    QVERIFY(QFile::link(QStringLiteral("../real/Member.dat-shm"), at(QStringLiteral("links/shm"))));
    QCOMPARE(::link(QFile::encodeName(at(QStringLiteral("real/Member.dat"))).constData(),
                    QFile::encodeName(at(QStringLiteral("hard.dat"))).constData()),
             0);
}

void TestLogPathCheck::clash_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("store"); // empty: a server
    QTest::addColumn<LogClash>("expected");

    const QString store = QStringLiteral("real/Member.dat");
    const QString linked = QStringLiteral("links/store.dat");
    QTest::newRow("the store") << store << store << LogClash::StoreFile;
    QTest::newRow("the store through a link") << linked << store << LogClash::StoreFile;
    QTest::newRow("the store through ../") << "links/../real/Member.dat" << store << LogClash::StoreFile;
    QTest::newRow("the store by a second name") << "hard.dat" << store << LogClash::StoreFile;
    QTest::newRow("the store opened through a link") << store << linked << LogClash::StoreFile;
    QTest::newRow("its journal") << "real/Member.dat-journal" << store << LogClash::StoreJournal;
    QTest::newRow("its write-ahead log through ../")
        << "links/../real/Member.dat-wal" << store << LogClash::StoreJournal;
    QTest::newRow("a link to its index, not made yet") << "links/shm" << store << LogClash::StoreJournal;
    QTest::newRow("the journal named after the link") << "links/store.dat-journal" << linked << LogClash::StoreJournal;
    // Opened through a link, the store's journal may be named after the file the link leads to.
    QTest::newRow("the journal of the file the link leads to")
        << "real/Member.dat-journal" << linked << LogClash::StoreJournal;
    QTest::newRow("the same through ../") << "links/../real/Member.dat-wal" << linked << LogClash::StoreJournal;
    QTest::newRow("the workbook") << "real/商品.xls" << store << LogClash::Workbook;
    QTest::newRow("the workbook through ../") << "links/../real/商品.xls"
                                              << "" << LogClash::Workbook;
    QTest::newRow("another file beside the store") << "real/log.txt" << store << LogClash::None;
    QTest::newRow("another store's journal") << "real/Other.dat-journal" << store << LogClash::None;
    QTest::newRow("a journal's name with a server") << "real/Member.dat-journal"
                                                    << "" << LogClash::None;
    QTest::newRow("a name that only begins like the journal") << "real/Member.dat-journal2" << linked << LogClash::None;
}

void TestLogPathCheck::clash()
{
    QFETCH(QString, log);
    QFETCH(QString, store);
    QFETCH(LogClash, expected);
    QCOMPARE(importer::logPathClash(at(log), at(store), at(QStringLiteral("real/商品.xls"))), expected);
}

QTEST_GUILESS_MAIN(TestLogPathCheck)
#include "tst_logpathcheck.moc"
