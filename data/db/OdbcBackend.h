#pragma once
// A server store through QtSql's ODBC driver. The import's insert goes through the ODBC API itself on the same
// connection (OdbcInserts.h): several rows per statement, parameters bound straight from the values, the
// SQLSTATE of every refusal. QtSql needs a connection name that is unique per connection; it is made from this object's
// address, so no counter is shared.

#include "db/ConnectionBackend.h"

#include <QSqlDatabase>

class QSqlError;
class QSqlQuery;

namespace data {

class OdbcBackend final : public ConnectionBackend
{
public:
    // Connects with an ODBC connection string ("DRIVER=...;..."). Throws DatabaseError with the driver's message.
    OdbcBackend(const QString& connectionString, int busyTimeoutMs);
    ~OdbcBackend() override;

    void execute(const ParsedStatement& statement, const std::vector<BoundValue>& values) override;
    void select(const ParsedStatement& statement, const std::vector<BoundValue>& values, int maxRows,
                ResultSet& result) override;
    std::unique_ptr<PreparedInsert> prepareInsert(const InsertTexts& texts) override;
    std::unique_ptr<PreparedWrite> prepareWrite(const ParsedStatement& statement) override;

    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool abortsTransactionOnError() const override { return !driverUndoesRefusals_; }
    bool transactionSurvivedRefusal() override;
    void savepoint(const QString& name) override;
    void releaseSavepoint(const QString& name) override;
    void rollbackToSavepoint(const QString& name) override;

    void setBusyTimeout(int milliseconds) override;
    void lockCodeLetters() override;
    std::vector<StoreColumn> tableColumns(const QString& table) override;
    void checkConstraintsAtOnce() override;
    QString dbmsName() const override { return dbmsName_; }
    QString quotedName(const QString& name) const override;

private:
    void prepareAndBind(QSqlQuery& query, const ParsedStatement& statement, const std::vector<BoundValue>& values);
    void executeDirect(const QString& sql);
    [[noreturn]] void throwQueryError(const QSqlQuery& query) const;
    [[noreturn]] void throwConnectionError(const QSqlError& error) const;
    void* connectionHandle() const; // the SQLHDBC under QtSql's connection
    bool isSqlServer() const;
    bool isPostgreSql() const;
    QString currentTransactionId();
    QStringList columnTypes(const QString& table, const QStringList& columns);
    void sendPendingRelease();

    QString name_;
    QSqlDatabase db_;
    QString dbmsName_;
    QString identifierQuote_ = QStringLiteral("\""); // as the driver states it (SQL_IDENTIFIER_QUOTE_CHAR)
    int busyTimeoutMs_ = 0;
    // psqlODBC by default undoes a refused statement alone under a savepoint of its own, so ours are not needed;
    // until a refusal shows otherwise (a driver set to undo the whole transaction, or nothing).
    bool driverUndoesRefusals_ = false;
    QString transactionId_;  // PostgreSQL: the id of the open transaction, to see whether it is still the same
    QString pendingRelease_; // a savepoint released by the caller, not yet by the server
};

} // namespace data
