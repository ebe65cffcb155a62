#include "engine/run/RowLoop.h"

#include "engine/writes/GroupWriter.h"

namespace importer {

RowLoop::RowLoop(int rowTotal, RowMaker make, RepeatMarker mark, GroupWriter& writes, ImportCounts& counts,
                 ImportReporter& reporter)
    : rowTotal_(rowTotal), make_(std::move(make)), mark_(std::move(mark)), writes_(writes), counts_(counts),
      reporter_(reporter)
{
}

void RowLoop::run()
{
    int row = 0;
    try {
        RowsAhead rows(rowTotal_, make_, mark_);
        for (; row < rowTotal_; ++row) {
            MadeRow* made = rows.next();
            if (!made)
                break;
            if (made->code.isEmpty())
                ++counts_.empty;
            else
                write(std::move(*made), rows);
            reporter_.rowHandled(row + 1, counts_);
        }
        finishWrites(rows);
    } catch (...) {
        const ImportCounts before = counts_;
        writes_.close();
        reportChange(before);
        firstRowAgain_ = writes_.firstRowNotCommitted().value_or(row);
        throw;
    }
}

void RowLoop::write(MadeRow&& row, RowsAhead& rows)
{
    writes_.add(std::move(row));
    writeAgainWhatWasLost(rows);
}

// The rows of a lost group are made again, as they were, and go to the writes again; they commit one by one, so
// they are lost no more. True when there were any.
bool RowLoop::writeAgainWhatWasLost(RowsAhead& rows)
{
    if (!writes_.hasRowsToWriteAgain())
        return false;
    while (writes_.hasRowsToWriteAgain()) {
        for (const int row : writes_.takeRowsToWriteAgain())
            writes_.add(rows.makeAgain(row));
    }
    return true;
}

// The rows still waiting are sent and the last group committed; the counts are reported once more if that changed
// them.
void RowLoop::finishWrites(RowsAhead& rows)
{
    const ImportCounts before = counts_;
    do {
        writes_.finish();
    } while (writeAgainWhatWasLost(rows));
    reportChange(before);
}

void RowLoop::reportChange(const ImportCounts& before)
{
    if (before != counts_) {
        try {
            reporter_.rowHandled(counts_.handled(), counts_);
        } catch (...) {
            // The run's own outcome or error is what counts.
        }
    }
}

} // namespace importer
