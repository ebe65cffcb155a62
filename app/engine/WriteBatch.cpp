#include "WriteBatch.h"

#include "Connection.h"
#include "CpxmColumns.h"
#include "DatabaseError.h"
#include "ProductInsert.h"
#include "ProductInsertion.h"

#include <QScopeGuard>

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
    try {
        ensureGroup();
        // A dry run never commits: what the store would check at the commit is checked at each row instead.
        if (policy_.dryRun)
            store_.checkConstraintsAtOnce();
        store_.lockCodeLetters();
    } catch (...) {
        broken_ = true;
        throw;
    }
}

bool WriteBatch::usesSavepoints() const
{
    // Some servers abort the whole transaction on a refusal; SQLite, and psqlODBC by default, undo the refused
    // statement alone.
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

// Rows handed to a group are remembered by their place in the sheet, so that a lost group can be read again.
bool WriteBatch::keepsGroupRows() const
{
    return mode_ == Mode::Grouped && !policy_.dryRun;
}

void WriteBatch::add(int sheetRow, data::CpxmRow&& values, const RowName& name, bool likelyRefused)
{
    if (!insert_) {
        insert_ = data::prepareProductInsert(store_, furtherColumns_);
        pending_.reserve(size_t(insert_->maxRows()));
    }
    // A row the store will most likely refuse goes alone, after the rows before it, so that their batch is not
    // refused with it and written again apart. The store still decides.
    if (!firstOpenRow_)
        firstOpenRow_ = sheetRow;
    if (likelyRefused)
        flush();
    pending_.push_back(Pending{sheetRow, std::move(values), name});
    if (likelyRefused || int(pending_.size()) >= insert_->maxRows())
        flush();
    if (groupDue())
        commitGroup();
}

void WriteBatch::addFailed(int sheetRow, const RowName& name)
{
    if (!firstOpenRow_)
        firstOpenRow_ = sheetRow;
    flush();
    if (inGroup_ && keepsGroupRows())
        groupSheetRows_.push_back(sheetRow);
    failed(name, name.reason);
    if (!inGroup_)
        settled();
}

// Everything handed so far is in the store for good, or logged as failed, but the rows waiting for a batch.
void WriteBatch::settled()
{
    if (pending_.empty())
        firstOpenRow_.reset();
    else
        firstOpenRow_ = pending_.front().sheetRow;
}

void WriteBatch::stored(int rows)
{
    counts_.imported += rows;
    if (inGroup_) {
        groupStored_ += rows;
        groupRows_ += rows;
    }
}

void WriteBatch::failed(const RowName& name, const QString& reason)
{
    ++counts_.failed;
    errorLog_.append(errorLine(name.code, name.name, reason));
    if (inGroup_) {
        ++groupFailed_;
        ++groupRows_;
    }
}

void WriteBatch::flush()
{
    if (pending_.empty())
        return;
    sending_.swap(pending_); // pending_ keeps the storage of the last batch sent
    const auto done = qScopeGuard([this] { sending_.clear(); });
    ensureGroup();
    if (inGroup_ && keepsGroupRows()) {
        for (const Pending& row : sending_)
            groupSheetRows_.push_back(row.sheetRow);
    }
    batchRows_.clear();
    for (const Pending& row : sending_)
        batchRows_.push_back(row.values.data());
    try {
        sendRows(0, int(sending_.size())); // false: the group went, and these rows are written again with it
    } catch (...) {
        broken_ = true;
        throw;
    }
    if (!inGroup_)
        settled();
}

// Sends sending_[first], count of them, in statements of the sizes the insert keeps prepared. The rows of a
// refused statement are written again in halves, and a refused half in halves again, down to rows alone: only the
// refused rows fail, and a batch with one refused row among five hundred costs about twenty statements instead of
// five hundred. Everything goes in order, so the log keeps the sheet's order. False when the group went.
bool WriteBatch::sendRows(int first, int count)
{
    while (count > 0) {
        const int rows = insert_->statementRows(count);
        if (!inGroup_) // each statement commits by itself: the rows before it are in for good
            firstOpenRow_ = sending_[size_t(first)].sheetRow;
        if (rows == 1) {
            if (!writeAlone(sending_[size_t(first)]))
                return false;
        } else {
            switch (send(batchRows_.data() + first, rows)) {
            case Sent::Stored:
                stored(rows);
                break;
            case Sent::RowRefused:
                if (!sendRows(first, rows / 2) || !sendRows(first + rows / 2, rows - rows / 2))
                    return false;
                break;
            case Sent::GroupLost:
                return false;
            }
        }
        first += rows;
        count -= rows;
    }
    return true;
}

bool WriteBatch::writeAlone(const Pending& row)
{
    const data::BoundValue* values = row.values.data();
    switch (send(&values, 1)) {
    case Sent::Stored:
        stored(1);
        return true;
    case Sent::RowRefused:
        failed(row.name, lastRefusal_ ? refusalReason(*lastRefusal_, row.name) : QString());
        return true;
    case Sent::GroupLost:
        break;
    }
    return false;
}

// Sends rows, under a savepoint where the store needs one. A store fault escapes; a group that a refusal took
// with it is written again before this returns.
WriteBatch::Sent WriteBatch::send(const data::BoundValue* const* rows, int count)
{
    const bool savepoint = usesSavepoints();
    try {
        if (savepoint)
            store_.savepoint();
        insert_->insert(rows, count);
        if (savepoint)
            store_.releaseSavepoint();
        return Sent::Stored;
    } catch (const data::DatabaseError& error) {
        const bool groupLost = !undone(savepoint, error);
        if (error.isStoreFault())
            throw;
        if (groupLost) {
            writeGroupAgain(error);
            return Sent::GroupLost;
        }
        lastRefusal_.emplace(error); // a row sent alone is logged with it
        return Sent::RowRefused;
    }
}

// After a refusal: whether the group still holds what it did before (false when the driver or the store has
// ended the whole transaction). Under a savepoint, going back to it says so; without, the store is asked after a
// row's refusal (after a store fault the run ends anyway).
bool WriteBatch::undone(bool savepoint, const data::DatabaseError& refusal)
{
    if (savepoint)
        return undoToSavepoint();
    return !inGroup_ || refusal.isStoreFault() || store_.transactionSurvivedRefusal();
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
    const int rows = groupRows_ + int(pending_.size());
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
        if (error.isStoreFault()) {
            broken_ = true; // not committed: close() rolls back what is left and counts the rows no longer
            throw;
        }
        inGroup_ = store_.inTransaction();
        writeGroupAgain(error);
        return;
    }
    inGroup_ = false;
    letterClaimed_ = letterClaimed_ || groupStored_ > 0;
    forgetGroup();
    settled();
}

// The store refused the group at its commit for a row's sake, or a refusal took the whole transaction with it:
// nothing of the group was stored. Its rows are counted no longer and handed to the writes once more, read anew
// from the sheet, each committing by itself from now on. A dry run, or writes without a rewrite, end with the
// cause instead.
void WriteBatch::writeGroupAgain(const data::DatabaseError& cause)
{
    if (policy_.dryRun || !rewrite_)
        throw cause;
    try {
        if (store_.inTransaction())
            store_.rollback();
    } catch (const data::DatabaseError&) {
        // Ended already; the rows below are what matters.
    }
    inGroup_ = false;
    uncount();
    const std::vector<int> rows = std::exchange(groupSheetRows_, {});
    sending_.clear(); // its rows are among them
    forgetGroup();
    firstOpenRow_.reset(); // the first row handed again sets it
    mode_ = Mode::RowByRow;
    for (const int row : rows)
        rewrite_(row);
    flush();
}

// The open group's rows are counted no longer, as stored or as failed, and their log lines go.
void WriteBatch::uncount()
{
    counts_.imported -= groupStored_;
    counts_.failed -= groupFailed_;
    errorLog_.resize(errorLog_.size() - groupFailed_);
}

void WriteBatch::forgetGroup()
{
    groupRows_ = 0;
    groupStored_ = 0;
    groupFailed_ = 0;
    groupSheetRows_.clear();
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
    sending_.clear();
    if (!inGroup_) {
        pending_.clear(); // never sent: firstOpenRow_ names the first of them already
        return;
    }
    bool kept = false;
    if (!policy_.dryRun && !broken_) {
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
            uncount(); // those rows never reached the store
    } else {
        settled();
    }
    pending_.clear();
    inGroup_ = false;
    forgetGroup();
}

} // namespace importer
