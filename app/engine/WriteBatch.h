#pragma once
// Groups the inserts of an import into transactions, so that the store waits for its disk once per group instead
// of once per row, while every row still stands by itself: a refused row never undoes another.
//
// A group is committed after a few hundred milliseconds of work, so a kill loses at most that much and another
// program waiting for the store's write lock waits no longer. Rows counted as stored whose group did not reach
// the store are handed back to the caller, who writes them again through the batch and counts them anew.
//
// How a refused row is kept from undoing the others depends on the store:
// - SQLite undoes just the refused statement. After a few errors (a full disk, say) it ends the transaction by
//   itself, so a group is committed at once after a refusal: a group the store had dropped shows there.
// - Servers such as PostgreSQL abort the whole transaction on any error. Groups start without savepoints (one
//   round trip per row); the first refusal loses the group's rows, which are written again, and from then on
//   every row gets a savepoint of its own.
// - When the transaction machinery itself fails (a commit, a savepoint), the rest of the run commits every row
//   by itself, which can lose nothing.

#include <QElapsedTimer>

#include <chrono>
#include <vector>

namespace data {
class Connection;
}

namespace importer {

struct WritePolicy
{
    std::chrono::milliseconds groupTime{250}; // work per group before it is committed
    int groupRows = 20000;                    // and at most this many rows
    bool commitEveryRow = false;              // no groups: every insert commits by itself (for measurements)
};

class WriteBatch
{
public:
    enum class Mode { RowByRow, Grouped, GroupedWithSavepoints };

    WriteBatch(data::Connection& store, WritePolicy policy);
    ~WriteBatch(); // commits a group still open, quietly
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    // Before a row's insert: opens a group when none is open, and marks the row's savepoint where one is needed.
    // When the store will not open a group, the row is written by itself.
    void beginRow();
    // After the insert. storeRefused: the store itself refused the statement (not a bad number found before it).
    void endRow(int rowIndex, bool stored, bool storeRefused);
    // Whether the open group has done its share of work.
    bool groupDue() const;
    // Commits the open group, if any.
    void commitGroup();

    // Rows counted as stored whose group never reached the store, in sheet order; empties the list.
    std::vector<int> takeLostRows();
    bool hasLostRows() const { return !lost_.empty(); }

private:
    enum class Loss { Refusal, Machinery };
    void loseGroup(Loss cause);

    data::Connection& store_;
    WritePolicy policy_;
    Mode mode_ = Mode::Grouped;
    bool abortsOnError_ = false;
    bool inGroup_ = false;
    bool rowHasSavepoint_ = false;
    QElapsedTimer groupTimer_;
    std::vector<int> groupRows_; // stored rows of the open group
    int groupRowCount_ = 0;      // every row of the open group, stored or not
    std::vector<int> lost_;
};

} // namespace importer
