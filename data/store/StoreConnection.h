#pragma once
// Where the store is: database/Member.dat in the program folder when that file exists, else the local server.

#include <QString>

namespace data {

class Connection;

QString programFolder(); // folder of the running program, with a trailing '/'
QString computerName();  // at most 128 bytes; empty when it cannot be read
QString storeFilePath(const QString& programFolder);

// The connection string for the store, chosen once by the existence of the store file: an SQLite file by its
// header, an Access/Jet file through the ODBC Access driver, otherwise the server "Member" on this computer.
// Throws DatabaseError for a store file of another format.
QString storeConnectionString(const QString& programFolder, const QString& computerName);

// The file a store of that connection string lives in (an SQLite file, an Access file's DBQ), empty for a server.
QString storeFileOf(const QString& connectionString);

// Disconnects, chooses the connection string and connects. Throws DatabaseError with the driver's detail.
void connectStore(Connection& connection, const QString& programFolder, const QString& computerName);

} // namespace data
