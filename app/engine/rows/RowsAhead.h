#pragma once
// The product rows of a sheet made on helper threads, a few blocks ahead of the writes that take them in sheet
// order: reading the cells, trimming them, building the mnemonic codes and converting the numbers then costs the
// writes no time, and where more cores are free the rows are made on more than one at once.
//
// Each making thread takes every n-th block (of n threads) and hands them over in its own queue; the taker takes
// the blocks from the queues in turn, so the rows come in sheet order. What depends on the rows before (whether
// a row repeats the code of an earlier one) is told on the taking thread, as each row is taken.

#include "engine/rows/CodeRepeats.h"
#include "engine/rows/MadeRow.h"
#include "engine/rows/ProductRow.h"
#include "engine/rows/ProductValues.h"
#include "engine/rows/RowSizes.h"
#include "engine/rows/RowValues.h"
#include "mnemonic/MnemonicEncoder.h"
#include "queue/BoundedQueue.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace importer {

class ProductSheet;

// What a making thread keeps for the rows it makes: its own GBK converter (making one costs more than using it),
// the row its cells are read into, one row after another, and the slabs its rows' values go in, a block's rows a
// slab.
struct MakingTools
{
    mnemonic::MnemonicEncoder mnemonics;
    ProductRow cells;
    ValueSlabs values{std::size_t(sizes::kBlockRows)};
};

// Makes one row of the sheet with the making thread's own tools; called on several threads at once, each row once.
using RowMaker = std::function<MadeRow(int row, MakingTools& tools)>;
// Tells a made row whether it repeats the code of an earlier row, codes holding those of the rows before it.
using RepeatMarker = std::function<void(MadeRow& row, CodeRepeats& codes)>;

// The maker of the sheet's rows; the sheet and the run.s values are only read, and outlive it.
RowMaker sheetRowMaker(const ProductSheet& sheet, bool phraseMnemonics, const RunValues& runValues);
// Marks a row whose code an earlier row of the sheet had, and names that row where its code is the same text.
RepeatMarker sheetRepeatMarker(const ProductSheet& sheet);

// The making threads to use on this machine: one a core, up to sizes::kRowMakersMax (the taker mostly waits).
int rowMakersHere();

class RowsAhead
{
public:
    // make is called on the making threads (makers of them), for the rows 0 .. rowCount - 1; mark, where given, on
    // the taking thread in sheet order.
    RowsAhead(int rowCount, RowMaker make, RepeatMarker mark = {}, int makers = rowMakersHere());

    // The next row of the sheet, the caller's to take from until the next call; nothing after the last. Rethrows
    // what making a row threw, once the rows before it are taken.
    MadeRow* next();
    // A row taken before, made again on the taking thread (the writes lost its group): the same row as then.
    MadeRow makeAgain(int row);

private:
    using Block = std::vector<MadeRow>;
    using BlockQueue = data::BoundedQueue<Block>;

    void makeRows(std::stop_token stop, const RowMaker& make, int firstBlock);
    int blockRows(int block) const;
    bool takeBlock();

    const int rowCount_;
    const int makers_;
    RowMaker make_;
    RepeatMarker mark_;
    std::optional<MakingTools> againTools_; // the taking thread's, made when first needed
    CodeRepeats codes_;
    Block taking_; // the block the writes take rows from
    std::size_t taken_ = 0;
    int nextBlock_ = 0;
    bool ended_ = false;
    BlockQueue* failedAfter_ = nullptr; // the queue of a short block being taken
    // Blocks taken, emptied and handed back to the thread that made them, a queue a thread: their storage is used
    // again rather than released and taken anew, which costs the making threads' heaps a consolidation each time.
    std::vector<std::unique_ptr<BlockQueue>> spare_;
    std::vector<std::unique_ptr<BlockQueue>> ready_; // a queue a making thread; last: they stop before the rest goes
};

} // namespace importer
