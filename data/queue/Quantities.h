#pragma once
// How much the reader and the store move at a time, each size with its reason. The words for each quantity, from
// the file to the store (the engine's own sizes are beside the code they steer: engine/rows/RowSizes.h for blocks,
// engine/writes/WriteSizes.h for groups):
//   chunk  bytes of a zipped worksheet part, inflated on a helper thread
//   piece  whole rows of a worksheet part, parsed on one of the parsing threads
//   block  product rows made together on a helper thread, ahead of the writes
//   batch  rows sent to the store in one insert statement
//   group  batches committed together in one transaction

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

// Rows in one insert statement (the store's prepared sizes): SQLite takes a hundred rows of twenty values well
// under its parameter limit; through ODBC a hundred rows, on PostgreSQL five hundred as one array a column.
inline constexpr int kStatementRows = 100;
inline constexpr int kArrayStatementRows = 500;
} // namespace data::sizes
