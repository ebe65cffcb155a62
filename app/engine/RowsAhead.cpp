#include "RowsAhead.h"

#include "CodeRepeats.h"
#include "MnemonicEncoder.h"
#include "NumberText.h"
#include "ProductRow.h"

#include <algorithm>

namespace importer {

namespace {

constexpr int kBlockRows = 256;
constexpr std::size_t kBlocksAhead = 8;

} // namespace

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
            for (int row = first; row < end; ++row) {
                MadeRow& made = block.rows.emplace_back();
                const ProductRow product =
                    fillProductRow(sheet_, row, mnemonics, phraseMnemonics_, batch_.mnemonicWidth);
                made.name = RowName{product.Code, product.Name, QString()};
                if (product.Code.isEmpty())
                    continue;
                made.repeatsCode = codes.repeats(product.Code);
                try {
                    made.values = productValues(product, batch_);
                } catch (const NumberTextError&) {
                    // counted and logged as failed when the writes take the row
                } catch (const RowValueError& error) {
                    made.name.reason = error.reason();
                }
            }
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
