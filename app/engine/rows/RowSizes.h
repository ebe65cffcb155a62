#pragma once
// How many rows the making threads make at a time, and how many threads make them, with the reasons.

#include <cstddef>

namespace importer::sizes {

// Rows made together: the hand-over between the threads is paid once per block, and one block is a few hundred
// kilobytes of values.
inline constexpr int kBlockRows = 256;
// Blocks made ahead of the writes, shared out among the making threads: enough to ride out a slow batch.
inline constexpr std::size_t kBlocksAhead = 8;
// Threads that make rows at most: making a row costs several times what writing it costs, so with two the writes
// no longer wait for rows on most sheets; more would mostly wait for the writes.
inline constexpr int kRowMakersMax = 2;

} // namespace importer::sizes
