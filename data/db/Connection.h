#pragma once
// A store connection: an SQLite file through SQLite's own API, or a server through ODBC.

#include "db/StoreColumns.h"

#include <QString>

#include <chrono>
#include <memory>
#include <vector>

namespace data {

class ConnectionBackend;
class PreparedInsert;
class PreparedWrite;
struct ParsedStatement;
struct InsertTexts;

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
    // Connects through a backend made elsewhere (a test's stand-in for a store that fails on demand).
    void connect(std::unique_ptr<ConnectionBackend> backend);
    void disconnect();
    bool isConnected() const;
    QString connectionString() const;
    // One attempt to connect again with the same string when the connection is down (used before opening a query).
    void ensureConnected();

    // How long a statement waits for a lock held by another connection before it fails with a store fault: once
    // per wait, never more. Holds for this connection and the ones it makes later.
    static constexpr std::chrono::milliseconds kDefaultBusyTimeout{10000};
    void setBusyTimeout(std::chrono::milliseconds timeout);
    std::chrono::milliseconds busyTimeout() const { return busyTimeout_; }
    // The name the store gives its own product ("SQLite", "PostgreSQL", "Microsoft SQL Server").
    QString dbmsName() const;
    // A name (a column's, as the store spells it) as a statement of this store writes it: quoted, whatever it holds.
    QString quotedName(const QString& name) const;

    // Grouped writes. Where a refused statement takes the whole transaction with it (SQL Server on some errors,
    // PostgreSQL through a driver that does not undo the statement alone) each statement needs a savepoint so that
    // a refused row never undoes another; abortsTransactionOnError() says so.
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;
    bool abortsTransactionOnError() const;
    // After a refused statement that no savepoint guarded, inside a transaction: whether it still stands.
    bool transactionSurvivedRefusal();
    // One savepoint at a time, inside a transaction: SAVEPOINT/RELEASE/ROLLBACK TO, or SQL Server's SAVE TRANSACTION.
    void savepoint(); // marks the point a refused statement goes back to
    void releaseSavepoint();
    void rollbackToSavepoint();

    // Inside a transaction: keeps every other import from probing for a code letter or writing its first rows
    // until this transaction ends (SQLite: the write lock its transactions take at once; servers: a lock the
    // transaction holds). Waits at most the busy time-out; throws DatabaseError, a store fault, after that.
    void lockCodeLetters();
    // Inside a transaction: constraints that would wait for the commit are checked at each statement, where the
    // store can; a transaction that is never committed (a dry run) then still meets them. Throws DatabaseError.
    void checkConstraintsAtOnce();

    // An insert prepared once, for row after row. Throws DatabaseError.
    std::unique_ptr<PreparedInsert> prepareInsert(const InsertTexts& texts);
    // A statement that changes rows, prepared once, for row after row. Throws DatabaseError.
    std::unique_ptr<PreparedWrite> prepareWrite(const ParsedStatement& statement);
    // The table's columns as the store states them; empty when there is no such table. Throws DatabaseError.
    std::vector<StoreColumn> tableColumns(const QString& table);

    ConnectionBackend& backend() const; // for Query; throws DatabaseError when not connected

private:
    std::unique_ptr<ConnectionBackend> backend_;
    QString connectionString_;
    std::chrono::milliseconds busyTimeout_ = kDefaultBusyTimeout;
    bool inTransaction_ = false;
};

} // namespace data
