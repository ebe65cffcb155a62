#include "cli/StoreChoice.h"

#include "cli/VerbParser.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "engine/program/ProgramPlaces.h"
#include "engine/program/ProgramStore.h"
#include "store/StoreConnection.h"

#include <QFileInfo>

namespace cli {

namespace {

const QString kStore = QStringLiteral("store");
const QString kOdbc = QStringLiteral("odbc");

} // namespace

void addStoreOptions(VerbParser& parser)
{
    parser.addOption(
        QCommandLineOption(kStore, QStringLiteral("the SQLite store file to use"), QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(kOdbc, QStringLiteral("an ODBC connection string of the store to use"),
                                        QStringLiteral("CONNSTR")));
}

QString storeChoiceProblem(const VerbParser& parser)
{
    // An empty value would silently stand for the default store, which is not the store the caller named.
    for (const QString& name : {kStore, kOdbc}) {
        if (parser.isSet(name) && parser.value(name).isEmpty())
            return QStringLiteral("--%1 needs a value").arg(name);
    }
    if (parser.isSet(kStore) && parser.isSet(kOdbc))
        return QStringLiteral("give either --store or --odbc, not both");
    return {};
}

QString chosenStoreFile(const VerbParser& parser)
{
    if (parser.isSet(kStore))
        return parser.value(kStore);
    if (parser.isSet(kOdbc))
        return data::storeFileOf(parser.value(kOdbc));
    const QString file = data::storeFilePath(data::programFolder());
    return QFileInfo::exists(file) ? file : QString();
}

void connectChosenStore(const VerbParser& parser, data::Connection& connection)
{
    if (parser.isSet(kStore)) {
        const QString file = parser.value(kStore);
        if (!QFileInfo::exists(file))
            throw data::DatabaseError(QStringLiteral("the file %1 does not exist").arg(file), data::Fault::Store);
        connection.connect(data::Connection::sqliteConnectionString(file));
    } else if (parser.isSet(kOdbc)) {
        connection.connect(parser.value(kOdbc));
    } else {
        importer::connectProgramStore(connection, importer::ProgramPlaces::ofThisProgram());
    }
}

} // namespace cli
