#include "worksheet/IsoDateText.h"

#include <algorithm>

namespace data {

std::optional<QString> isoDateText(std::string_view text)
{
    const auto digits = [&](std::size_t at, std::size_t n) {
        return at + n <= text.size() &&
               std::all_of(text.begin() + at, text.begin() + at + n, [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(0, 4) || text.size() < 10 || text[4] != '-' || !digits(5, 2) || text[7] != '-' || !digits(8, 2))
        return std::nullopt;
    const std::string_view day = text.substr(0, 10);
    if (text.size() == 10)
        return QString::fromLatin1(day.data(), 10);
    if (text[10] != 'T' || text.size() < 19 || !digits(11, 2) || text[13] != ':' || !digits(14, 2) || text[16] != ':' ||
        !digits(17, 2))
        return std::nullopt;
    const std::string_view time = text.substr(11, 8);
    if (day == "1899-12-31" || day == "1899-12-30")
        return QString::fromLatin1(time.data(), 8);
    if (time == "00:00:00")
        return QString::fromLatin1(day.data(), 10);
    return QString::fromLatin1(day.data(), 10) + u' ' + QString::fromLatin1(time.data(), 8);
}

} // namespace data
