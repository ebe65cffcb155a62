#pragma once
// How a cell's value becomes the text the import reads: numbers in general format, dates, error codes, and which
// number formats show a date.

#include "worksheet/SerialDates.h"

#include <QString>
#include <QStringView>

#include <QStringView>

#include <algorithm>
#include <array>
#include <cstdint>

namespace data {

// Room for the text of any number, date or time a cell holds.
using ValueChars = std::array<QChar, 32>;

// Up to 15 significant digits, no trailing zeros, the given decimal separator; exponent form ("1.5E+16",
// "1E-05") where general format uses it: 16 or more digits before the point, or very small numbers.
QString generalNumberText(double value, QChar decimalPoint);
// The same written into chars: a reader of many cells allocates nothing for it.
QStringView generalNumberText(double value, QChar decimalPoint, ValueChars& chars);

// yyyy-mm-dd, with " hh:mm:ss" when the value has a time of day; a value below one day is the time alone.
// Excel's own reading of the 1900 system: serial 60 is 1900-02-29, which that system counts as a day.
// Empty where the serial is no date Excel can show (negative, past 9999-12-31 or not finite).
QString dateText(double serial, DateSystem system);
QStringView dateText(double serial, DateSystem system, ValueChars& chars);

// Sets text to these characters, its storage used again where it has room and is its own: row after row of cells
// read into the same strings allocates only where a text outgrows them. Empty characters leave a null text null.
inline void assignText(QString& text, QStringView characters)
{
    if (characters.isEmpty()) {
        text.truncate(0);
        return;
    }
    text.resize(characters.size());
    std::copy(characters.begin(), characters.end(), text.data());
}

// The text Excel shows for an error code (#DIV/0!, #N/A, ...).
QStringView errorText(std::uint8_t code);

// Built-in number formats that show a date or time (14-22, 45-47 and the East Asian 27-36, 50-58).
bool isBuiltInDateFormat(int formatIndex);
// A format string shows a date or time when it uses y, m, d, h or s outside quoted text, brackets and escaped
// characters, and not fewer of them than digit placeholders.
bool isDateFormatString(QStringView format);

} // namespace data
