#include "db/Connection.h"

#include "db/ConnectionBackend.h"
#include "db/DatabaseError.h"
#include "db/OdbcBackend.h"
#include "db/SqliteBackend.h"

#include <utility>

namespace data {

namespace {

const QString kSqlitePrefix = QStringLiteral("sqlite:");
// One savepoint at a time is all a row-by-row writer needs.
const QString kSavepointName = QStringLiteral("store_row");

std::unique_ptr<ConnectionBackend> openBackend(const QString& connectionString, std::chrono::milliseconds busyTimeout)
{
    const int busyTimeoutMs = int(busyTimeout.count());
    if (connectionString.startsWith(kSqlitePrefix))
        return std::make_unique<SqliteBackend>(connectionString.mid(kSqlitePrefix.size()), busyTimeoutMs);
    if (connectionString.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("No connection string was given"), Fault::Store);
    return std::make_unique<OdbcBackend>(connectionString, busyTimeoutMs);
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
    backend_ = openBackend(connectionString, busyTimeout_);
}

void Connection::connect(std::unique_ptr<ConnectionBackend> backend)
{
    disconnect();
    connectionString_.clear();
    backend_ = std::move(backend);
    if (backend_)
        backend_->setBusyTimeout(int(busyTimeout_.count()));
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
        throw DatabaseError(QStringLiteral("The store is not connected"), Fault::Store);
    backend_ = openBackend(connectionString_, busyTimeout_);
}

void Connection::setBusyTimeout(std::chrono::milliseconds timeout)
{
    busyTimeout_ = timeout;
    if (backend_)
        backend_->setBusyTimeout(int(timeout.count()));
}

QString Connection::quotedName(const QString& name) const
{
    return backend().quotedName(name);
}

QString Connection::dbmsName() const
{
    return backend().dbmsName();
}

void Connection::lockCodeLetters()
{
    if (!inTransaction_)
        throw DatabaseError(QStringLiteral("The code letters are locked only inside a transaction"), Fault::Store);
    backend().lockCodeLetters();
}

std::vector<StoreColumn> Connection::tableColumns(const QString& table)
{
    return backend().tableColumns(table);
}

void Connection::checkConstraintsAtOnce()
{
    if (!inTransaction_)
        throw DatabaseError(QStringLiteral("Constraints are checked at once only inside a transaction"), Fault::Store);
    backend().checkConstraintsAtOnce();
}

std::unique_ptr<PreparedInsert> Connection::prepareInsert(const InsertTexts& texts)
{
    return backend().prepareInsert(texts);
}

std::unique_ptr<PreparedWrite> Connection::prepareWrite(const ParsedStatement& statement)
{
    return backend().prepareWrite(statement);
}

ConnectionBackend& Connection::backend() const
{
    if (!backend_)
        throw DatabaseError(QStringLiteral("The store is not connected"), Fault::Store);
    return *backend_;
}

void Connection::beginTransaction()
{
    if (inTransaction_)
        throw DatabaseError(QStringLiteral("A transaction is already open"), Fault::Store);
    backend().beginTransaction();
    inTransaction_ = true;
}

void Connection::commit()
{
    if (!inTransaction_)
        throw DatabaseError(QStringLiteral("No transaction is open"), Fault::Store);
    backend().commit();
    inTransaction_ = false;
}

void Connection::rollback()
{
    if (!inTransaction_)
        throw DatabaseError(QStringLiteral("No transaction is open"), Fault::Store);
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

bool Connection::transactionSurvivedRefusal()
{
    return !inTransaction_ || backend().transactionSurvivedRefusal();
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
