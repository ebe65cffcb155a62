#include "store/StoreConnection.h"

#include "db/Connection.h"
#include "db/DatabaseError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

namespace data {

namespace {

constexpr qsizetype kMaxComputerNameBytes = 128;
// The store's own password on its Access file.
const QString kAccessPassword = QStringLiteral("qingshanbaiyu");

enum class StoreFileFormat { Sqlite, Access, Other };

StoreFileFormat formatOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DatabaseError(QStringLiteral("Cannot read the store file %1: %2").arg(path, file.errorString()),
                            Fault::Store);
    const QByteArray head = file.read(32);
    if (head.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return StoreFileFormat::Sqlite;
    const QByteArray signature = head.mid(4, 15);
    if (signature == "Standard Jet DB" || signature == "Standard ACE DB")
        return StoreFileFormat::Access;
    return StoreFileFormat::Other;
}

QString accessConnectionString(const QString& path)
{
    return QStringLiteral("DRIVER={Microsoft Access Driver (*.mdb)};DBQ=") + path + QStringLiteral(";PWD=") +
           kAccessPassword + QStringLiteral(";");
}

} // namespace

QString programFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString computerName()
{
    QByteArray name = QSysInfo::machineHostName().toUtf8();
    if (name.size() > kMaxComputerNameBytes) {
        name.truncate(kMaxComputerNameBytes);
        // Never end in the middle of a character.
        while (!name.isEmpty() && (uchar(name.back()) & 0xC0) == 0x80)
            name.chop(1);
        if (!name.isEmpty() && (uchar(name.back()) & 0x80))
            name.chop(1);
    }
    return QString::fromUtf8(name);
}

QString storeFilePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("database/Member.dat");
}

QString storeConnectionString(const QString& programFolder, const QString& computerName)
{
    const QString path = storeFilePath(programFolder);
    if (!QFileInfo::exists(path)) {
        return QStringLiteral("DRIVER={SQL Server};SERVER=") + computerName +
               QStringLiteral(";DATABASE=Member;UID=sa;PWD=;");
    }
    switch (formatOf(path)) {
    case StoreFileFormat::Sqlite:
        return Connection::sqliteConnectionString(path);
    case StoreFileFormat::Access:
        return accessConnectionString(path);
    case StoreFileFormat::Other:
        break;
    }
    throw DatabaseError(QStringLiteral("The store file %1 is neither an SQLite nor an Access database").arg(path),
                        Fault::Store);
}

QString storeFileOf(const QString& connectionString)
{
    const QString sqlite = Connection::sqliteConnectionString(QString());
    if (connectionString.startsWith(sqlite))
        return connectionString.mid(sqlite.size());
    for (const QString& part : connectionString.split(u';')) {
        if (part.trimmed().startsWith(QStringLiteral("DBQ="), Qt::CaseInsensitive))
            return part.section(u'=', 1).trimmed();
    }
    return {};
}

void connectStore(Connection& connection, const QString& programFolder, const QString& computerName)
{
    connection.disconnect();
    const QString connectionString = storeConnectionString(programFolder, computerName);
    try {
        connection.connect(connectionString);
    } catch (const DatabaseError& error) {
#ifndef Q_OS_WIN
        if (connectionString.startsWith(QStringLiteral("DRIVER={Microsoft Access Driver"))) {
            throw DatabaseError(QStringLiteral("The store file %1 is an Access database, which only the Microsoft "
                                               "Access ODBC driver on Windows opens; convert it to SQLite to use it "
                                               "here (%2)")
                                    .arg(storeFilePath(programFolder), error.message()),
                                Fault::Store);
        }
#endif
        throw;
    }
}

} // namespace data
