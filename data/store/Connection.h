#pragma once
// A store connection: an SQLite file through SQLite's own API, or a server through ODBC.

#include <QString>

#include <memory>

namespace data {

class ConnectionBackend;

class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // "sqlite:<path>" opens that SQLite file (which must exist); anything else is an ODBC connection string.
    static QString sqliteConnectionString(const QString& path);

    // Disconnects, takes the new connection string and connects. Throws DatabaseError with the driver's message.
    void connect(const QString& connectionString);
    void disconnect();
    bool isConnected() const;
    QString connectionString() const;
    // One attempt to connect again with the same string when the connection is down (used before opening a query).
    void ensureConnected();

    // Grouped writes. Servers that abort a whole transaction on an error (PostgreSQL) need a savepoint per
    // statement so that a refused row never undoes another; abortsTransactionOnError() says so.
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;
    bool abortsTransactionOnError() const;
    // One savepoint at a time, inside a transaction: SAVEPOINT/RELEASE/ROLLBACK TO, or SQL Server's SAVE TRANSACTION.
    void savepoint(); // marks the point a refused statement goes back to
    void releaseSavepoint();
    void rollbackToSavepoint();

    ConnectionBackend& backend() const; // for Query; throws DatabaseError when not connected

private:
    std::unique_ptr<ConnectionBackend> backend_;
    QString connectionString_;
    bool inTransaction_ = false;
};

} // namespace data
