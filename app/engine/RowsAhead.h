#pragma once
// The product rows of a sheet made on a helper thread, a few blocks ahead of the writes that take them in sheet
// order: reading the cells, trimming them, building the mnemonic codes and converting the numbers then costs the
// writes no time where a second core is free.

#include "BoundedQueue.h"
#include "MadeRow.h"
#include "ProductInsertion.h"

#include <functional>
#include <optional>
#include <vector>

namespace mnemonic {
class MnemonicEncoder;
}

namespace importer {

class CodeRepeats;
class ProductSheet;

// Makes one row of the sheet with the making thread's own encoder and its table of the codes seen so far.
using RowMaker = std::function<MadeRow(int row, mnemonic::MnemonicEncoder& mnemonics, CodeRepeats& codes)>;

// The maker of the sheet's rows; the sheet and the batch's values are only read, and outlive it.
RowMaker sheetRowMaker(const ProductSheet& sheet, bool phraseMnemonics, const BatchValues& batch);

class RowsAhead
{
public:
    // make is called on the helper thread, for the rows 0 .. rowCount - 1 in order.
    RowsAhead(int rowCount, RowMaker make);

    // The next row of the sheet, the caller's to take from until the next call; nothing after the last. Rethrows
    // what making a row threw, once the rows before it are taken.
    MadeRow* next();

private:
    using Block = std::vector<MadeRow>;

    void makeRows(std::stop_token stop, const RowMaker& make);

    const int rowCount_;
    Block taking_; // the block the writes take rows from
    std::size_t taken_ = 0;
    data::BoundedQueue<Block> ready_; // last: its helper stops before the rest goes
};

} // namespace importer
