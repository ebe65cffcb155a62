#include "RowsAhead.h"

#include "CodeRepeats.h"
#include "MnemonicEncoder.h"
#include "ProductRow.h"
#include "ProductSheet.h"
#include "Quantities.h"

#include <algorithm>

namespace importer {

namespace {

// Makes the row of the sheet: its fields, its values for the store, or the reason it fails before the store; codes
// tells the rows that repeat an earlier row's code.
MadeRow makeRow(const ProductSheet& sheet, int row, mnemonic::MnemonicEncoder& mnemonics, bool phraseMnemonics,
                const BatchValues& batch, CodeRepeats& codes)
{
    const ProductRow product = fillProductRow(sheet, row, mnemonics, phraseMnemonics, batch.mnemonicWidth);
    MadeRow made;
    made.sheetRow = row;
    made.code = product.Code;
    made.name = product.Name;
    if (product.Code.isEmpty())
        return made;
    const int earlier = codes.earlierRow(product.Code, row);
    made.repeatsCode = earlier >= 0;
    // The hash may be another code's: the earlier row is named only when its code is this one.
    if (earlier >= 0 && trimControls(sheet.cellText(earlier, ProductColumn::Code)) == product.Code)
        made.earlierRow = sheet.sheetRowNumber(earlier);
    makeValues(made, product, batch, [&sheet](ProductColumn field) { return sheet.headerText(field); });
    return made;
}

} // namespace

RowMaker sheetRowMaker(const ProductSheet& sheet, bool phraseMnemonics, const BatchValues& batch)
{
    return [&sheet, phraseMnemonics, &batch](int row, mnemonic::MnemonicEncoder& mnemonics, CodeRepeats& codes) {
        return makeRow(sheet, row, mnemonics, phraseMnemonics, batch, codes);
    };
}

RowsAhead::RowsAhead(int rowCount, RowMaker make) : rowCount_(rowCount), ready_(data::sizes::kBlocksAhead)
{
    ready_.produce([this, make = std::move(make)](std::stop_token stop) { makeRows(stop, make); });
}

void RowsAhead::makeRows(std::stop_token stop, const RowMaker& make)
{
    mnemonic::MnemonicEncoder mnemonics; // this thread's own GBK converter
    CodeRepeats codes(rowCount_);
    for (int first = 0; first < rowCount_; first += data::sizes::kBlockRows) {
        const int end = std::min(rowCount_, first + data::sizes::kBlockRows);
        Block block;
        block.reserve(std::size_t(end - first));
        try {
            for (int row = first; row < end; ++row)
                block.push_back(make(row, mnemonics, codes));
        } catch (...) {
            // The rows made before the failure are handed over first; the queue then ends with the failure.
            if (!block.empty())
                ready_.push(std::move(block), stop);
            throw;
        }
        if (!ready_.push(std::move(block), stop))
            return; // nobody takes the rows any more
    }
}

MadeRow* RowsAhead::next()
{
    while (taken_ == taking_.size()) {
        std::optional<Block> block = ready_.pop();
        if (!block)
            return nullptr;
        taking_ = std::move(*block);
        taken_ = 0;
    }
    return &taking_[taken_++];
}

} // namespace importer
