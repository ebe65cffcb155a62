#pragma once
// A statement text taken apart for binding: its named parameters (:name) and where each one stands.

#include <QString>
#include <QStringList>

#include <vector>

namespace data {

struct ParameterOccurrence
{
    qsizetype position; // of the colon
    qsizetype length;   // colon and name
    int parameter;      // index into ParsedStatement::names
};

struct ParsedStatement
{
    QString text;
    QStringList names; // each name once, in order of first appearance (compared case-insensitively)
    std::vector<ParameterOccurrence> occurrences;

    // -1 when the text has no parameter of that name; a leading colon is ignored.
    int indexOf(const QString& name) const;
    // The text with every parameter replaced by what the driver expects: "?" alone, or "?N" numbered by parameter.
    QString driverText(bool numbered) const;
};

// A name runs from the colon to the next space, tab, comma, semicolon, closing parenthesis, line break or the
// end. Text within single, double or back quotes is not scanned; "::" (a cast on some servers) is no parameter.
ParsedStatement parseStatement(const QString& text);

// A value bound to a parameter, with its own type.
struct BoundValue
{
    enum class Type { Unset, Text, Integer, Double };
    Type type = Type::Unset;
    QString text;
    qint64 integer = 0;
    double number = 0.0;
};

// A text value.
inline BoundValue textValue(const QString& text)
{
    BoundValue value;
    value.type = BoundValue::Type::Text;
    value.text = text;
    return value;
}

// Numbers read back as text: integers in plain digits, reals with up to 15 significant digits.
QString numberText(double value);

} // namespace data
