#pragma once
// How the C library's heap serves an import: set once at program start, before the first thread.

namespace cli {

// Keeps the heap's memory for the whole run and backs it with huge pages where the system offers them; nothing
// where the C library is not glibc.
void settleHeap();

} // namespace cli
