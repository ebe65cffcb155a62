#pragma once
// A store that fails on demand: a real backend (an SQLite demo store) behind a stand-in that refuses a commit for
// a row's sake, fails a chosen insert statement as a store fault, lets a refusal take the whole transaction with
// it, or changes the store just before a prepared write runs (another program at work). What a real store cannot
// be made to do at a chosen moment; everything else is the real store's own doing.

#include "db/ConnectionBackend.h"

#include <functional>
#include <memory>

namespace data {
class Connection;
}

namespace storetest {

struct PlannedFaults
{
    int refusedCommits = 0;     // the next so many commits are refused for a row's sake, the transaction undone
    int storeFaultAtInsert = 0; // the insert statement (from 1, counted over the connection) that fails the store
    bool refusalEndsTransaction = false; // a refused statement takes the transaction with it (as SQL Server may)
    // Run on the real store just before the next prepared write (an update, a stock merge), then dropped.
    std::function<void(data::ConnectionBackend& real)> beforeNextWrite;

    int insertStatements = 0; // counted as they are sent
    int commits = 0;          // commits that went through
};

class FaultyBackend final : public data::ConnectionBackend
{
public:
    FaultyBackend(std::unique_ptr<data::ConnectionBackend> real, std::shared_ptr<PlannedFaults> faults);

    void execute(const data::ParsedStatement& statement, const std::vector<data::BoundValue>& values) override;
    void select(const data::ParsedStatement& statement, const std::vector<data::BoundValue>& values, int maxRows,
                data::ResultSet& result) override;
    std::unique_ptr<data::PreparedInsert> prepareInsert(const data::InsertTexts& texts) override;
    std::unique_ptr<data::PreparedWrite> prepareWrite(const data::ParsedStatement& statement) override;
    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool abortsTransactionOnError() const override { return real_->abortsTransactionOnError(); }
    bool transactionSurvivedRefusal() override;
    void savepoint(const QString& name) override { real_->savepoint(name); }
    void releaseSavepoint(const QString& name) override { real_->releaseSavepoint(name); }
    void rollbackToSavepoint(const QString& name) override { real_->rollbackToSavepoint(name); }
    void setBusyTimeout(int milliseconds) override { real_->setBusyTimeout(milliseconds); }
    void lockCodeLetters() override { real_->lockCodeLetters(); }
    std::vector<data::StoreColumn> tableColumns(const QString& table) override { return real_->tableColumns(table); }
    void checkConstraintsAtOnce() override { real_->checkConstraintsAtOnce(); }
    QString quotedName(const QString& name) const override { return real_->quotedName(name); }
    QString dbmsName() const override { return real_->dbmsName(); }

private:
    void refused(); // a statement of the transaction was refused

    std::unique_ptr<data::ConnectionBackend> real_;
    std::shared_ptr<PlannedFaults> faults_;
    bool inTransaction_ = false;
    bool ended_ = false; // the transaction was taken by a refusal: nothing is left to roll back
};

// Connects to the SQLite store at path through a FaultyBackend; the faults are planned through what it returns.
// Throws data::DatabaseError.
std::shared_ptr<PlannedFaults> connectFaulty(data::Connection& connection, const QString& path);

} // namespace storetest
