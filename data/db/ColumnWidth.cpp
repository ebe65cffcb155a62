#include "db/ColumnWidth.h"

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"

#include <QRegularExpression>

namespace data {

namespace {

// SQLite keeps the declared type as written: "varchar(100)", "NVARCHAR (40)", "character(8)".
int widthOfDeclaredType(const QString& type)
{
    static const QRegularExpression pattern(QStringLiteral("char[^(]*\\(\\s*(\\d+)\\s*\\)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(type);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

int statedTextWidth(Connection& connection, const QString& table, const QString& column)
{
    try {
        Query query(connection);
        const bool sqlite = connection.dbmsName() == QLatin1String("SQLite");
        query.addSqlLine(sqlite ? QStringLiteral("select type as w from pragma_table_info(:tb) where lower(name) = "
                                                 "lower(:col)")
                                : QStringLiteral("select character_maximum_length as w from information_schema.columns "
                                                 "where lower(table_name) = lower(:tb) and lower(column_name) = "
                                                 "lower(:col)"));
        query.bindText(QStringLiteral("tb"), table);
        query.bindText(QStringLiteral("col"), column);
        query.open();
        if (query.rowCount() != 1)
            return 0;
        const QString width = query.fieldText(QStringLiteral("w"));
        const int stated = sqlite ? widthOfDeclaredType(width) : width.toInt();
        return stated > 0 ? stated : 0;
    } catch (const DatabaseError&) {
        return 0;
    }
}

} // namespace data
