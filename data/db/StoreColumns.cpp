#include "db/StoreColumns.h"

#include <QRegularExpression>

namespace data {

std::optional<BoundValue> defaultLiteral(const QString& sqlDefault)
{
    QString text = sqlDefault.trimmed();
    // SQL Server wraps its defaults in parentheses: ((0)), ('x').
    while (text.size() >= 2 && text.startsWith(u'(') && text.endsWith(u')'))
        text = text.mid(1, text.size() - 2).trimmed();
    // PostgreSQL casts them: '1'::character varying, 0::numeric.
    static const QRegularExpression cast(QStringLiteral("::[A-Za-z_][A-Za-z0-9_ ]*(\\([0-9, ]*\\))?(\\[\\])?$"));
    for (QRegularExpressionMatch match = cast.match(text); match.hasMatch(); match = cast.match(text))
        text = text.left(match.capturedStart()).trimmed();
    BoundValue value;
    if (text.isEmpty() || text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return value;
    if (text.size() >= 2 && text.startsWith(u'\'') && text.endsWith(u'\'')) {
        value.type = BoundValue::Type::Text;
        value.text = text.mid(1, text.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
        return value;
    }
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    if (isNumber) {
        value.type = BoundValue::Type::Double;
        value.number = number;
        return value;
    }
    return std::nullopt;
}

StoreColumn::Kind kindOfDeclaredType(const QString& declaredType)
{
    const QString type = declaredType.toUpper();
    for (const char* word : {"CHAR", "CLOB", "TEXT", "DATE", "TIME"}) {
        if (type.contains(QLatin1String(word)))
            return StoreColumn::Kind::Text;
    }
    for (const char* word : {"INT", "REAL", "FLOA", "DOUB", "NUM", "DEC", "MONEY", "BIT"}) {
        if (type.contains(QLatin1String(word)))
            return StoreColumn::Kind::Number;
    }
    return StoreColumn::Kind::Text;
}

int lengthOfDeclaredType(const QString& declaredType)
{
    if (kindOfDeclaredType(declaredType) != StoreColumn::Kind::Text)
        return -1;
    static const QRegularExpression length(QStringLiteral("\\(\\s*([0-9]+)\\s*\\)"));
    const QRegularExpressionMatch match = length.match(declaredType);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace data
