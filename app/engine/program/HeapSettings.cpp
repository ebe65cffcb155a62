#include "engine/program/HeapSettings.h"

#include <cstdint>
#include <cstdlib> // first: it tells whether the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace importer {

#if defined(__GLIBC__)

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;
// The heap an import of a full .xls sheet uses: the workbook's bytes, its cells, the rows of a group and SQLite's
// page cache.
constexpr std::size_t kHeapReserve = 64 * kMiB;
constexpr std::uintptr_t kHugePage = 2 * kMiB;

} // namespace

// An import spent more time in page faults than in SQLite: its heap (the workbook's bytes, the cells, the rows of
// a group, SQLite's pages) was faulted in 4 KiB at a time, about 17,000 faults for a full .xls sheet, and large
// vectors grown by doubling were each mapped afresh. So (bench_import, perf stat -e page-faults):
// - no block is mapped by itself below 32 MiB (glibc's largest threshold) and the heap is never trimmed during a
//   run: what a run frees (a committed group's rows, a vector outgrown), the next rows reuse;
// - each thread keeps its own arena: with one arena for all, the writes wait for the lock while the helper thread
//   makes rows, which cost an update of matched products (many small allocations on the main thread) half its
//   time for no gain in a plain import (bench_import: 1.43x against 1.42x over ogr2ogr);
// - the heap is grown once now, by the reserve, and that range asked for transparent huge pages: a fault then
//   brings in 2 MiB instead of 4 KiB (some 1,300 faults a run instead). Without transparent huge pages (or with
//   "never") the advice does nothing; memory is taken only where it is touched either way.
void settleHeap()
{
    mallopt(M_MMAP_THRESHOLD, int(32 * kMiB));
    mallopt(M_TRIM_THRESHOLD, int(512 * kMiB));
    mallopt(M_TOP_PAD, int(kHeapReserve));
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Taken from the new top: the heap grows by it and the reserve. Volatile, or the compiler drops the pair.
    void* volatile grow = std::malloc(kHugePage);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    std::free(grow);
    const std::uintptr_t start = (before + kHugePage - 1) & ~(kHugePage - 1);
    if (after > start)
        madvise(reinterpret_cast<void*>(start), after - start, MADV_HUGEPAGE);
}

#else

void settleHeap() {}

#endif

} // namespace importer
