#pragma once
// How the C library's heap serves an import: set once at the start of each program that imports (the window,
// product-import-cli, and the benchmarks' children that measure them), before the first thread.

namespace importer {

// Keeps the heap's memory for the whole run and backs it with huge pages where the system offers them; nothing
// where the C library is not glibc.
void settleHeap();

} // namespace importer
