#pragma once
// The small texts inside a workbook package's XML: text with _xHHHH_ escapes, cell references like "AB12", ISO
// dates of t="d" cells, and error texts.

#include "worksheet/CellFormats.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

namespace data::xlsx {

// The UTF-8 text with every _xHHHH_ replaced by the character it names ("_x005F_" keeps a literal "_x...").
QString decodedText(std::string_view utf8);

struct CellReference
{
    std::uint32_t row;    // 0-based
    std::uint32_t column; // 0-based
};
// "A1" to "XFD1048576" (letters in either case); nothing for anything else, past the last row or column too.
std::optional<CellReference> parseCellReference(std::string_view text);
// A 1-based row number as in <row r="12">, 0-based; nothing past row 1,048,576 or for anything not a number.
std::optional<std::uint32_t> parseRowNumber(std::string_view text);

// A decimal of at most 15 digits without an exponent ("104.09", "-3", "43832"), as nearly every number cell holds, at
// a fraction of from_chars's cost and to the same value; nothing for any other text (from_chars reads it).
std::optional<double> shortDecimal(std::string_view text);

// "2024-03-05", "2024-03-05T14:15:16[.fff][Z]" or a time "14:15:16" as a serial day number of the date system;
// nothing when the text is no such date or the date system cannot show it.
std::optional<double> isoDateSerial(std::string_view text, DateSystem system);

// The code of an error text (#DIV/0! ...) as the BIFF records hold it; nothing for a text that is no error.
std::optional<std::uint8_t> errorCode(std::string_view text);

inline constexpr std::uint32_t kMaxRows = 1048576;
inline constexpr std::uint32_t kMaxColumns = 16384;

} // namespace data::xlsx
