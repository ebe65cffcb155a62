#pragma once
// How a large .xlsx sheet is read: its XML cut into pieces of whole rows that are parsed on several threads at once,
// read to the same cells as in one pass. The defaults suit every caller; tests cut ordinary sheets small.

#include <cstddef>

namespace data {

struct SheetReading
{
    std::size_t piecesFrom = std::size_t(4) << 20; // parts of at least this many bytes (inflated) are cut
    std::size_t pieceBytes = std::size_t(1) << 20; // a piece holds the rows of at least this many bytes
    int threads = 0;                               // parsing threads; 0: as many as the machine runs at once
};

} // namespace data
