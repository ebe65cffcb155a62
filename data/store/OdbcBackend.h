#pragma once
// A server store through QtSql's ODBC driver. QtSql needs a connection name that is unique per connection; it is
// made from this object's address, so no counter is shared.

#include "ConnectionBackend.h"

#include <QSqlDatabase>

#include <memory>
#include <unordered_map>

class QSqlQuery;

namespace data {

class OdbcBackend final : public ConnectionBackend
{
public:
    // Connects with an ODBC connection string ("DRIVER=...;..."). Throws DatabaseError with the driver's message.
    explicit OdbcBackend(const QString& connectionString);
    ~OdbcBackend() override;

    void execute(const ParsedStatement& statement, const std::vector<BoundValue>& values) override;
    void select(const ParsedStatement& statement, const std::vector<BoundValue>& values, int maxRows,
                ResultSet& result) override;

    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool abortsTransactionOnError() const override { return true; }
    void savepoint(const QString& name) override;
    void releaseSavepoint(const QString& name) override;
    void rollbackToSavepoint(const QString& name) override;

private:
    struct Prepared;
    struct TextHash
    {
        size_t operator()(const QString& text) const noexcept;
    };

    Prepared& prepared(const ParsedStatement& statement, const std::vector<BoundValue>& values);
    void executeDirect(const QString& sql);
    bool isSqlServer() const;
    void sendPendingRelease();

    QString name_;
    QSqlDatabase db_;
    QString pendingRelease_; // a savepoint released by the caller, not yet by the server
    std::unordered_map<QString, std::unique_ptr<Prepared>, TextHash> statements_;
};

} // namespace data
