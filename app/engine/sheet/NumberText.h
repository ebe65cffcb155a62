#pragma once
// The number texts of a product row (prices, stock, discounts) read strictly: a decimal number in the clerk's
// own notation and nothing else, so that "1,000", "¥12" or "5%" fail the row instead of storing a wrong value.

#include <QString>
#include <QStringView>

#include <optional>
#include <stdexcept>

namespace importer {

class NumberTextError : public std::runtime_error
{
public:
    explicit NumberTextError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Accepts: optional blanks, an optional sign, digits with at most one decimal separator (at least one digit), an
// optional exponent "E" or "e" with an optional sign and digits, optional blanks. Rounds to the nearest double.
// Empty when the text is not of that form or its magnitude lies beyond the double range; a nonzero number too
// small for the range gives 0 or a subnormal.
std::optional<double> parseNumberText(QStringView text, QStringView decimalSeparator);

// The same, throwing NumberTextError when the text does not convert.
double numberFromText(const QString& decimalSeparator, const QString& text);
// With the decimal separator of the user's locale.
double numberFromText(const QString& text);

} // namespace importer
