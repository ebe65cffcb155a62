#pragma once
// A large worksheet part read in pieces of whole rows, parsed on several threads at once and put together in order:
// the same cells as one pass over the part gives, in a fraction of the time where cores are free.

#include "worksheet/SheetReading.h"
#include "worksheet/WorkbookData.h"

#include <gsf/gsf-input.h>

namespace data::xlsx {

// Reads the part into sheet with that many parsing threads. Returns false when the part has to be read in one pass
// after all: a part that cannot be cut (not UTF-8, a comment before the first row, ...), or a piece that did not
// parse on its own (damage, or what only looked like a row), whose part one pass then reads or refuses as it would
// anyway. The sheet then holds nothing of the attempt. Throws PackageError for damage before the first piece or
// after the last, where one pass meets it too. inOrder: whether the cells came in row and column order.
bool readInPieces(GsfInput* part, WorksheetData& sheet, const WorkbookData& book, const SheetReading& reading,
                  int threads, bool& inOrder);

} // namespace data::xlsx
