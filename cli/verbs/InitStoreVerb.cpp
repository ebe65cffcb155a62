// product-import-cli init-store: puts the demo store where the window and the other verbs look for it
// (database/Member.dat in the program folder or the user's data folder), or at FILE. An existing store is never
// touched.
#include "cli/CliHelpTexts.h"
#include "cli/VerbParser.h"
#include "cli/Verbs.h"
#include "db/DatabaseError.h"
#include "engine/program/ProgramPlaces.h"
#include "store/DemoStore.h"
#include "store/StoreConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kStore = QStringLiteral("store");

// What stands at the store's path when it is not a store ("" when it is one): only an SQLite file (or an Access
// file, for the Windows driver) is a store; a folder, an empty file or a text is not, and is never written over.
QString notAStore(const QFileInfo& info)
{
    if (info.isDir())
        return QStringLiteral("it is a folder");
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read: %1").arg(file.errorString());
    const QByteArray head = file.read(32);
    if (head.isEmpty())
        return QStringLiteral("it is an empty file");
    if (head.startsWith(QByteArrayLiteral("SQLite format 3\0")) || head.mid(4, 11) == "Standard Je" ||
        head.mid(4, 12) == "Standard ACE")
        return QString();
    return QStringLiteral("it is neither an SQLite nor an Access file");
}

} // namespace

int cli::runInitStore(const QStringList& arguments, Console& console)
{
    VerbParser parser(console, QStringLiteral("init-store"));
    parser.addOption(QCommandLineOption(kStore,
                                        QStringLiteral("where to put the demo store; default the store file "
                                                       "the other verbs use"),
                                        QStringLiteral("FILE")));
    const QString defaultPath = data::storeFilePath(importer::ProgramPlaces::ofThisProgram().dataFolder);
    parser.setDetails(QStringLiteral("Makes the demo store (a small pharmacy's product types and categories) as an "
                                     "SQLite file; an existing\nfile is left as it is. Default:\n  %1\n")
                          .arg(QDir::toNativeSeparators(defaultPath)) +
                      placesText() +
                      QStringLiteral("\nExit status: 0 made or already there, 1 it cannot be made, 2 usage error.\n"
                                     "Example: product-import-cli init-store --store ./Member.dat"));
    if (const std::optional<int> status = parser.parse(arguments))
        return *status;
    if (!parser.positional().isEmpty())
        return parser.usageError(QStringLiteral("unknown argument \"%1\"").arg(parser.positional().constFirst()));
    if (parser.isSet(kStore) && parser.value(kStore).isEmpty())
        return parser.usageError(QStringLiteral("--store needs a value"));

    const QString path = parser.isSet(kStore) ? parser.value(kStore) : defaultPath;
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists()) {
        return parser.failure(QStringLiteral("%1 is a link to %2, which does not exist; remove the link or put the "
                                             "store where it points, then try again")
                                  .arg(shown, QDir::toNativeSeparators(info.symLinkTarget())));
    }
    if (info.exists()) {
        if (const QString why = notAStore(info); !why.isEmpty()) {
            return parser.failure(QStringLiteral("%1 is not a store: %2; nothing was written. Move it away or name "
                                                 "another path with --store")
                                      .arg(shown, why));
        }
        console.out << "the store " << shown << " exists; it is left as it is\n";
        return 0;
    }
    try {
        data::createDemoStore(path);
    } catch (const data::DatabaseError& error) {
        return parser.failure(QStringLiteral("cannot make the demo store %1\n  %2").arg(shown, error.message()));
    }
    console.out << "made the demo store " << shown << '\n';
    return 0;
}
