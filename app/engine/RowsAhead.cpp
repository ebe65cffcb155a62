#include "RowsAhead.h"

#include "CodeRepeats.h"
#include "MnemonicEncoder.h"
#include "NumberText.h"
#include "ProductRow.h"
#include "ProductSheet.h"

#include <algorithm>

namespace importer {

namespace {

constexpr int kBlockRows = 256;
constexpr std::size_t kBlocksAhead = 8;

} // namespace

MadeRow makeRow(const ProductSheet& sheet, int row, mnemonic::MnemonicEncoder& mnemonics, bool phraseMnemonics,
                const BatchValues& batch, CodeRepeats* codes)
{
    MadeRow made;
    const ProductRow product = fillProductRow(sheet, row, mnemonics, phraseMnemonics, batch.mnemonicWidth);
    made.name = RowName{product.Code, product.Name, QString(), 0};
    if (product.Code.isEmpty())
        return made;
    if (codes) {
        const int earlier = codes->earlierRow(product.Code, row);
        made.repeatsCode = earlier >= 0;
        // The hash may be another code's: the earlier row is named only when its code is this one.
        if (earlier >= 0 && trimControls(sheet.cellText(earlier, ProductColumn::Code)) == product.Code)
            made.name.earlierRow = sheet.sheetRowNumber(earlier);
    }
    try {
        made.values = productValues(product, batch);
    } catch (const NumberTextError&) {
        // counted and logged as failed when the writes take the row
        made.name.reason =
            numberProblem(product, batch, [&sheet](ProductColumn field) { return sheet.headerText(field); });
    } catch (const RowValueError& error) {
        made.name.reason = error.reason();
    }
    return made;
}

RowsAhead::RowsAhead(const ProductSheet& sheet, int rowCount, bool phraseMnemonics, const BatchValues& batch)
    : sheet_(sheet), rowCount_(rowCount), phraseMnemonics_(phraseMnemonics), batch_(batch), thread_([this] { run(); })
{
}

RowsAhead::~RowsAhead()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void RowsAhead::run()
{
    mnemonic::MnemonicEncoder mnemonics; // this thread's own GBK converter
    CodeRepeats codes(rowCount_);
    for (int first = 0; first < rowCount_; first += kBlockRows) {
        Block block;
        const int end = std::min(rowCount_, first + kBlockRows);
        block.rows.reserve(static_cast<std::size_t>(end - first));
        try {
            for (int row = first; row < end; ++row)
                block.rows.push_back(makeRow(sheet_, row, mnemonics, phraseMnemonics_, batch_, &codes));
        } catch (...) {
            block.failure = std::current_exception();
        }
        const bool failed = block.failure != nullptr;
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return ready_.size() < kBlocksAhead || stopping_; });
        if (stopping_)
            return;
        ready_.push_back(std::move(block));
        changed_.notify_all();
        if (failed)
            return;
    }
}

MadeRow& RowsAhead::next()
{
    while (taken_ == taking_.rows.size()) {
        if (taking_.failure)
            std::rethrow_exception(taking_.failure);
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !ready_.empty(); });
        taking_ = std::move(ready_.front());
        ready_.pop_front();
        taken_ = 0;
        changed_.notify_all();
    }
    return taking_.rows[taken_++];
}

} // namespace importer
