#include "WriteBatch.h"

#include "Connection.h"

#include <algorithm>

namespace importer {

WriteBatch::WriteBatch(data::Connection& store, WritePolicy policy) : store_(store), policy_(policy)
{
    if (policy_.commitEveryRow) {
        mode_ = Mode::RowByRow;
        return;
    }
    try {
        abortsOnError_ = store_.abortsTransactionOnError();
    } catch (...) {
        // Not connected: every insert fails by itself and no group is ever opened.
        mode_ = Mode::RowByRow;
    }
}

WriteBatch::~WriteBatch()
{
    if (!inGroup_)
        return;
    try {
        store_.commit();
    } catch (...) {
        try {
            store_.rollback();
        } catch (...) {
        }
    }
}

void WriteBatch::beginRow()
{
    rowHasSavepoint_ = false;
    if (mode_ == Mode::RowByRow)
        return;
    if (!inGroup_) {
        try {
            store_.beginTransaction();
        } catch (...) {
            // The store is locked beyond its waiting time, or gone: this row goes alone and meets the same error.
            return;
        }
        inGroup_ = true;
        groupRows_.clear();
        groupRowCount_ = 0;
        groupTimer_.start();
    }
    if (mode_ == Mode::GroupedWithSavepoints) {
        try {
            store_.savepoint();
            rowHasSavepoint_ = true;
        } catch (...) {
            loseGroup(Loss::Machinery);
        }
    }
}

void WriteBatch::endRow(int rowIndex, bool stored, bool storeRefused)
{
    if (!inGroup_)
        return;
    ++groupRowCount_;
    if (stored)
        groupRows_.push_back(rowIndex);
    if (rowHasSavepoint_) {
        rowHasSavepoint_ = false;
        try {
            if (stored) {
                store_.releaseSavepoint();
            } else {
                store_.rollbackToSavepoint();
                store_.releaseSavepoint();
            }
        } catch (...) {
            loseGroup(Loss::Machinery);
        }
    } else if (storeRefused) {
        if (abortsOnError_)
            loseGroup(Loss::Refusal); // the server has aborted the whole group
        else
            commitGroup();
    }
}

bool WriteBatch::groupDue() const
{
    return inGroup_ && (groupRowCount_ >= policy_.groupRows || groupTimer_.elapsed() >= policy_.groupTime.count());
}

void WriteBatch::commitGroup()
{
    if (!inGroup_)
        return;
    try {
        store_.commit();
        inGroup_ = false;
        groupRows_.clear();
        groupRowCount_ = 0;
    } catch (...) {
        loseGroup(Loss::Machinery);
    }
}

void WriteBatch::loseGroup(Loss cause)
{
    try {
        store_.rollback();
    } catch (...) {
        // Gone already; the rows below are what matters.
    }
    inGroup_ = false;
    rowHasSavepoint_ = false;
    lost_.insert(lost_.end(), groupRows_.begin(), groupRows_.end());
    std::sort(lost_.begin(), lost_.end());
    groupRows_.clear();
    groupRowCount_ = 0;
    mode_ = cause == Loss::Refusal ? Mode::GroupedWithSavepoints : Mode::RowByRow;
}

std::vector<int> WriteBatch::takeLostRows()
{
    std::vector<int> rows;
    rows.swap(lost_);
    return rows;
}

} // namespace importer
