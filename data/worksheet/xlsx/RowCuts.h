#pragma once
// Where a worksheet part's XML may be cut so that each piece, a run of whole <row> elements, can be parsed on its own.
// Only a part in UTF-8 whose head (everything before the first row) holds no comment, CDATA section, processing
// instruction or document type is cut; a cut is made only before a row's start tag. A piece that is not a run of
// whole rows after all (a "<row" inside a comment, a row inside another element) fails to parse on its own, and the
// part is then read whole.

#include <cstddef>
#include <string>
#include <string_view>

namespace data::xlsx {

struct SheetHead
{
    enum class Verdict { NeedMore, Cuttable, NotCuttable };
    Verdict verdict = Verdict::NeedMore;
    std::size_t firstRow = 0; // where the first row's start tag begins
    std::string rowTag;       // "<row", or "<x:row" where the part writes its elements with a prefix
};

// Looks at the first bytes of the part; `complete` says they are all of it.
SheetHead findSheetHead(std::string_view bytes, bool complete);

// Where the first complete row start tag at or after `from` begins; npos when bytes hold none there.
std::size_t nextRowStart(std::string_view bytes, std::size_t from, std::string_view rowTag);

} // namespace data::xlsx
