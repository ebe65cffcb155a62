#include "db/ArrayLiteral.h"

#include <charconv>
#include <cmath>

namespace data {

namespace {

void appendQuoted(QString& out, const QString& text)
{
    out += u'"';
    const QChar* const begin = text.constData();
    const QChar* const end = begin + text.size();
    const QChar* run = begin;
    for (const QChar* c = begin; c != end; ++c) {
        if (*c == u'"' || *c == u'\\') {
            out.append(run, c - run);
            out += u'\\';
            run = c; // the character itself opens the next run
        }
    }
    out.append(run, end - run);
    out += u'"';
}

void appendNumber(QString& out, double number)
{
    if (std::isnan(number)) {
        out += QLatin1String("NaN");
        return;
    }
    if (std::isinf(number)) {
        out += number < 0 ? QLatin1String("-Infinity") : QLatin1String("Infinity");
        return;
    }
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out += QLatin1StringView(digits, end - digits);
}

void appendInteger(QString& out, qint64 integer)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, integer).ptr;
    out += QLatin1StringView(digits, end - digits);
}

} // namespace

void appendArrayLiteral(QString& out, const BoundValue* const* rows, int count, int column)
{
    out += u'{';
    for (int row = 0; row < count; ++row) {
        if (row > 0)
            out += u',';
        const BoundValue& value = rows[row][column];
        switch (value.type) {
        case BoundValue::Type::Text:
            appendQuoted(out, value.text);
            break;
        case BoundValue::Type::Double:
            appendNumber(out, value.number);
            break;
        case BoundValue::Type::Integer:
            appendInteger(out, value.integer);
            break;
        case BoundValue::Type::Unset:
            out += QLatin1String("NULL");
            break;
        }
    }
    out += u'}';
}

} // namespace data
