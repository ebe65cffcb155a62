#include "engine/writes/GroupWriter.h"

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "engine/rows/ProductValues.h"
#include "store/CpxmColumns.h"
#include "store/ProductInsert.h"

#include <utility>

namespace importer {

GroupWriter::GroupWriter(data::Connection& store, WritePolicy policy, ImportCounts& counts, QStringList& errorLog)
    : store_(store), policy_(policy), counts_(counts), errorLog_(errorLog)
{
}

GroupWriter::~GroupWriter()
{
    close();
}

void GroupWriter::setExistingProducts(ExistingPolicy policy)
{
    existing_.reset();
    if (policy.active())
        existing_ = std::make_unique<ExistingProducts>(store_, std::move(policy));
}

void GroupWriter::start()
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

bool GroupWriter::usesSavepoints() const
{
    // Some servers abort the whole transaction on a refusal; SQLite, and psqlODBC by default, undo the refused
    // statement alone.
    return inGroup_ && store_.abortsTransactionOnError();
}

void GroupWriter::ensureGroup()
{
    if (inGroup_ || mode_ == Mode::RowByRow)
        return;
    store_.beginTransaction();
    inGroup_ = true;
    groupStart_ = counts_;
    groupTimer_.start();
}

// Rows handed to a group are remembered by their place in the sheet, so that a lost group can be read again.
bool GroupWriter::keepsGroupRows() const
{
    return mode_ == Mode::Grouped && !policy_.dryRun;
}

void GroupWriter::add(MadeRow&& row)
{
    // Nothing passes the rows of a lost group: they are written again first, in order.
    if (!lost_.empty()) {
        lost_.push_back(row.sheetRow);
        return;
    }
    if (!firstOpenRow_)
        firstOpenRow_ = row.sheetRow;
    if (!row.values) {
        addFailed(std::move(row));
        return;
    }
    if (!insert_) {
        insert_ = data::prepareProductInsert(store_, furtherColumns_);
        // Rows matched against the stored products go to the store's look-up a few statements at a time: one
        // select of many codes costs much less than several of a few.
        waitingRowsMax_ = existing_ ? sizes::kMatchRows : insert_->maxRows();
        pending_.reserve(size_t(waitingRowsMax_));
    }
    // A row the store will most likely refuse goes alone, after the rows before it, so that their batch is not
    // refused with it and written again apart. The store still decides.
    const bool likelyRefused = row.repeatsCode;
    if (likelyRefused)
        flush();
    if (!lost_.empty()) {
        lost_.push_back(row.sheetRow);
        return;
    }
    pending_.push_back(std::move(row));
    if (likelyRefused || int(pending_.size()) >= waitingRowsMax_)
        flush();
    if (groupDue())
        commitGroup();
}

void GroupWriter::addFailed(MadeRow&& row)
{
    flush();
    if (!lost_.empty()) {
        lost_.push_back(row.sheetRow);
        return;
    }
    failed(row, row.reason);
    if (inGroup_ && keepsGroupRows())
        groupRows_.push_back(row.sheetRow);
    if (!inGroup_)
        settled();
}

// Everything handed so far is in the store for good, or logged as failed, but the rows waiting for a batch.
void GroupWriter::settled()
{
    if (!lost_.empty())
        firstOpenRow_ = lost_.front();
    else if (pending_.empty())
        firstOpenRow_.reset();
    else
        firstOpenRow_ = pending_.front().sheetRow;
}

void GroupWriter::stored(int rows)
{
    counts_.imported += rows;
}

void GroupWriter::failed(const MadeRow& row, const QString& reason)
{
    ++counts_.failed;
    errorLog_.append(errorLine(row.code, row.name, reason));
    failedRows_.emplace_back(row.sheetRow, reason);
}

void GroupWriter::flush()
{
    if (pending_.empty())
        return;
    ensureGroup();
    sent_.clear(); // left over only where a store fault ended the batch before
    batchRows_.clear();
    sent_.swap(pending_); // pending_ takes the storage of the batch sent before
    for (const MadeRow& row : sent_) {
        if (keepsGroupRows())
            groupRows_.push_back(row.sheetRow);
        batchRows_.push_back(row.values->data());
    }
    try {
        // false: the group went, and its rows wait to be written again
        if (existing_)
            sendDecided(0, int(sent_.size()));
        else
            sendRows(0, int(sent_.size()));
    } catch (...) {
        broken_ = true;
        throw;
    }
    // The rows go once sent: a lost group's rows are made again from the sheet.
    sent_.clear();
    batchRows_.clear();
    if (!inGroup_)
        settled();
}

// Sends sent_[first], count of them, each as the choices for products already in the store say: the rows to
// insert in statements as sendRows() sends them, the others one by one in between, so that the log keeps the
// sheet's order. False when the group went.
bool GroupWriter::sendDecided(std::size_t first, int count)
{
    const std::vector<ExistingProducts::Decision> decisions =
        existing_->decide(std::span<const MadeRow>(sent_.data() + first, std::size_t(count)));
    std::vector<char> done(decisions.size()); // updated together already
    if (!updateAtOnce(first, decisions, done))
        return false;
    std::size_t inserts = first; // the first row of the inserts not sent yet
    for (std::size_t i = 0; i < decisions.size(); ++i) {
        if (decisions[i].action == ExistingProducts::Action::Insert)
            continue;
        const std::size_t at = first + i;
        if (!sendRows(inserts, int(at - inserts)) || (!done[i] && !apply(sent_[at], decisions[i])))
            return false;
        inserts = at + 1;
    }
    return sendRows(inserts, int(first + std::size_t(count) - inserts));
}

// The updates among decisions in one statement, where the store takes them so (a server, one array per column):
// one round trip for a batch instead of one a row. Under a savepoint: when the store refuses the statement, or a
// row did not change its one product, it is undone and the rows go one by one as before, so that exactly the
// refused rows fail. done marks the rows updated. False when the group went.
bool GroupWriter::updateAtOnce(std::size_t first, const std::vector<ExistingProducts::Decision>& decisions,
                               std::vector<char>& done)
{
    std::vector<std::size_t> updates;
    for (std::size_t i = 0; i < decisions.size(); ++i) {
        if (decisions[i].action == ExistingProducts::Action::Update && decisions[i].stored.name)
            updates.push_back(i);
    }
    if (updates.size() < 2 || !inGroup_ || !existing_->updatesAtOnce())
        return true;
    std::vector<const MadeRow*> rows;
    std::vector<data::StoredRow> stored;
    for (const std::size_t i : updates) {
        rows.push_back(&sent_[first + i]);
        stored.push_back(decisions[i].stored);
    }
    store_.savepoint();
    bool changedEach = false;
    try {
        changedEach = existing_->updateMany(rows, stored);
    } catch (const data::DatabaseError& error) {
        if (error.isStoreFault())
            throw;
        if (!undoToSavepoint()) {
            writeGroupAgain(error);
            return false;
        }
        return true;
    }
    if (!changedEach) {
        if (undoToSavepoint())
            return true;
        writeGroupAgain(data::DatabaseError(QStringLiteral("The store ended the transaction"), data::Fault::Row));
        return false;
    }
    store_.releaseSavepoint();
    for (std::size_t k = 0; k < updates.size(); ++k) {
        done[updates[k]] = 1;
        ++counts_.updated;
        existing_->remember(*rows[k], stored[k], false, inGroup_);
    }
    return true;
}

// A row written other than by an insert: skipped, an update, a stock merge, or failed. False when the group went.
bool GroupWriter::apply(const MadeRow& row, const ExistingProducts::Decision& decision)
{
    using Action = ExistingProducts::Action;
    if (!inGroup_)
        firstOpenRow_ = row.sheetRow;
    switch (decision.action) {
    case Action::Insert:
        return writeAlone(row);
    case Action::Fail:
        failed(row, decision.reason);
        return true;
    case Action::Skip:
        ++counts_.existing;
        existing_->remember(row, decision.stored, true, inGroup_);
        return true;
    case Action::Update:
    case Action::Merge:
        break;
    }
    bool found = true;
    ExistingProducts::Merged merged = ExistingProducts::Merged::Yes;
    const Sent sent = write([&] {
        if (decision.action == Action::Merge)
            merged = existing_->merge(row, decision.stored);
        else
            found = existing_->update(row, decision.stored);
    });
    return settle(sent, row, [&] {
        if (!found) // gone since the match: the row is a new product after all
            return writeAlone(row);
        if (decision.action == Action::Merge) {
            // The product of the earlier row is the run's own: it stays, or its group was lost and this row with it.
            if (merged == ExistingProducts::Merged::OutOfRange)
                failed(row, QStringLiteral("当前库存合并后超出数字的范围，不能合并库存"));
            else if (merged == ExistingProducts::Merged::Gone)
                failed(row, QStringLiteral("要合并库存的商品已不在数据库中"));
            else
                ++counts_.merged;
        } else {
            ++counts_.updated;
            existing_->remember(row, decision.stored, false, inGroup_);
        }
        return true;
    });
}

// What became of a row written by itself: taken (then whenTaken says the rest), refused and logged, or its group
// lost (false).
bool GroupWriter::settle(Sent sent, const MadeRow& row, const std::function<bool()>& whenTaken)
{
    switch (sent) {
    case Sent::Stored:
        return whenTaken();
    case Sent::RowRefused:
        failed(row, lastRefusal_ ? refusalReason(*lastRefusal_, row) : QString());
        return true;
    case Sent::GroupLost:
        break;
    }
    return false;
}

void GroupWriter::rememberInserted(const MadeRow& row)
{
    if (existing_)
        existing_->remember(row, data::StoredRow{row.values->front().text, std::nullopt, -1}, false, inGroup_);
}

// Sends sent_[first], count of them, in statements of the sizes the insert keeps prepared. The rows of a
// refused statement are written again in halves, and a refused half in halves again, down to rows alone: only the
// refused rows fail, and a batch with one refused row among five hundred costs about twenty statements instead of
// five hundred. Everything goes in order, so the log keeps the sheet's order. False when the group went.
bool GroupWriter::sendRows(std::size_t first, int count)
{
    while (count > 0) {
        const int rows = insert_->statementRows(count);
        if (!inGroup_) // each statement commits by itself: the rows before it are in for good
            firstOpenRow_ = sent_[first].sheetRow;
        if (rows == 1) {
            if (!writeAlone(sent_[first]))
                return false;
        } else {
            switch (send(batchRows_.data() + first, rows)) {
            case Sent::Stored:
                stored(rows);
                for (std::size_t i = first; i < first + std::size_t(rows); ++i)
                    rememberInserted(sent_[i]);
                break;
            case Sent::RowRefused:
                if (!sendRows(first, rows / 2) || !sendRows(first + std::size_t(rows / 2), rows - rows / 2))
                    return false;
                break;
            case Sent::GroupLost:
                return false;
            }
        }
        first += std::size_t(rows);
        count -= rows;
    }
    return true;
}

bool GroupWriter::writeAlone(const MadeRow& row)
{
    const data::BoundValue* values = row.values->data();
    return settle(send(&values, 1), row, [&] {
        stored(1);
        rememberInserted(row);
        return true;
    });
}

// Sends rows, under a savepoint where the store needs one. A store fault escapes; a group that a refusal took
// with it is written again before this returns.
GroupWriter::Sent GroupWriter::send(const data::BoundValue* const* rows, int count)
{
    return write([this, rows, count] { insert_->insert(rows, count); });
}

GroupWriter::Sent GroupWriter::write(const std::function<void()>& statement)
{
    const bool savepoint = usesSavepoints();
    try {
        if (savepoint)
            store_.savepoint();
        statement();
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
bool GroupWriter::undone(bool savepoint, const data::DatabaseError& refusal)
{
    if (savepoint)
        return undoToSavepoint();
    return !inGroup_ || refusal.isStoreFault() || store_.transactionSurvivedRefusal();
}

// False when the savepoint is gone: the driver or the store has ended the whole transaction after the refusal.
bool GroupWriter::undoToSavepoint()
{
    try {
        store_.rollbackToSavepoint();
        store_.releaseSavepoint();
        return true;
    } catch (const data::DatabaseError&) {
        return false;
    }
}

// Rows of the open group stored, and handed to it in all (stored, failed, skipped, updated or merged): what the
// counts gained since it began.
int GroupWriter::groupStored() const
{
    return counts_.imported - groupStart_.imported;
}

int GroupWriter::groupRows() const
{
    return groupStored() + (counts_.failed - groupStart_.failed) + (counts_.existing - groupStart_.existing) +
           (counts_.updated - groupStart_.updated) + (counts_.merged - groupStart_.merged);
}

bool GroupWriter::groupDue() const
{
    // A first group found unable to commit (no row stored under the run's letter yet, commitGroup()) is due no
    // more until it stores one: else each row after its time would be sent by itself.
    if (!inGroup_ || policy_.dryRun || (waitsForLetterRow_ && groupStored() == 0))
        return false;
    const int rows = groupRows() + int(pending_.size());
    return rows >= policy_.groupRows || groupTimer_.elapsed() >= policy_.groupTime.count();
}

void GroupWriter::commitGroup()
{
    flush();
    // The first group keeps the code letters locked until it has stored a row under the run's letter.
    if (!inGroup_ || (!letterClaimed_ && groupStored() == 0)) {
        waitsForLetterRow_ = inGroup_;
        return;
    }
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
    letterClaimed_ = letterClaimed_ || groupStored() > 0;
    waitsForLetterRow_ = false;
    if (existing_)
        existing_->groupCommitted();
    forgetGroup();
    settled();
}

// The store refused the group at its commit for a row's sake, or a refusal took the whole transaction with it:
// nothing of the group was stored. Its rows are counted no longer and wait, as they were made, to be added again,
// each committing by itself from now on. A dry run ends with the cause instead.
void GroupWriter::writeGroupAgain(const data::DatabaseError& cause)
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
    uncount();
    lost_ = std::exchange(groupRows_, {});
    for (const MadeRow& row : pending_) // handed after the group's rows, and not sent yet
        lost_.push_back(row.sheetRow);
    pending_.clear();
    forgetGroup();
    firstOpenRow_.reset();
    if (!lost_.empty())
        firstOpenRow_ = lost_.front();
    mode_ = Mode::RowByRow;
}

// The open group's rows are counted no longer, as stored or as failed, and their log lines go.
void GroupWriter::uncount()
{
    const int failedInGroup = counts_.failed - groupStart_.failed;
    counts_.imported = groupStart_.imported;
    counts_.failed = groupStart_.failed;
    counts_.existing = groupStart_.existing;
    counts_.updated = groupStart_.updated;
    counts_.merged = groupStart_.merged;
    if (existing_)
        existing_->groupLost();
    errorLog_.resize(errorLog_.size() - failedInGroup);
    failedRows_.resize(failedRows_.size() - std::size_t(failedInGroup));
}

void GroupWriter::forgetGroup()
{
    groupRows_.clear();
}

void GroupWriter::finish()
{
    flush();
    if (!inGroup_ || !lost_.empty())
        return;
    if (policy_.dryRun) {
        inGroup_ = false;
        store_.rollback();
        return;
    }
    letterClaimed_ = true; // the run's last group: nothing is left to claim the letter for
    commitGroup();
}

void GroupWriter::close() noexcept
{
    lost_.clear(); // firstOpenRow_ names the first of them already
    if (!inGroup_) {
        pending_.clear(); // never sent: firstOpenRow_ names the first of them already
        forgetGroup();
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
