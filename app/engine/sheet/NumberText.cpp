#include "engine/sheet/NumberText.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace importer {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Where the first significant digit stands, as a power of ten, plus the exponent: only used to tell an overflow
// from an underflow once the conversion has said that the value is out of range.
long long decimalMagnitude(const std::string& mantissa, long long exponent)
{
    const size_t point = mantissa.find('.');
    const size_t integerDigits = point == std::string::npos ? mantissa.size() : point;
    long long magnitude = 0;
    bool found = false;
    for (size_t i = 0; i < mantissa.size() && !found; ++i) {
        const char c = mantissa[i];
        if (c == '.' || c == '0')
            continue;
        found = true;
        magnitude = i < integerDigits ? static_cast<long long>(integerDigits - i - 1)
                                      : -static_cast<long long>(i - integerDigits);
    }
    return magnitude + exponent;
}

} // namespace

std::optional<double> parseNumberText(QStringView text, QStringView decimalSeparator)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    auto skipBlanks = [&] {
        while (i < size && text[i] == u' ')
            ++i;
    };

    skipBlanks();
    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    // The mantissa, rewritten with a point so that the conversion below needs no locale.
    std::string mantissa;
    int digits = 0;
    bool separatorSeen = false;
    while (i < size) {
        if (isDigit(text[i])) {
            mantissa += char(text[i].unicode());
            ++digits;
            ++i;
        } else if (!separatorSeen && !decimalSeparator.isEmpty() && text.sliced(i).startsWith(decimalSeparator)) {
            mantissa += '.';
            separatorSeen = true;
            i += decimalSeparator.size();
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;

    // The exponent, kept apart and clamped: a thousand-digit exponent must not overflow anything here.
    long long exponent = 0;
    bool hasExponent = false;
    if (i < size && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool exponentNegative = false;
        if (i < size && (text[i] == u'+' || text[i] == u'-')) {
            exponentNegative = text[i] == u'-';
            ++i;
        }
        int exponentDigits = 0;
        while (i < size && isDigit(text[i])) {
            exponent = std::min<long long>(exponent * 10 + (text[i].unicode() - u'0'), 1'000'000'000LL);
            ++exponentDigits;
            ++i;
        }
        if (exponentDigits == 0)
            return std::nullopt;
        if (exponentNegative)
            exponent = -exponent;
        hasExponent = true;
    }

    skipBlanks();
    if (i != size)
        return std::nullopt;

    std::string number = mantissa;
    if (hasExponent)
        number += 'e' + std::to_string(exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (decimalMagnitude(mantissa, exponent) >= 0)
            return std::nullopt; // beyond the largest double
        value = 0.0;             // below the smallest subnormal: rounds to zero
    } else if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

double numberFromText(const QString& text)
{
    return numberFromText(QLocale::system().decimalPoint(), text);
}

double numberFromText(const QString& separator, const QString& text)
{
    const std::optional<double> value = parseNumberText(text, separator);
    if (!value) {
        throw NumberTextError(QStringLiteral("\"%1\" is not a number: write digits with at most one \"%2\" and "
                                             "no grouping, currency or percent signs")
                                  .arg(text, separator));
    }
    return *value;
}

} // namespace importer
