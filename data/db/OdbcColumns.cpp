#include "db/OdbcColumns.h"

#include "db/DatabaseError.h"
#include "db/OdbcDiagnostics.h"

#include <sqlext.h>

namespace data {

namespace {

// SQLColumns' result columns.
constexpr SQLUSMALLINT kColumnName = 4;
constexpr SQLUSMALLINT kDataType = 5;
constexpr SQLUSMALLINT kTypeName = 6;
constexpr SQLUSMALLINT kColumnSize = 7;
constexpr SQLUSMALLINT kColumnDefault = 13;

QString textAt(SQLHSTMT statement, SQLUSMALLINT column)
{
    SQLWCHAR buffer[512];
    SQLLEN length = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_WCHAR, buffer, sizeof buffer, &length)) ||
        length == SQL_NULL_DATA)
        return QString();
    const auto characters =
        qMin<SQLLEN>(length, SQLLEN(sizeof buffer) - SQLLEN(sizeof(SQLWCHAR))) / SQLLEN(sizeof(SQLWCHAR));
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), characters);
}

SQLINTEGER integerAt(SQLHSTMT statement, SQLUSMALLINT column, bool& isNull)
{
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    isNull =
        !SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_SLONG, &value, 0, &indicator)) || indicator == SQL_NULL_DATA;
    return value;
}

bool isNumberType(SQLINTEGER type)
{
    switch (type) {
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_BIT:
        return true;
    default:
        return false;
    }
}

std::vector<StoreColumn> columnsNamed(SQLHDBC connection, const QString& table)
{
    SQLHSTMT raw = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &raw)))
        throw odbcError(odbcDiagnostic(SQL_HANDLE_DBC, connection), QStringLiteral("Cannot make a statement"),
                        connection);
    const StatementHandle statement(raw);
    auto* name = reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(table.utf16()));
    if (!SQL_SUCCEEDED(SQLColumnsW(raw, nullptr, 0, nullptr, 0, name, SQLSMALLINT(table.size()), nullptr, 0)))
        throw statementError(raw, QStringLiteral("Cannot read the columns of %1").arg(table), connection);
    std::vector<StoreColumn> columns;
    for (SQLRETURN rc = SQLFetch(raw); SQL_SUCCEEDED(rc); rc = SQLFetch(raw)) {
        StoreColumn column;
        column.name = textAt(raw, kColumnName);
        bool isNull = false;
        const SQLINTEGER type = integerAt(raw, kDataType, isNull);
        column.typeName = textAt(raw, kTypeName);
        column.kind = isNumberType(type) ? StoreColumn::Kind::Number : StoreColumn::Kind::Text;
        const SQLINTEGER size = integerAt(raw, kColumnSize, isNull);
        const bool characters = type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_WCHAR || type == SQL_WVARCHAR;
        column.length = characters && !isNull && size > 0 ? int(size) : -1;
        column.defaultValue = defaultLiteral(textAt(raw, kColumnDefault));
        columns.push_back(column);
    }
    return columns;
}

} // namespace

std::vector<StoreColumn> odbcTableColumns(SQLHDBC connection, const QString& table)
{
    std::vector<StoreColumn> columns = columnsNamed(connection, table);
    // A server that keeps unquoted names in lower case (PostgreSQL) knows the table by that name.
    if (columns.empty() && table != table.toLower())
        columns = columnsNamed(connection, table.toLower());
    return columns;
}

} // namespace data
