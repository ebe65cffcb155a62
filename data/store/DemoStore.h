#pragma once
// The demo store: ProdKind with a small pharmacy kind tree and an empty-ish Cpxm, for trying the importer out
// and for the tests.

#include <QString>
#include <QStringList>

namespace data {

class Connection;

// The SQL that creates and fills the demo store (compiled in).
QString demoStoreSql();

// The statements of a script, one per ";" that ends a line; "--" comment lines dropped.
QStringList splitSqlScript(const QString& script);

// Writes a fresh SQLite demo store at path, creating missing folders. Refuses to touch an existing file.
// Throws DatabaseError.
void createDemoStore(const QString& path);

// Replaces ProdKind and Cpxm on any connected store with the demo contents. Throws DatabaseError.
void resetToDemoContents(Connection& connection);

} // namespace data
