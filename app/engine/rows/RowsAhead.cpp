#include "engine/rows/RowsAhead.h"

#include "engine/rows/ProductRow.h"
#include "engine/rows/RowSizes.h"
#include "engine/sheet/CellText.h"
#include "engine/sheet/ProductSheet.h"

#include <algorithm>
#include <thread>

namespace importer {

namespace {

// Makes the row of the sheet: its fields, its values for the store, or the reason it fails before the store.
MadeRow makeRow(const ProductSheet& sheet, int row, MakingTools& tools, bool phraseMnemonics,
                const RunValues& runValues)
{
    ProductRow& product = tools.cells;
    fillProductRow(product, sheet, row, tools.mnemonics, phraseMnemonics, runValues.mnemonicWidth);
    MadeRow made;
    made.sheetRow = row;
    made.code = product.Code;
    made.name = product.Name;
    if (product.Code.isEmpty())
        return made;
    made.codeHash = CodeRepeats::hashOf(made.code);
    makeValues(made, product, runValues, tools.values,
               [&sheet](ProductColumn field) { return sheet.headerText(field); });
    return made;
}

} // namespace

RowMaker sheetRowMaker(const ProductSheet& sheet, bool phraseMnemonics, const RunValues& runValues)
{
    return [&sheet, phraseMnemonics, &runValues](int row, MakingTools& tools) {
        return makeRow(sheet, row, tools, phraseMnemonics, runValues);
    };
}

RepeatMarker sheetRepeatMarker(const ProductSheet& sheet)
{
    return [&sheet](MadeRow& made, CodeRepeats& codes) {
        if (made.code.isEmpty())
            return;
        const int earlier =
            codes.earlierRow(made.codeHash != 0 ? made.codeHash : CodeRepeats::hashOf(made.code), made.sheetRow);
        made.repeatsCode = earlier >= 0;
        // The hash may be another code's: the earlier row is named only when its code is this one.
        if (earlier >= 0 && trimControls(sheet.cellText(earlier, ProductColumn::Code)) == made.code)
            made.earlierRow = sheet.sheetRowNumber(earlier);
    };
}

int rowMakersHere()
{
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, sizes::kRowMakersMax);
}

RowsAhead::RowsAhead(int rowCount, RowMaker make, RepeatMarker mark, int makers)
    : rowCount_(rowCount), makers_(std::clamp(makers, 1, sizes::kRowMakersMax)), make_(std::move(make)),
      mark_(std::move(mark)), codes_(mark_ ? rowCount : 0)
{
    // The blocks ahead are shared out: as many wait with one thread as with several.
    const std::size_t room = std::max<std::size_t>(1, sizes::kBlocksAhead / std::size_t(makers_));
    for (int i = 0; i < makers_; ++i) {
        spare_.push_back(std::make_unique<BlockQueue>(room + 2)); // never full: as many as a thread has out
        ready_.push_back(std::make_unique<BlockQueue>(room));
    }
    for (int i = 0; i < makers_; ++i)
        ready_[std::size_t(i)]->produce([this, make = make_, i](std::stop_token stop) { makeRows(stop, make, i); });
}

int RowsAhead::blockRows(int block) const
{
    return std::min(sizes::kBlockRows, rowCount_ - block * sizes::kBlockRows);
}

void RowsAhead::makeRows(std::stop_token stop, const RowMaker& make, int firstBlock)
{
    MakingTools tools;
    BlockQueue& ready = *ready_[std::size_t(firstBlock)];
    BlockQueue& spare = *spare_[std::size_t(firstBlock)];
    for (int block = firstBlock; block < (rowCount_ + sizes::kBlockRows - 1) / sizes::kBlockRows; block += makers_) {
        const int first = block * sizes::kBlockRows;
        const int end = first + blockRows(block);
        Block rows = spare.tryPop().value_or(Block{});
        rows.reserve(std::size_t(end - first));
        try {
            for (int row = first; row < end; ++row)
                rows.push_back(make(row, tools));
        } catch (...) {
            // The rows made before the failure are handed over first, a block short of its rows; the queue then
            // ends with the failure.
            if (!rows.empty())
                ready.push(std::move(rows), stop);
            throw;
        }
        if (!ready.push(std::move(rows), stop))
            return; // nobody takes the rows any more
    }
}

// The next block in sheet order, from the queue of the thread that made it. A block short of its rows ends the
// rows: its thread failed after them, and once they are taken its queue says why.
bool RowsAhead::takeBlock()
{
    if (BlockQueue* failed = std::exchange(failedAfter_, nullptr)) {
        ended_ = true;
        failed->pop(); // rethrows the failure
        return false;
    }
    if (ended_ || nextBlock_ * sizes::kBlockRows >= rowCount_)
        return false;
    BlockQueue& ready = *ready_[std::size_t(nextBlock_ % makers_)];
    std::optional<Block> block = ready.pop();
    if (!block) {
        ended_ = true;
        return false;
    }
    if (int(block->size()) < blockRows(nextBlock_))
        failedAfter_ = &ready;
    if (nextBlock_ > 0) {
        taking_.clear();
        spare_[std::size_t((nextBlock_ - 1) % makers_)]->push(std::move(taking_));
    }
    ++nextBlock_;
    taking_ = std::move(*block);
    taken_ = 0;
    if (mark_) {
        for (const MadeRow& row : taking_) {
            if (row.codeHash != 0)
                codes_.prefetch(row.codeHash);
        }
    }
    return true;
}

MadeRow* RowsAhead::next()
{
    while (taken_ == taking_.size()) {
        if (!takeBlock())
            return nullptr;
    }
    MadeRow& row = taking_[taken_++];
    if (mark_)
        mark_(row, codes_);
    return &row;
}

MadeRow RowsAhead::makeAgain(int row)
{
    if (!againTools_)
        againTools_.emplace();
    MadeRow made = make_(row, *againTools_);
    if (mark_)
        mark_(made, codes_); // its code is known already: a repeat only of a row before it, as when first taken
    return made;
}

} // namespace importer
