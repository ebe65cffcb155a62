#include "worksheet/xlsx/PackageText.h"

#include "worksheet/SerialDates.h"

#include <charconv>
#include <cmath>

namespace data::xlsx {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

template <typename T> std::optional<T> number(std::string_view text)
{
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

QString decodedText(std::string_view utf8)
{
    if (utf8.find("_x") == std::string_view::npos)
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            int code = 0;
            bool hex = true;
            for (qsizetype k = i + 2; k < i + 6 && hex; ++k) {
                const char16_t c = text[k].unicode();
                const int digit = c < 128 ? hexDigit(char(c)) : -1;
                hex = digit >= 0;
                code = code * 16 + digit;
            }
            if (hex) {
                decoded += QChar(char16_t(code));
                i += 7;
                continue;
            }
        }
        decoded += text[i++];
    }
    // An escape may name half of a surrogate pair; one that is not paired names no character, and would reach the
    // stores as different texts (a server's driver pairs it with whatever follows): it reads as U+FFFD.
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        const QChar c = decoded.at(i);
        if (c.isHighSurrogate() && i + 1 < decoded.size() && decoded.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            decoded[i] = QChar::ReplacementCharacter;
    }
    return decoded;
}

// Its digits as a whole number over a power of ten are both exact in a double, and the quotient, rounded once, is
// the correctly rounded value, as from_chars gives it.
std::optional<double> shortDecimal(std::string_view text)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++i;
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = -1; // digits after the point; -1: no point
    int whole = 0;     // digits before it
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++count > 15)
                return std::nullopt;
            digits = digits * 10 + std::uint64_t(c - '0');
            if (decimals >= 0)
                ++decimals;
            else
                ++whole;
        } else if (c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (whole == 0 || decimals == 0)
        return std::nullopt; // "", "-", ".5", "5.": left to from_chars
    const double value = double(digits) / kPowersOfTen[decimals < 0 ? 0 : decimals];
    return negative ? -value : value;
}

std::optional<CellReference> parseCellReference(std::string_view text)
{
    std::size_t i = 0;
    std::uint32_t column = 0;
    while (i < text.size() && i < 4) {
        const char c = text[i];
        int letter;
        if (c >= 'A' && c <= 'Z')
            letter = c - 'A';
        else if (c >= 'a' && c <= 'z')
            letter = c - 'a';
        else
            break;
        column = column * 26 + static_cast<std::uint32_t>(letter) + 1;
        ++i;
    }
    if (i == 0 || column > kMaxColumns)
        return std::nullopt;
    const std::optional<std::uint32_t> row = parseRowNumber(text.substr(i));
    if (!row)
        return std::nullopt;
    return CellReference{*row, column - 1};
}

std::optional<std::uint32_t> parseRowNumber(std::string_view text)
{
    // Every cell's reference comes through here: digit by digit, where a search and a conversion cost several times
    // as much. Seven digits never overflow.
    if (text.empty() || text.size() > 7)
        return std::nullopt;
    std::uint32_t row = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        row = row * 10 + std::uint32_t(c - '0');
    }
    if (row == 0 || row > kMaxRows)
        return std::nullopt;
    return row - 1;
}

std::optional<double> isoDateSerial(std::string_view text, DateSystem system)
{
    double days = 0;
    double seconds = 0;
    const std::size_t t = text.find('T');
    std::string_view date = t == std::string_view::npos ? text : text.substr(0, t);
    std::string_view time = t == std::string_view::npos ? std::string_view() : text.substr(t + 1);
    if (t == std::string_view::npos && text.size() >= 3 && text[2] == ':') {
        date = {};
        time = text;
    }
    if (!date.empty()) {
        if (date.size() != 10 || date[4] != '-' || date[7] != '-')
            return std::nullopt;
        const auto year = number<int>(date.substr(0, 4));
        const auto month = number<unsigned>(date.substr(5, 2));
        const auto day = number<unsigned>(date.substr(8, 2));
        if (!year || !month || !day || !allDigits(date.substr(0, 4)))
            return std::nullopt;
        const auto serial =
            dateSerial(std::chrono::year(*year) / std::chrono::month(*month) / std::chrono::day(*day), system);
        if (!serial)
            return std::nullopt;
        days = static_cast<double>(*serial);
    }
    if (!time.empty()) {
        if (time.back() == 'Z')
            time.remove_suffix(1);
        if (time.size() < 8 || time[2] != ':' || time[5] != ':')
            return std::nullopt;
        const auto hours = number<unsigned>(time.substr(0, 2));
        const auto minutes = number<unsigned>(time.substr(3, 2));
        std::string_view secondsText = time.substr(6);
        const auto wholeSeconds = number<double>(secondsText);
        if (!hours || !minutes || !wholeSeconds || *hours > 23 || *minutes > 59 || *wholeSeconds < 0 ||
            *wholeSeconds >= 60 || !allDigits(secondsText.substr(0, 2)))
            return std::nullopt;
        seconds = *hours * 3600.0 + *minutes * 60.0 + *wholeSeconds;
    }
    return days + seconds / 86400.0;
}

std::optional<std::uint8_t> errorCode(std::string_view text)
{
    static constexpr struct
    {
        std::string_view text;
        std::uint8_t code;
    } kErrors[] = {{"#NULL!", 0x00}, {"#DIV/0!", 0x07}, {"#VALUE!", 0x0F}, {"#REF!", 0x17},
                   {"#NAME?", 0x1D}, {"#NUM!", 0x24},   {"#N/A", 0x2A},    {"#GETTING_DATA", 0x2B}};
    for (const auto& error : kErrors) {
        if (error.text == text)
            return error.code;
    }
    return std::nullopt;
}

} // namespace data::xlsx
