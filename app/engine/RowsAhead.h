#pragma once
// The product rows of a sheet made on a thread of their own, a few blocks ahead of the writes that take them in
// sheet order: reading the cells, trimming them, building the mnemonic codes and converting the numbers then costs
// the writes no time where a second core is free.

#include "CpxmColumns.h"
#include "ProductInsertion.h"
#include "WriteBatch.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace mnemonic {
class MnemonicEncoder;
}

namespace importer {

class CodeRepeats;
class ProductSheet;

// A row of the sheet as the writes take it: the code and name its log line would name, and its values for the
// store (nothing where a number did not convert, or the row has no code). The rest of the product row stays with
// the thread that made it, which also frees it.
struct MadeRow
{
    RowName name;
    std::optional<data::CpxmRow> values;
    // An earlier row of the sheet has the same code (Cpxm_bm is unique in the store's own schema): the store most
    // likely refuses this one. Only a hint for the batching (CodeRepeats.h).
    bool repeatsCode = false;
};

// Makes the row of the sheet: its fields, its values for the store, or the reason it fails before the store.
// codes, when given, tells the rows that repeat an earlier row's code.
MadeRow makeRow(const ProductSheet& sheet, int row, mnemonic::MnemonicEncoder& mnemonics, bool phraseMnemonics,
                const BatchValues& batch, CodeRepeats* codes = nullptr);

class RowsAhead
{
public:
    // The sheet and the batch's values are only read, and outlive this.
    RowsAhead(const ProductSheet& sheet, int rowCount, bool phraseMnemonics, const BatchValues& batch);
    ~RowsAhead(); // stops making rows nobody will take
    RowsAhead(const RowsAhead&) = delete;
    RowsAhead& operator=(const RowsAhead&) = delete;

    // The next row of the sheet, the caller's to take from until the next call; rethrows what making it threw.
    MadeRow& next();

private:
    struct Block
    {
        std::vector<MadeRow> rows;
        std::exception_ptr failure; // making the row after these threw
    };

    void run();

    const ProductSheet& sheet_;
    const int rowCount_;
    const bool phraseMnemonics_;
    const BatchValues& batch_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> ready_;
    bool stopping_ = false;
    Block taking_; // the block the writes take rows from
    std::size_t taken_ = 0;
    std::thread thread_; // last: it starts once everything above is in place
};

} // namespace importer
