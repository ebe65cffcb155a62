#include "worksheet/CellFormats.h"

#include <charconv>
#include <cmath>

namespace data {

namespace {

// units / 10^decimals, with no trailing zeros (the caller's fewest decimals have none); an integer when decimals
// is 0.
QStringView fixedDecimals(long long units, int decimals, QChar decimalPoint, ValueChars& text)
{
    qsizetype length = 0;
    if (units < 0)
        text[length++] = u'-';
    unsigned long long rest = units < 0 ? 0ULL - static_cast<unsigned long long>(units) : units;
    char16_t digits[20];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + rest % 10);
        rest /= 10;
    } while (rest > 0 || count <= decimals);
    for (int i = count - 1; i >= 0; --i) {
        text[length++] = QChar(digits[i]);
        if (i == decimals && decimals > 0)
            text[length++] = decimalPoint;
    }
    return QStringView(text.data(), length);
}

} // namespace

QString generalNumberText(double value, QChar decimalPoint)
{
    ValueChars chars;
    return generalNumberText(value, decimalPoint, chars).toString();
}

QStringView generalNumberText(double value, QChar decimalPoint, ValueChars& text)
{
    if (!std::isfinite(value))
        return u"#NUM!";
    if (value == 0)
        return u"0"; // also -0
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return fixedDecimals(static_cast<long long>(value), 0, decimalPoint, text);

    if (const double magnitude = std::fabs(value); magnitude >= 1e-4 && magnitude < 1e15) {
        // Most prices have a few decimals: find the fewest that give the value back exactly and write them
        // out; that is the same text as rounding to 15 significant digits.
        double scale = 1;
        for (int decimals = 1; decimals <= 15; ++decimals) {
            scale *= 10;
            const double scaled = std::round(value * scale);
            if (std::fabs(scaled) >= 1e15)
                break;
            if (scaled / scale == value)
                return fixedDecimals(static_cast<long long>(scaled), decimals, decimalPoint, text);
        }
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    qsizetype length = 0;
    for (const char* c = buffer; c != result.ptr; ++c)
        text[length++] = *c == 'e' ? QChar(u'E') : *c == '.' ? decimalPoint : QChar(char16_t(*c));
    return QStringView(text.data(), length);
}

QString dateText(double serial, DateSystem system)
{
    ValueChars chars;
    return dateText(serial, system, chars).toString();
}

QStringView dateText(double serial, DateSystem system, ValueChars& text)
{
    if (!std::isfinite(serial) || serial < 0 || serial >= static_cast<double>(lastSerial(system) + 1))
        return {};
    long long days = static_cast<long long>(serial);
    long long seconds = std::llround((serial - static_cast<double>(days)) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    qsizetype length = 0;
    const auto put = [&](unsigned value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            text[length + i] = QChar(char16_t(u'0' + value % 10));
        length += digits;
    };
    if (days > 0) {
        const std::optional<std::chrono::year_month_day> date = serialDate(days, system);
        if (!date)
            return {}; // rounded past the last day
        put(static_cast<unsigned>(static_cast<int>(date->year())), 4);
        text[length++] = u'-';
        put(static_cast<unsigned>(date->month()), 2);
        text[length++] = u'-';
        put(static_cast<unsigned>(date->day()), 2);
        if (seconds == 0)
            return QStringView(text.data(), length);
        text[length++] = u' ';
    }
    put(static_cast<unsigned>(seconds / 3600), 2);
    text[length++] = u':';
    put(static_cast<unsigned>(seconds / 60 % 60), 2);
    text[length++] = u':';
    put(static_cast<unsigned>(seconds % 60), 2);
    return QStringView(text.data(), length);
}

QStringView errorText(std::uint8_t code)
{
    switch (code) {
    case 0x00:
        return u"#NULL!";
    case 0x07:
        return u"#DIV/0!";
    case 0x0F:
        return u"#VALUE!";
    case 0x17:
        return u"#REF!";
    case 0x1D:
        return u"#NAME?";
    case 0x24:
        return u"#NUM!";
    case 0x2A:
        return u"#N/A";
    case 0x2B:
        return u"#GETTING_DATA";
    default:
        return u"#N/A";
    }
}

bool isBuiltInDateFormat(int formatIndex)
{
    return (formatIndex >= 14 && formatIndex <= 22) || (formatIndex >= 27 && formatIndex <= 36) ||
           (formatIndex >= 45 && formatIndex <= 47) || (formatIndex >= 50 && formatIndex <= 58);
}

bool isDateFormatString(QStringView format)
{
    // General format and the scientific and text formats hold letters that are no date parts.
    int dateParts = 0;
    int digitParts = 0;
    enum { Plain, Quoted, Escaped, Bracketed } state = Plain;
    QString plain;
    for (const QChar c : format) {
        switch (state) {
        case Quoted:
            if (c == u'"')
                state = Plain;
            continue;
        case Escaped:
            state = Plain;
            continue;
        case Bracketed:
            if (c == u']')
                state = Plain;
            continue;
        case Plain:
            break;
        }
        if (c == u'"')
            state = Quoted;
        else if (c == u'\\' || c == u'_' || c == u'*')
            state = Escaped; // the next character is shown (or padded) as it stands
        else if (c == u'[')
            state = Bracketed; // [Red], [$-804], [h] and conditions
        else
            plain += c;
    }
    if (plain.compare(u"General", Qt::CaseInsensitive) == 0 || plain == u"@")
        return false;
    for (const QChar c : plain) {
        switch (c.toLower().unicode()) {
        case u'y':
        case u'm':
        case u'd':
        case u'h':
        case u's':
            ++dateParts;
            break;
        case u'0':
        case u'#':
        case u'?':
            ++digitParts;
            break;
        default:
            break;
        }
    }
    return dateParts > digitParts;
}

} // namespace data
