#include "engine/program/ProgramPlaces.h"

#include "store/StoreConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace importer {

namespace {

const QString kExampleWorkbook = QStringLiteral("商品信息导入格式事例.xls");
const QString kShareFolder = QStringLiteral("share/product-import/");

QString withSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// An installed program: in a bin/ folder with share/product-import/ beside it.
QString installedShareFolder(const QString& programFolder)
{
    const QDir bin(programFolder);
    if (bin.dirName() != QLatin1String("bin"))
        return {};
    const QString share = QDir::cleanPath(programFolder + QStringLiteral("../") + kShareFolder) + u'/';
    return QFileInfo(share).isDir() ? share : QString();
}

// Whether a file can be made there: asked of the file system, which knows about read-only mounts and access
// lists that the permission bits do not show.
bool canWriteIn(const QString& folder)
{
    QTemporaryFile probe(folder + QStringLiteral(".write-test-XXXXXX"));
    return probe.open();
}

} // namespace

ProgramPlaces::DataPlace ProgramPlaces::choose(bool installed, bool programFolderWritable)
{
    return !installed && programFolderWritable ? DataPlace::ProgramFolder : DataPlace::UserDataFolder;
}

ProgramPlaces ProgramPlaces::find(const QString& programFolder, const QString& userDataFolder)
{
    ProgramPlaces places;
    places.programFolder = withSlash(programFolder);
    const QString share = installedShareFolder(places.programFolder);
    // An installed program is never asked to write beside itself, not even when run by root.
    const bool installed = !share.isEmpty();
    places.place = choose(installed, !installed && canWriteIn(places.programFolder));
    places.dataFolder = places.place == DataPlace::ProgramFolder ? places.programFolder : withSlash(userDataFolder);
    places.exampleWorkbook = (installed ? share : places.programFolder) + kExampleWorkbook;
    // The user's data folder may not exist yet: made now, so that log.txt and the settings can be written there.
    if (places.place == DataPlace::UserDataFolder)
        QDir().mkpath(places.dataFolder);
    return places;
}

const ProgramPlaces& ProgramPlaces::ofThisProgram()
{
    static const ProgramPlaces places = find(data::programFolder(), userDataFolder());
    return places;
}

QString ProgramPlaces::describe() const
{
    const QString folder = QDir::toNativeSeparators(dataFolder);
    return place == DataPlace::ProgramFolder ? QStringLiteral("the program folder %1").arg(folder)
                                             : QStringLiteral("the user's data folder %1").arg(folder);
}

QString userDataFolder()
{
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
           QStringLiteral("product-import/");
}

} // namespace importer
