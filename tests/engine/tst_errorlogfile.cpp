// log.txt: GB18030 (GBK where GBK has the character), CR LF after every line and one line per entry, no byte-order
// mark, an old log that survives a failed write, and FIFOs and devices written in place.
#include "engine/writes/ErrorLogFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

class TestErrorLogFile : public QObject
{
    Q_OBJECT

private slots:
    void bytes_data();
    void bytes();
    void replacesTheOldLog();
    void failedWriteKeepsTheOldLog();
#ifndef Q_OS_WIN
    void fifoIsWrittenInPlace();
    void fifoWithoutReaderIsRefused();
    void fullDeviceSaysDiskFull();
#endif
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
    QTest::newRow("outside GBK, in four bytes")
        << QStringList{QStringLiteral("x😀y𠀀")}
        << ("x" + QByteArray::fromHex("9439fc36") + "y" + QByteArray::fromHex("95328236") + "\r\n");
    QTest::newRow("no lines") << QStringList() << QByteArray();
    QTest::newRow("line breaks inside a line stay on it")
        << QStringList{QStringLiteral("编号---A\r\n1；名称---x\ny\r")}
        << (QByteArray::fromHex("b1e0bac5") + "---A\\r\\n1" + QByteArray::fromHex("a3bbc3fbb3c6") + "---x\\ny\\r\r\n");
    QTest::newRow("NUL, vertical tab and form feed written as two characters")
        << QStringList{QStringLiteral("K2") + QChar(u'\0') + QStringLiteral("x\vy\fz")}
        << QByteArray("K2\\0x\\vy\\fz\r\n");
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

#ifndef Q_OS_WIN
namespace {

bool isFifo(const QString& path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}

} // namespace

void TestErrorLogFile::fifoIsWrittenInPlace()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    const QStringList lines{QStringLiteral("以下是导入错误的信息！"), QStringLiteral("编号---1；名称---药")};
    importer::saveErrorLog(lines, path);
    QByteArray received(4096, '\0');
    const ssize_t n = ::read(reader, received.data(), size_t(received.size()));
    ::close(reader);
    QCOMPARE(received.left(n), importer::errorLogBytes(lines));
    QVERIFY(isFifo(path));
}

void TestErrorLogFile::fifoWithoutReaderIsRefused()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    try {
        importer::saveErrorLog({QStringLiteral("a")}, path);
        QFAIL("a FIFO that nobody reads was written");
    } catch (const importer::LogFileError& error) {
        QCOMPARE(error.message(), QStringLiteral("The error log %1 is a FIFO that no program is reading, so nothing "
                                                 "could be written to it")
                                      .arg(path));
    }
    QVERIFY(isFifo(path));
}

void TestErrorLogFile::fullDeviceSaysDiskFull()
{
    const QString path = QStringLiteral("/dev/full");
    if (!QFileInfo::exists(path))
        QSKIP("this system has no /dev/full");
    try {
        importer::saveErrorLog({QStringLiteral("a")}, path);
        QFAIL("writing to a full device succeeded");
    } catch (const importer::LogFileError& error) {
        QCOMPARE(error.message(), QStringLiteral("The error log /dev/full cannot be written: disk full"));
    }
    struct stat status;
    QVERIFY(::stat("/dev/full", &status) == 0 && S_ISCHR(status.st_mode));
}
#endif

QTEST_GUILESS_MAIN(TestErrorLogFile)
#include "tst_errorlogfile.moc"
