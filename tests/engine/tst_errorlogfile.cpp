// log.txt: GBK, CR LF after every line, no byte-order mark, and an old log that survives a failed write.
#include "ErrorLogFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestErrorLogFile : public QObject
{
    Q_OBJECT

private slots:
    void bytes_data();
    void bytes();
    void replacesTheOldLog();
    void failedWriteKeepsTheOldLog();
};

void TestErrorLogFile::bytes_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("header alone") << QStringList{QStringLiteral("以下是导入错误的信息！")}
                                  << QByteArray::fromHex("d2d4cfc2cac7b5bcc8ebb4edcef3b5c4d0c5cfa2a3a10d0a");
    QTest::newRow("error line with the full-width semicolon")
        << QStringList{QStringLiteral("编号---1001；名称---药")}
        << (QByteArray::fromHex("b1e0bac5") + "---1001" + QByteArray::fromHex("a3bbc3fbb3c6") + "---" +
            QByteArray::fromHex("d2a9") + "\r\n");
    QTest::newRow("empty line still ends") << QStringList{QString(), QStringLiteral("a")} << QByteArray("\r\na\r\n");
    QTest::newRow("outside GBK becomes ?") << QStringList{QStringLiteral("x😀y")} << QByteArray("x?y\r\n");
    QTest::newRow("no lines") << QStringList() << QByteArray();
}

void TestErrorLogFile::bytes()
{
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, expected);
    QCOMPARE(importer::errorLogBytes(lines), expected);
}

void TestErrorLogFile::replacesTheOldLog()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10000, 'x'));
    old.close();

    importer::saveErrorLog({QStringLiteral("以下是导入错误的信息！")}, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), importer::errorLogBytes({QStringLiteral("以下是导入错误的信息！")}));
    // Nothing else is left in the folder: the temporary file became the log.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("log.txt")});
}

void TestErrorLogFile::failedWriteKeepsTheOldLog()
{
    QTemporaryDir folder;
    // A folder where the log should be: it cannot be replaced by a file.
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("log.txt")));
    QVERIFY_THROWS_EXCEPTION(importer::LogFileError, importer::saveErrorLog({QStringLiteral("a")}, path));
    QVERIFY(QFileInfo(path).isDir());

    const QString inMissingFolder = folder.filePath(QStringLiteral("missing/log.txt"));
    try {
        importer::saveErrorLog({QStringLiteral("a")}, inMissingFolder);
        QFAIL("saving into a missing folder should fail");
    } catch (const importer::LogFileError& error) {
        QVERIFY(error.message().contains(inMissingFolder));
    }
}

QTEST_GUILESS_MAIN(TestErrorLogFile)
#include "tst_errorlogfile.moc"
