#pragma once
// The writes of an import run: rows sent to the store in batches through the one prepared insert, batches
// grouped into transactions so that the store waits for its disk once per group instead of once per row, and
// every row still standing by itself: a refused row never undoes another. The batch counts and logs each row
// when the store has taken or refused it, so the log names the failed rows in sheet order.
//
// - The first group is opened, and the code letters locked, before the run probes for its letter; it holds them
//   until a group that stored a row commits, so that two runs never take the same letter.
// - A batch carries as many rows as one statement of the insert takes (a hundred; on PostgreSQL five hundred,
//   as one array per column). SQLite, and psqlODBC as it comes, undo a refused statement by themselves; where a
//   refusal would take the whole transaction with it (SQL Server, a driver set so, which the first refusal
//   shows), each batch goes under a savepoint. When a row of a batch is refused, the batch is written again in
//   halves, down to rows alone, so that exactly the refused rows fail. A row the caller expects to be refused
//   goes alone from the start.
// - A row fault (a constraint, a value the column cannot take) fails that row; a store fault (locked beyond the
//   busy time-out, read-only, full, gone, a table that does not fit) escapes as data::DatabaseError. The open
//   group is then rolled back, never committed (a lost connection may have taken it already, and a commit that
//   seems to pass proves nothing): its rows are neither stored nor failed, and firstRowNotCommitted() names the
//   first of them, the row to import again from.
// - A group the store refuses at its commit for a row's sake (a constraint checked at commit), or that a refusal
//   took with it, stored nothing: its rows are counted no longer and their sheet rows handed back, with those of
//   the rows handed after them; the caller makes them again and adds them, and each commits by itself from then
//   on. A row is kept only until its batch is sent: the group remembers where its rows stand in the sheet.
// - A dry run keeps the whole run in its first transaction and rolls it back at the end; constraints the store
//   would check at the commit are checked at each row there, where the store can.

#include "db/DatabaseError.h"
#include "db/StoreColumns.h"
#include "engine/rows/MadeRow.h"
#include "engine/writes/ExistingProducts.h"
#include "engine/writes/ImportCounts.h"
#include "engine/writes/WriteSizes.h"
#include "store/CpxmColumns.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace data {
class Connection;
class PreparedInsert;
} // namespace data

namespace importer {

struct WritePolicy
{
    std::chrono::milliseconds groupTime = sizes::kGroupTime; // work per group before it is committed
    int groupRows = sizes::kGroupRows;                       // and at most this many rows
    bool dryRun = false; // one transaction for the whole run, rolled back at the end
};

class GroupWriter
{
public:
    GroupWriter(data::Connection& store, WritePolicy policy, ImportCounts& counts, QStringList& errorLog);
    ~GroupWriter(); // close()
    GroupWriter(const GroupWriter&) = delete;
    GroupWriter& operator=(const GroupWriter&) = delete;

    // The further columns of Cpxm the rows carry after the twenty; before the first row.
    void setFurtherColumns(std::vector<data::StoreColumn> columns) { furtherColumns_ = std::move(columns); }
    // What becomes of rows whose products the store holds, and of repeated codes; before the first row. Without
    // it (or with the policy that adds every row) each row is an insert.
    void setExistingProducts(ExistingPolicy policy);
    // Opens the first group and locks the code letters: before the letter probe. Throws data::DatabaseError.
    void start();
    // A row with a code, in sheet order. With values it goes to the store (a row that repeats an earlier code in a
    // statement of its own); without, it failed before the store (a number that does not convert) and is counted
    // and logged after the rows before it. Throws data::DatabaseError on a store fault.
    void add(MadeRow&& row);
    // Sends what waits and commits (a dry run rolls everything back). Throws data::DatabaseError. When a group is
    // lost on the way, the rows to write again are waiting, and finish() is to be called again after them.
    void finish();
    // The sheet rows of a lost group's rows (and of those handed after them), to be made and added again, in order,
    // before anything else.
    bool hasRowsToWriteAgain() const { return !lost_.empty(); }
    std::vector<int> takeRowsToWriteAgain() { return std::exchange(lost_, {}); }
    // Ends the writes whatever the state, quietly: commits the open group unless an error escaped the writes (a
    // dry run rolls back); rows whose group did not reach the store are no longer counted, as stored or as failed.
    void close() noexcept;
    // The sheet row of the first row handed to the writes that the store does not hold for good (neither committed
    // nor failed), if any: where an import that ended early is to be taken up again.
    std::optional<int> firstRowNotCommitted() const { return firstOpenRow_; }
    // The rows counted as failed, each its sheet row (from 0, below the header) and the reason of its log line, in
    // the order they failed; a lost group's rows are not among them.
    const std::vector<std::pair<int, QString>>& failedRows() const { return failedRows_; }

private:
    enum class Mode { Grouped, RowByRow };

    void addFailed(MadeRow&& row);
    void flush();
    enum class Sent { Stored, RowRefused, GroupLost };
    bool writeAlone(const MadeRow& row);
    bool sendRows(std::size_t first, int count);
    Sent send(const data::BoundValue* const* rows, int count);
    Sent write(const std::function<void()>& statement);
    bool sendDecided(std::size_t first, int count);
    bool updateAtOnce(std::size_t first, const std::vector<ExistingProducts::Decision>& decisions,
                      std::vector<char>& done);
    bool apply(const MadeRow& row, const ExistingProducts::Decision& decision);
    bool settle(Sent sent, const MadeRow& row, const std::function<bool()>& whenTaken);
    void rememberInserted(const MadeRow& row);
    bool undone(bool savepoint, const data::DatabaseError& refusal);
    bool undoToSavepoint();
    void ensureGroup();
    int groupStored() const;
    int groupRows() const;
    bool groupDue() const;
    void commitGroup();
    void writeGroupAgain(const data::DatabaseError& cause);
    void uncount();
    void forgetGroup();
    void settled();
    void stored(int rows);
    void failed(const MadeRow& row, const QString& reason);
    bool usesSavepoints() const;
    bool keepsGroupRows() const;

    data::Connection& store_;
    WritePolicy policy_;
    ImportCounts& counts_;
    QStringList& errorLog_;
    std::vector<std::pair<int, QString>> failedRows_; // beside the error log, line for line
    std::vector<data::StoreColumn> furtherColumns_;
    std::unique_ptr<data::PreparedInsert> insert_;
    std::unique_ptr<ExistingProducts> existing_; // none: every row an insert
    int waitingRowsMax_ = 0;                     // rows that wait before they are sent
    Mode mode_ = Mode::Grouped;
    bool inGroup_ = false;
    bool letterClaimed_ = false;      // a group that stored a row has committed: the lock may go
    bool waitsForLetterRow_ = false;  // the open group was due but could not commit before it stores a row
    bool broken_ = false;             // an error escaped the writes: close() must not commit the open group
    std::optional<int> firstOpenRow_; // see firstRowNotCommitted()
    QElapsedTimer groupTimer_;
    ImportCounts groupStart_;      // the counts when the open group began: what the group adds is the difference
    std::vector<MadeRow> pending_; // rows waiting for the next batch
    std::vector<MadeRow> sent_;    // the batch being sent
    // The sheet rows of every row handed to the open group, in order, where a lost group would be written again.
    std::vector<int> groupRows_;
    std::vector<int> lost_;                          // see takeRowsToWriteAgain()
    std::vector<const data::BoundValue*> batchRows_; // the values of sent_, a row each
    std::optional<data::DatabaseError> lastRefusal_; // why the store refused the last row sent
};

} // namespace importer
