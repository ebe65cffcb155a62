#include "store/DemoStore.h"

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <sqlite3.h>

namespace data {

namespace {

QString fileText(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw DatabaseError(QStringLiteral("The demo store SQL %1 is missing from the program").arg(resource),
                            Fault::Store);
    return QString::fromUtf8(file.readAll());
}

void runScript(sqlite3* db, const QString& script)
{
    const QByteArray sql = QByteArrayLiteral("begin;\n") + script.toUtf8() + QByteArrayLiteral("\ncommit;\n");
    char* message = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString detail = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        throw DatabaseError(QStringLiteral("Cannot write the demo store: %1").arg(detail), Fault::Store);
    }
}

} // namespace

QString demoStoreSql()
{
    return fileText(QStringLiteral(":/store/demo-store.sql"));
}

QStringList splitSqlScript(const QString& script)
{
    QStringList statements;
    QString current;
    const QStringList lines = script.split(u'\n');
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QStringLiteral("--")))
            continue;
        if (!current.isEmpty())
            current += u'\n';
        if (line.endsWith(u';')) {
            line.chop(1);
            current += line;
            statements.append(current);
            current.clear();
        } else {
            current += line;
        }
    }
    if (!current.trimmed().isEmpty())
        statements.append(current);
    return statements;
}

void createDemoStore(const QString& path)
{
    const QFileInfo target(path);
    if (target.isSymLink() && !target.exists())
        throw DatabaseError(QStringLiteral("%1 is a link to %2, which does not exist; an existing link is never "
                                           "replaced")
                                .arg(path, target.symLinkTarget()),
                            Fault::Store);
    if (target.exists())
        throw DatabaseError(QStringLiteral("%1 already exists; an existing store is never replaced").arg(path),
                            Fault::Store);
    if (!QDir().mkpath(target.absolutePath()))
        throw DatabaseError(QStringLiteral("Cannot create the folder %1").arg(target.absolutePath()), Fault::Store);
    const QString script = demoStoreSql();

    // Built beside the target under another name and moved in place at the end, so that neither a half-written
    // store nor a store that appeared meanwhile is ever left at path.
    QTemporaryFile building(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!building.open())
        throw DatabaseError(QStringLiteral("Cannot write in %1: %2").arg(target.absolutePath(), building.errorString()),
                            Fault::Store);
    building.close();
    {
        sqlite3* db = nullptr;
        const QByteArray fileName = building.fileName().toUtf8();
        const int rc = sqlite3_open_v2(fileName.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const auto closeDb = qScopeGuard([db] { sqlite3_close_v2(db); });
        if (rc != SQLITE_OK)
            throw DatabaseError(QStringLiteral("Cannot create the demo store %1: %2")
                                    .arg(path, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))),
                                Fault::Store);
        runScript(db, script);
    }
    // A temporary file is private to its owner; a store is shared like any other file.
    building.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                            QFileDevice::ReadOther);
    if (!QFile::rename(building.fileName(), path))
        throw DatabaseError(
            QStringLiteral("Cannot create %1: a file appeared there meanwhile or the folder refused it").arg(path),
            Fault::Store);
    building.setAutoRemove(false);
}

void resetToDemoContents(Connection& connection)
{
    Query query(connection);
    const QStringList statements =
        QStringList{QStringLiteral("drop table if exists Cpxm"), QStringLiteral("drop table if exists ProdKind")} +
        splitSqlScript(demoStoreSql());
    for (const QString& statement : statements) {
        query.setSqlText(statement);
        query.execSql();
    }
}

} // namespace data
