#include "FaultyBackend.h"

#include "db/Connection.h"
#include "db/SqliteBackend.h"

#include <utility>

namespace storetest {

namespace {

class FaultyInsert final : public data::PreparedInsert
{
public:
    FaultyInsert(std::unique_ptr<data::PreparedInsert> real, std::shared_ptr<PlannedFaults> faults,
                 std::function<void()> refused)
        : real_(std::move(real)), faults_(std::move(faults)), refused_(std::move(refused))
    {
    }
    int maxRows() const override { return real_->maxRows(); }
    int statementRows(int count) const override { return real_->statementRows(count); }
    void insert(const data::BoundValue* const* rows, int count) override
    {
        if (++faults_->insertStatements == faults_->storeFaultAtInsert)
            throw data::DatabaseError(QStringLiteral("disk I/O error"), data::Fault::Store,
                                      QStringLiteral("SQLITE_IOERR"));
        try {
            real_->insert(rows, count);
        } catch (const data::DatabaseError& error) {
            if (!error.isStoreFault())
                refused_();
            throw;
        }
    }

private:
    std::unique_ptr<data::PreparedInsert> real_;
    std::shared_ptr<PlannedFaults> faults_;
    std::function<void()> refused_;
};

class FaultyWrite final : public data::PreparedWrite
{
public:
    FaultyWrite(const data::ParsedStatement& statement, std::unique_ptr<data::PreparedWrite> real,
                data::ConnectionBackend& store, std::shared_ptr<PlannedFaults> faults)
        : data::PreparedWrite(statement), real_(std::move(real)), store_(store), faults_(std::move(faults))
    {
    }

protected:
    int write(const std::vector<data::BoundValue>& values) override
    {
        if (const auto change = std::exchange(faults_->beforeNextWrite, nullptr))
            change(store_);
        return real_->run(values);
    }

private:
    std::unique_ptr<data::PreparedWrite> real_;
    data::ConnectionBackend& store_;
    std::shared_ptr<PlannedFaults> faults_;
};

} // namespace

FaultyBackend::FaultyBackend(std::unique_ptr<data::ConnectionBackend> real, std::shared_ptr<PlannedFaults> faults)
    : real_(std::move(real)), faults_(std::move(faults))
{
}

void FaultyBackend::execute(const data::ParsedStatement& statement, const std::vector<data::BoundValue>& values)
{
    real_->execute(statement, values);
}

void FaultyBackend::select(const data::ParsedStatement& statement, const std::vector<data::BoundValue>& values,
                           int maxRows, data::ResultSet& result)
{
    real_->select(statement, values, maxRows, result);
}

std::unique_ptr<data::PreparedInsert> FaultyBackend::prepareInsert(const data::InsertTexts& texts)
{
    return std::make_unique<FaultyInsert>(real_->prepareInsert(texts), faults_, [this] { refused(); });
}

std::unique_ptr<data::PreparedWrite> FaultyBackend::prepareWrite(const data::ParsedStatement& statement)
{
    return std::make_unique<FaultyWrite>(statement, real_->prepareWrite(statement), *real_, faults_);
}

void FaultyBackend::beginTransaction()
{
    real_->beginTransaction();
    inTransaction_ = true;
    ended_ = false;
}

void FaultyBackend::commit()
{
    if (faults_->refusedCommits > 0) {
        --faults_->refusedCommits;
        real_->rollback();
        inTransaction_ = false;
        ended_ = true;
        throw data::DatabaseError(QStringLiteral("FOREIGN KEY constraint failed"), data::Fault::Row,
                                  QStringLiteral("SQLITE_CONSTRAINT_FOREIGNKEY"));
    }
    real_->commit();
    inTransaction_ = false;
    ++faults_->commits;
}

void FaultyBackend::rollback()
{
    inTransaction_ = false;
    if (std::exchange(ended_, false))
        return;
    real_->rollback();
}

bool FaultyBackend::transactionSurvivedRefusal()
{
    return !ended_ && real_->transactionSurvivedRefusal();
}

void FaultyBackend::refused()
{
    if (faults_->refusalEndsTransaction && inTransaction_) {
        real_->rollback();
        inTransaction_ = false;
        ended_ = true;
    }
}

std::shared_ptr<PlannedFaults> connectFaulty(data::Connection& connection, const QString& path)
{
    auto faults = std::make_shared<PlannedFaults>();
    connection.connect(std::make_unique<FaultyBackend>(
        std::make_unique<data::SqliteBackend>(path, int(connection.busyTimeout().count())), faults));
    return faults;
}

} // namespace storetest
