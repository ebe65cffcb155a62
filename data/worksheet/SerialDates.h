#pragma once
// Excel's two date systems: a date is a serial number of days, counted from the end of 1899 in the 1900 system
// (which, as Lotus 1-2-3 did, also counts a 29 February 1900 that never was) or from 1904-01-01 in the 1904 system
// of early Macintosh Excel. Both formats turn serials and days into each other here alone.

#include <chrono>
#include <optional>

namespace data {

enum class DateSystem { From1900, From1904 };

// The serial of 9999-12-31, the last day Excel shows: 2958465 in the 1900 system, 2957003 in the 1904 system.
long long lastSerial(DateSystem system);

// The day of a whole serial number from 0 to lastSerial(system); nothing outside that range. In the 1900 system
// serial 0 is 1899-12-31 (Excel's "1900-01-00"), 1 is 1900-01-01 and 60 is 1900-02-29, the one day returned that is
// not ok(); in the 1904 system serial 0 is 1904-01-01.
std::optional<std::chrono::year_month_day> serialDate(long long serial, DateSystem system);

// The serial number of a day, the inverse of serialDate; nothing for a day that does not exist (1900-02-29 does, in
// the 1900 system) or that the system cannot show.
std::optional<long long> dateSerial(std::chrono::year_month_day date, DateSystem system);

} // namespace data
