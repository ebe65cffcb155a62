#include "db/OdbcInserts.h"

#include "db/ArrayLiteral.h"
#include "db/DatabaseError.h"
#include "db/OdbcDiagnostics.h"
#include "queue/Quantities.h"

#include <sqlext.h>

#include <map>

namespace data {

namespace {

// SQL Server takes at most 2,100 parameters in one statement and 1,000 rows in one VALUES list; a batch of twenty
// columns stays well inside both and already makes the round trips a small part of the time. Past a few hundred
// rows an array batch is no faster, and a refused batch is written again in halves.
constexpr int kMaxRowsPerInsert = sizes::kStatementRows;
constexpr int kMaxParameters = 2100;
constexpr int kRowsPerArrayInsert = sizes::kArrayStatementRows;
// Texts longer than this are long texts to SQL Server (nvarchar(max)).
constexpr SQLULEN kMaxShortText = 4000;

// Binds a text that lives, unchanged, until the statement has run: a QString is UTF-16 already.
SQLRETURN bindText(SQLHSTMT statement, SQLUSMALLINT position, const QString& text, SQLLEN& indicator)
{
    const auto length = SQLULEN(text.size());
    indicator = SQLLEN(length * sizeof(SQLWCHAR));
    auto* data = reinterpret_cast<SQLPOINTER>(const_cast<ushort*>(text.utf16()));
    return SQLBindParameter(statement, position, SQL_PARAM_INPUT, SQL_C_WCHAR,
                            length > kMaxShortText ? SQL_WLONGVARCHAR : SQL_WVARCHAR, qMax<SQLULEN>(1, length), 0, data,
                            indicator, &indicator);
}

void execute(SQLHSTMT statement, SQLHDBC connection)
{
    const SQLRETURN rc = SQLExecute(statement);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        const DatabaseError error =
            statementError(statement, QStringLiteral("The insert was refused without a message"), connection);
        SQLFreeStmt(statement, SQL_CLOSE);
        throw error;
    }
    SQLFreeStmt(statement, SQL_CLOSE);
}

// Statements of 1 to maxRows() rows, each prepared the first time a batch of its size comes.
class RowsInsert final : public PreparedInsert
{
public:
    RowsInsert(SQLHDBC connection, const InsertTexts& texts)
        : connection_(connection), texts_(texts),
          maxRows_(qMax(1, qMin(kMaxRowsPerInsert, kMaxParameters / qMax(1, texts.columns))))
    {
    }

    int maxRows() const override { return maxRows_; }

    void insert(const BoundValue* const* rows, int count) override
    {
        SQLHSTMT statement = statementFor(count);
        const auto columns = size_t(texts_.columns);
        indicators_.assign(size_t(count) * columns, 0);
        for (size_t row = 0; row < size_t(count); ++row) {
            for (size_t column = 0; column < columns; ++column) {
                const size_t i = row * columns + column;
                if (!SQL_SUCCEEDED(bindValue(statement, SQLUSMALLINT(i + 1), rows[row][column], indicators_[i])))
                    throw statementError(statement, QStringLiteral("Cannot bind a value"), connection_);
            }
        }
        execute(statement, connection_);
    }

private:
    SQLHSTMT statementFor(int rows)
    {
        auto found = statements_.find(rows);
        if (found != statements_.end())
            return found->second.get();
        return statements_.emplace(rows, prepareStatement(connection_, texts_.rowsText(rows, false)))
            .first->second.get();
    }

    SQLHDBC connection_;
    InsertTexts texts_;
    int maxRows_;
    std::map<int, StatementHandle> statements_; // by row count
    std::vector<SQLLEN> indicators_;            // by parameter: the byte length of a text
};

// PostgreSQL's name for the array of a column's values: the column's own type where the table has the column,
// else the values' (and the server then says what is wrong with the column).
QString arrayType(const QString& columnType, BoundValue::Type valueType)
{
    if (!columnType.isEmpty())
        return columnType + QLatin1String("[]");
    switch (valueType) {
    case BoundValue::Type::Double:
        return QStringLiteral("float8[]");
    case BoundValue::Type::Integer:
        return QStringLiteral("int8[]");
    case BoundValue::Type::Text:
    case BoundValue::Type::Unset:
        break;
    }
    return QStringLiteral("text[]");
}

// "insert into T(c1,...)\r\n select unnest(cast(? as character varying[])),unnest(cast(? as double precision[]))
// ...": the arrays are taken apart side by side, row by row in their order. Each array is read as an array of its
// column's own type, without length or precision, so that every value goes through the same input as a single
// untyped parameter does (an integer or numeric column takes "1" or 12.5 alike) and then through the column's own
// limits when it is assigned: a text too long for its column is refused, not cut.
QString arrayInsertText(const InsertTexts& texts, const QStringList& columnTypes)
{
    QString text = texts.into + QStringLiteral("\r\n select ");
    for (size_t column = 0; column < texts.columnTypes.size(); ++column) {
        if (column > 0)
            text += u',';
        text += QLatin1String("unnest(cast(? as ") +
                arrayType(columnTypes.value(qsizetype(column)), texts.columnTypes[column]) + QLatin1String("))");
    }
    return text + texts.tail;
}

class ArrayInsert final : public PreparedInsert
{
public:
    ArrayInsert(SQLHDBC connection, const InsertTexts& texts, const QStringList& columnTypes)
        : connection_(connection), singleRows_(connection, texts),
          statement_(prepareStatement(connection, arrayInsertText(texts, columnTypes))),
          arrays_(texts.columnTypes.size()), indicators_(texts.columnTypes.size())
    {
    }

    int maxRows() const override { return kRowsPerArrayInsert; }
    // One statement takes any number of rows.
    int statementRows(int count) const override { return qMin(count, kRowsPerArrayInsert); }

    void insert(const BoundValue* const* rows, int count) override
    {
        if (count == 1) {
            singleRows_.insert(rows, 1);
            return;
        }
        SQLHSTMT statement = statement_.get();
        for (size_t column = 0; column < arrays_.size(); ++column) {
            QString& array = arrays_[column];
            array.resize(0); // keeps the storage, where clear() would let it go
            appendArrayLiteral(array, rows, count, int(column));
            if (!SQL_SUCCEEDED(bindText(statement, SQLUSMALLINT(column + 1), array, indicators_[column])))
                throw statementError(statement, QStringLiteral("Cannot bind a value"), connection_);
        }
        execute(statement, connection_);
    }

private:
    SQLHDBC connection_;
    RowsInsert singleRows_;
    StatementHandle statement_;
    std::vector<QString> arrays_;    // by column, kept from batch to batch for their storage
    std::vector<SQLLEN> indicators_; // by column
};

} // namespace

SQLRETURN bindValue(SQLHSTMT statement, SQLUSMALLINT position, const BoundValue& value, SQLLEN& indicator)
{
    switch (value.type) {
    case BoundValue::Type::Text:
        return bindText(statement, position, value.text, indicator);
    case BoundValue::Type::Double:
        return SQLBindParameter(statement, position, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                                const_cast<double*>(&value.number), 0, nullptr);
    case BoundValue::Type::Integer:
        return SQLBindParameter(statement, position, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_INTEGER, 10, 0,
                                const_cast<qint64*>(&value.integer), 0, nullptr);
    case BoundValue::Type::Unset:
        break;
    }
    indicator = SQL_NULL_DATA;
    return SQLBindParameter(statement, position, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr, 0,
                            &indicator);
}

std::unique_ptr<PreparedInsert> makeRowsInsert(SQLHDBC connection, const InsertTexts& texts)
{
    return std::make_unique<RowsInsert>(connection, texts);
}

std::unique_ptr<PreparedInsert> makeArrayInsert(SQLHDBC connection, const InsertTexts& texts,
                                                const QStringList& columnTypes)
{
    return std::make_unique<ArrayInsert>(connection, texts, columnTypes);
}

} // namespace data
