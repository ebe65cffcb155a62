#include "cli/CliHelpTexts.h"

#include "engine/program/ProgramPlaces.h"
#include "engine/writes/ErrorLogFile.h"
#include "store/StoreConnection.h"

#include <QDir>

namespace cli {

QString versionLine()
{
    return QStringLiteral("product-import-cli " PI_VERSION);
}

QString placesText()
{
    const importer::ProgramPlaces& places = importer::ProgramPlaces::ofThisProgram();
    return QStringLiteral("The store, log.txt and product-import.ini are kept in %1.").arg(places.describe());
}

QString defaultStoreText()
{
    const QString dataFolder = importer::ProgramPlaces::ofThisProgram().dataFolder;
    return QStringLiteral("Without --store or --odbc the store is the window's: the SQLite file\n"
                          "  %1\n"
                          "when it exists (product-import-cli init-store makes a demo one), otherwise the SQL Server\n"
                          "catalog Member on this computer, as user sa, through the ODBC driver registered as\n"
                          "\"SQL Server\".")
        .arg(QDir::toNativeSeparators(data::storeFilePath(dataFolder)));
}

QString defaultLogText()
{
    return QStringLiteral("Without --log the rows that failed are written to\n  %1")
        .arg(QDir::toNativeSeparators(importer::errorLogPath(importer::ProgramPlaces::ofThisProgram().dataFolder)));
}

} // namespace cli
