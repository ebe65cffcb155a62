#include "WriteBatch.h"

#include "Connection.h"
#include "DatabaseError.h"
#include "CpxmColumns.h"
#include "ProductInsert.h"
#include "ProductInsertion.h"

#include <utility>

namespace importer {

WriteBatch::WriteBatch(data::Connection& store, WritePolicy policy, ImportCounts& counts, QStringList& errorLog)
    : store_(store), policy_(policy), counts_(counts), errorLog_(errorLog)
{
}

WriteBatch::~WriteBatch()
{
    close();
}

void WriteBatch::start()
{
    ensureGroup();
    store_.lockCodeLetters();
}

bool WriteBatch::usesSavepoints() const
{
    // Servers abort the whole transaction on a refusal; SQLite undoes the refused statement alone.
    return inGroup_ && store_.abortsTransactionOnError();
}

void WriteBatch::ensureGroup()
{
    if (inGroup_ || mode_ == Mode::RowByRow)
        return;
    store_.beginTransaction();
    inGroup_ = true;
    groupTimer_.start();
}

void WriteBatch::add(std::vector<data::BoundValue>&& values, const QString& errorLine)
{
    if (!insert_)
        insert_ = data::prepareProductInsert(store_);
    pendingValues_.insert(pendingValues_.end(), values.begin(), values.end());
    pendingLines_.append(errorLine);
    if (mode_ == Mode::Grouped && !policy_.dryRun)
        groupEntries_.push_back(Entry{std::move(values), errorLine});
    if (pendingLines_.size() >= insert_->maxRows())
        flush();
    if (groupDue())
        commitGroup();
}

void WriteBatch::addFailed(const QString& errorLine)
{
    flush();
    if (inGroup_ && !policy_.dryRun)
        groupEntries_.push_back(Entry{{}, errorLine});
    failed(errorLine);
}

void WriteBatch::stored(int rows)
{
    counts_.imported += rows;
    if (inGroup_) {
        groupStored_ += rows;
        groupRows_ += rows;
    }
}

void WriteBatch::failed(const QString& errorLine)
{
    ++counts_.failed;
    errorLog_.append(errorLine);
    if (inGroup_) {
        ++groupFailed_;
        ++groupRows_;
    }
}

void WriteBatch::flush()
{
    if (pendingLines_.isEmpty())
        return;
    // Whatever happens below, these rows are no longer waiting.
    const std::vector<data::BoundValue> values = std::exchange(pendingValues_, {});
    const QStringList lines = std::exchange(pendingLines_, {});
    ensureGroup();
    const int rows = int(lines.size());
    if (rows == 1) {
        writeAlone(values.data(), lines.first());
        return;
    }
    const bool savepoint = usesSavepoints();
    if (savepoint)
        store_.savepoint();
    try {
        insert_->insert(values.data(), rows);
    } catch (const data::DatabaseError& error) {
        const bool groupLost = savepoint && !undoToSavepoint();
        if (error.isStoreFault())
            throw;
        if (groupLost) {
            writeGroupAgain(error);
            return;
        }
        // A row of the batch was refused: each row again by itself, so that only the refused ones fail.
        for (int row = 0; row < rows; ++row)
            writeAlone(values.data() + size_t(row) * data::kCpxmColumnCount, lines.at(row));
        return;
    }
    if (savepoint)
        store_.releaseSavepoint();
    stored(rows);
}

void WriteBatch::writeAlone(const data::BoundValue* values, const QString& errorLine)
{
    const bool savepoint = usesSavepoints();
    if (savepoint)
        store_.savepoint();
    try {
        insert_->insert(values, 1);
    } catch (const data::DatabaseError& error) {
        const bool groupLost = savepoint && !undoToSavepoint();
        if (error.isStoreFault())
            throw;
        if (groupLost) {
            writeGroupAgain(error);
            return;
        }
        failed(errorLine);
        return;
    }
    if (savepoint)
        store_.releaseSavepoint();
    stored(1);
}

// False when the savepoint is gone: the driver or the store has ended the whole transaction after the refusal.
bool WriteBatch::undoToSavepoint()
{
    try {
        store_.rollbackToSavepoint();
        store_.releaseSavepoint();
        return true;
    } catch (const data::DatabaseError&) {
        return false;
    }
}

bool WriteBatch::groupDue() const
{
    if (!inGroup_ || policy_.dryRun)
        return false;
    const int rows = groupRows_ + int(pendingLines_.size());
    return rows >= policy_.groupRows || groupTimer_.elapsed() >= policy_.groupTime.count();
}

void WriteBatch::commitGroup()
{
    flush();
    // The first group keeps the code letters locked until it has stored a row under the run's letter.
    if (!inGroup_ || (!letterClaimed_ && groupStored_ == 0))
        return;
    try {
        store_.commit();
    } catch (const data::DatabaseError& error) {
        inGroup_ = store_.inTransaction();
        if (error.isStoreFault()) {
            commitRefused_ = true;
            throw;
        }
        writeGroupAgain(error);
        return;
    }
    inGroup_ = false;
    letterClaimed_ = letterClaimed_ || groupStored_ > 0;
    forgetGroup();
}

// The store refused the group at its commit for a row's sake, or a refusal took the whole transaction with it:
// nothing of the group was stored. Its rows are written again one by one, each committing by itself, and
// counted by what becomes of them now. A dry run keeps no rows for that: it ends with the cause.
void WriteBatch::writeGroupAgain(const data::DatabaseError& cause)
{
    if (policy_.dryRun)
        throw cause;
    try {
        if (store_.inTransaction())
            store_.rollback();
    } catch (const data::DatabaseError&) {
        // Ended already; the rows below are what matters.
    }
    inGroup_ = false;
    counts_.imported -= groupStored_;
    counts_.failed -= groupFailed_;
    errorLog_.resize(errorLog_.size() - groupFailed_);
    const std::vector<Entry> entries = std::exchange(groupEntries_, {});
    forgetGroup();
    mode_ = Mode::RowByRow;
    for (const Entry& entry : entries) {
        if (entry.values.empty())
            failed(entry.errorLine);
        else
            writeAlone(entry.values.data(), entry.errorLine);
    }
}

void WriteBatch::forgetGroup()
{
    groupRows_ = 0;
    groupStored_ = 0;
    groupFailed_ = 0;
    groupEntries_.clear();
}

void WriteBatch::finish()
{
    flush();
    if (!inGroup_)
        return;
    if (policy_.dryRun) {
        inGroup_ = false;
        store_.rollback();
        return;
    }
    letterClaimed_ = true; // the run's last group: nothing is left to claim the letter for
    commitGroup();
}

void WriteBatch::close() noexcept
{
    pendingValues_.clear();
    pendingLines_.clear();
    if (!inGroup_)
        return;
    bool kept = false;
    if (!policy_.dryRun && !commitRefused_) {
        try {
            store_.commit();
            kept = true;
        } catch (...) {
        }
    }
    if (!kept) {
        try {
            if (store_.inTransaction())
                store_.rollback();
        } catch (...) {
        }
        if (!policy_.dryRun)
            counts_.imported -= groupStored_; // those rows never reached the store
    }
    inGroup_ = false;
    forgetGroup();
}

} // namespace importer
