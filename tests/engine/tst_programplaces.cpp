// Where the program keeps its store, log.txt and product-import.ini: beside itself in a folder of its own it may
// write, in the user's data folder when installed. Decided from the folders, and followed by product-import-cli.
#include "engine/program/ProgramPlaces.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using importer::ProgramPlaces;
using DataPlace = importer::ProgramPlaces::DataPlace;

Q_DECLARE_METATYPE(importer::ProgramPlaces::DataPlace)

namespace {

bool makeFolder(const QString& path)
{
    return QDir().mkpath(path);
}

// A copy of product-import-cli in folder (which it makes), run there with the user's data under home.
struct CliCopy
{
    QString program;
    int exitCode = -1;
    QString out;
    QString err;

    bool place(const QString& folder)
    {
        program = folder + QStringLiteral("/product-import-cli");
        return makeFolder(folder) &&
               QFile::copy(testsupport::programFolder() + QStringLiteral("product-import-cli"), program);
    }
    void run(const QStringList& arguments, const QString& home)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home);
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(60000));
        exitCode = process.exitCode();
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
    }
};

} // namespace

class ProgramPlacesTest : public QObject
{
    Q_OBJECT

private slots:
    void choice_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<DataPlace>("place");
        QTest::newRow("a folder of its own, writable") << false << true << DataPlace::ProgramFolder;
        QTest::newRow("a folder of its own, read-only") << false << false << DataPlace::UserDataFolder;
        QTest::newRow("installed, read-only") << true << false << DataPlace::UserDataFolder;
        QTest::newRow("installed, writable (root)") << true << true << DataPlace::UserDataFolder;
    }
    void choice()
    {
        QFETCH(bool, installed);
        QFETCH(bool, writable);
        QFETCH(DataPlace, place);
        QCOMPARE(ProgramPlaces::choose(installed, writable), place);
    }

    void folderOfItsOwnKeepsEverythingBesideTheProgram_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::newRow("any folder") << QStringLiteral("tools/importer");
        QTest::newRow("a bin folder without share/product-import") << QStringLiteral("copy/bin");
    }
    void folderOfItsOwnKeepsEverythingBesideTheProgram()
    {
        QFETCH(QString, programFolder);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString program = root.filePath(programFolder) + u'/';
        QVERIFY(makeFolder(program));
        const ProgramPlaces places = ProgramPlaces::find(program, root.filePath(QStringLiteral("home/pi")));
        QCOMPARE(places.place, DataPlace::ProgramFolder);
        QCOMPARE(places.programFolder, program);
        QCOMPARE(places.dataFolder, program);
        QCOMPARE(places.exampleWorkbook, program + QStringLiteral("商品信息导入格式事例.xls"));
        QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("home/pi"))));
        QVERIFY(places.describe().startsWith(QStringLiteral("the program folder ")));
        // The probe that found the folder writable leaves nothing behind.
        QCOMPARE(QDir(program).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void installedProgramKeepsItsFilesInTheUsersDataFolder()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString bin = root.filePath(QStringLiteral("usr/bin")) + u'/';
        const QString share = root.filePath(QStringLiteral("usr/share/product-import")) + u'/';
        QVERIFY(makeFolder(bin) && makeFolder(share));
        const QString userFolder = root.filePath(QStringLiteral("home/.local/share/product-import")) + u'/';
        const ProgramPlaces places = ProgramPlaces::find(bin, userFolder);
        QCOMPARE(places.place, DataPlace::UserDataFolder);
        QCOMPARE(places.dataFolder, userFolder);
        QVERIFY(QFileInfo(userFolder).isDir()); // made, so that log.txt can be written there
        QCOMPARE(places.exampleWorkbook, share + QStringLiteral("商品信息导入格式事例.xls"));
        QVERIFY(places.describe().startsWith(QStringLiteral("the user's data folder ")));
        QVERIFY(QDir(bin).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    // The command line follows the choice: init-store puts the demo store there, and the help says where.
    void commandLineUsesTheChosenPlace_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::newRow("copied folder") << false;
        QTest::newRow("installed") << true;
    }
    void commandLineUsesTheChosenPlace()
    {
        QFETCH(bool, installed);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString folder = root.filePath(QStringLiteral("usr/bin"));
        if (installed)
            QVERIFY(makeFolder(root.filePath(QStringLiteral("usr/share/product-import"))));
        const QString home = root.filePath(QStringLiteral("home"));
        CliCopy cli;
        QVERIFY(cli.place(folder));
        const QString store =
            (installed ? home + QStringLiteral("/product-import") : folder) + QStringLiteral("/database/Member.dat");

        cli.run({QStringLiteral("init-store")}, home);
        QCOMPARE(cli.exitCode, 0);
        QVERIFY2(QFileInfo::exists(store), qPrintable(cli.out + cli.err));
        QCOMPARE(cli.out, QStringLiteral("made the demo store %1\n").arg(store));

        cli.run({QStringLiteral("init-store")}, home);
        QCOMPARE(cli.exitCode, 0);
        QVERIFY2(cli.out.contains(QStringLiteral("exists; it is left as it is")), qPrintable(cli.out));

        cli.run({QStringLiteral("kinds")}, home);
        QCOMPARE(cli.exitCode, 0);
        QVERIFY2(cli.out.startsWith(QStringLiteral("01\t西药\n")), qPrintable(cli.out + cli.err));

        cli.run({QStringLiteral("--help")}, home);
        QVERIFY2(cli.out.contains(installed ? QStringLiteral("the user's data folder %1/product-import/").arg(home)
                                            : QStringLiteral("the program folder %1/").arg(folder)),
                 qPrintable(cli.out));
        QCOMPARE(QFileInfo::exists(folder + QStringLiteral("/database")), !installed);
    }
};

QTEST_GUILESS_MAIN(ProgramPlacesTest)
#include "tst_programplaces.moc"
