#include "worksheet/SerialDates.h"

namespace data {

namespace {

using namespace std::chrono;

constexpr year_month_day kLastDay = year(9999) / December / 31;
// Counted by the 1900 system, so that serials from 61 on count from 1899-12-30 and those below 60 from 1899-12-31.
constexpr year_month_day kFictitiousDay = year(1900) / February / 29;
constexpr long long kFictitiousSerial = 60;

constexpr sys_days dayZero(DateSystem system)
{
    return system == DateSystem::From1904 ? sys_days(year(1904) / January / 1) : sys_days(year(1899) / December / 30);
}

} // namespace

long long lastSerial(DateSystem system)
{
    return (sys_days(kLastDay) - dayZero(system)).count();
}

std::optional<year_month_day> serialDate(long long serial, DateSystem system)
{
    if (serial < 0 || serial > lastSerial(system))
        return std::nullopt;
    if (system == DateSystem::From1900) {
        if (serial == kFictitiousSerial)
            return kFictitiousDay;
        if (serial < kFictitiousSerial)
            ++serial;
    }
    return year_month_day(dayZero(system) + days(serial));
}

std::optional<long long> dateSerial(year_month_day date, DateSystem system)
{
    const bool from1900 = system == DateSystem::From1900;
    if (from1900 && date == kFictitiousDay)
        return kFictitiousSerial;
    if (!date.ok())
        return std::nullopt;
    long long serial = (sys_days(date) - dayZero(system)).count();
    if (from1900 && serial <= kFictitiousSerial)
        --serial;
    if (serial < 0 || serial > lastSerial(system))
        return std::nullopt;
    return serial;
}

} // namespace data
