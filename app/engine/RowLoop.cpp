#include "RowLoop.h"

#include "WriteBatch.h"

namespace importer {

RowLoop::RowLoop(int rowTotal, RowMaker make, RepeatMarker mark, WriteBatch& writes, ImportCounts& counts,
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
                write(std::move(*made));
            reporter_.rowHandled(row + 1, counts_);
        }
        finishWrites();
    } catch (...) {
        const ImportCounts before = counts_;
        writes_.close();
        reportChange(before);
        firstRowAgain_ = writes_.firstRowNotCommitted().value_or(row);
        throw;
    }
}

void RowLoop::write(MadeRow&& row)
{
    writes_.add(std::move(row));
    writeAgainWhatWasLost();
}

// The rows of a lost group go to the writes again as they were made; they commit one by one, so they are lost no
// more. True when there were any.
bool RowLoop::writeAgainWhatWasLost()
{
    if (!writes_.hasRowsToWriteAgain())
        return false;
    while (writes_.hasRowsToWriteAgain()) {
        for (MadeRow& row : writes_.takeRowsToWriteAgain())
            writes_.add(std::move(row));
    }
    return true;
}

// The rows still waiting are sent and the last group committed; the counts are reported once more if that changed
// them.
void RowLoop::finishWrites()
{
    const ImportCounts before = counts_;
    do {
        writes_.finish();
    } while (writeAgainWhatWasLost());
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
