#pragma once
// A date written as ISO 8601 in a markup format ("2024-03-05", "2024-03-05T14:15:16[.000][Z]") in the text form the
// other formats give a date cell: yyyy-mm-dd, then hh:mm:ss when the time of day is not midnight; a time alone
// where the date is Excel's day zero (1899-12-31, 1899-12-30), as Excel writes a time.

#include <QString>

#include <optional>
#include <string_view>

namespace data {

std::optional<QString> isoDateText(std::string_view text);

} // namespace data
