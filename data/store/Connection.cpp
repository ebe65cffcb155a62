#include "Connection.h"

#include "ConnectionBackend.h"
#include "DatabaseError.h"
#include "OdbcBackend.h"
#include "SqliteBackend.h"

namespace data {

namespace {

const QString kSqlitePrefix = QStringLiteral("sqlite:");
// One savepoint at a time is all a row-by-row writer needs.
const QString kSavepointName = QStringLiteral("store_row");

std::unique_ptr<ConnectionBackend> openBackend(const QString& connectionString)
{
    if (connectionString.startsWith(kSqlitePrefix))
        return std::make_unique<SqliteBackend>(connectionString.mid(kSqlitePrefix.size()));
    if (connectionString.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("No connection string was given"));
    return std::make_unique<OdbcBackend>(connectionString);
}

} // namespace

Connection::Connection() = default;
Connection::~Connection() = default;

QString Connection::sqliteConnectionString(const QString& path)
{
    return kSqlitePrefix + path;
}

void Connection::connect(const QString& connectionString)
{
    disconnect();
    connectionString_ = connectionString;
    backend_ = openBackend(connectionString);
}

void Connection::disconnect()
{
    backend_.reset();
    inTransaction_ = false;
}

bool Connection::isConnected() const
{
    return backend_ != nullptr;
}

QString Connection::connectionString() const
{
    return connectionString_;
}

void Connection::ensureConnected()
{
    if (backend_)
        return;
    if (connectionString_.isEmpty())
        throw DatabaseError(QStringLiteral("The store is not connected"));
    backend_ = openBackend(connectionString_);
}

ConnectionBackend& Connection::backend() const
{
    if (!backend_)
        throw DatabaseError(QStringLiteral("The store is not connected"));
    return *backend_;
}

void Connection::beginTransaction()
{
    if (inTransaction_)
        throw DatabaseError(QStringLiteral("A transaction is already open"));
    backend().beginTransaction();
    inTransaction_ = true;
}

void Connection::commit()
{
    if (!inTransaction_)
        throw DatabaseError(QStringLiteral("No transaction is open"));
    backend().commit();
    inTransaction_ = false;
}

void Connection::rollback()
{
    if (!inTransaction_)
        throw DatabaseError(QStringLiteral("No transaction is open"));
    inTransaction_ = false;
    backend().rollback();
}

bool Connection::inTransaction() const
{
    return inTransaction_;
}

bool Connection::abortsTransactionOnError() const
{
    return backend().abortsTransactionOnError();
}

void Connection::savepoint()
{
    backend().savepoint(kSavepointName);
}

void Connection::releaseSavepoint()
{
    backend().releaseSavepoint(kSavepointName);
}

void Connection::rollbackToSavepoint()
{
    backend().rollbackToSavepoint(kSavepointName);
}

} // namespace data
