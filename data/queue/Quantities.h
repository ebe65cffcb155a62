#pragma once
// How much work moves at a time on the way from the workbook to the store, each size with its reason. One word for
// each quantity, from the file to the store:
//   chunk  bytes of a zipped worksheet part, inflated on a helper thread
//   piece  whole rows of a worksheet part, parsed on one of the parsing threads
//   block  product rows made together on a helper thread, ahead of the writes
//   batch  rows sent to the store in one insert statement
//   group  batches committed together in one transaction

#include <chrono>
#include <cstddef>

namespace data::sizes {

// Large enough that the inflating thread and the parser hand over a few times a millisecond at most, small enough
// that the first cells are parsed while the rest inflates.
inline constexpr std::size_t kChunkBytes = std::size_t(1) << 18;
// Chunks inflated ahead: enough to ride out a slow parse, little memory.
inline constexpr std::size_t kChunksAhead = 4;

// Pieces given to the parsing threads beyond one each: a thread that is done never waits for the cutter.
inline constexpr std::size_t kPiecesAhead = 1;
// Room in the queues of pieces and of their results: the cutter itself keeps the pieces given and not taken to the
// threads and kPiecesAhead, so these never fill (queues sized to that bound measured some 4% slower on a
// million-row sheet).
inline constexpr std::size_t kPiecesQueued = 64;

// Rows made together: the hand-over between the threads is paid once per block, and one block is a few hundred
// kilobytes of values.
inline constexpr int kBlockRows = 256;
// Blocks made ahead of the writes, shared out among the making threads: enough to ride out a slow batch.
inline constexpr std::size_t kBlocksAhead = 8;
// Threads that make rows at most: making a row costs several times what writing it costs, so with two the writes
// no longer wait for rows on most sheets; more would mostly wait for the writes.
inline constexpr int kRowMakersMax = 2;

// Rows in one insert statement (the store's prepared sizes): SQLite takes a hundred rows of twenty values well
// under its parameter limit; through ODBC a hundred rows, on PostgreSQL five hundred as one array a column.
inline constexpr int kStatementRows = 100;
inline constexpr int kArrayStatementRows = 500;
// Rows whose stored products are looked up at once when a run matches rows to products already in the store: a
// select of some 1,500 codes, inside SQL Server's limit of 2,100 parameters with a few letters in use.
inline constexpr int kMatchRows = 500;

// A group is committed after this much work, so that the store waits for its disk a few times a second at most,
// while a fault loses little; and after this many rows at most, so that the rows a lost group hands back stay few.
inline constexpr std::chrono::milliseconds kGroupTime{250};
inline constexpr int kGroupRows = 20000;

} // namespace data::sizes
