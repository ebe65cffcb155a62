#include "db/Query.h"

#include "db/Connection.h"
#include "db/ConnectionBackend.h"
#include "db/DatabaseError.h"
#include "db/SqlText.h"
#include "db/StatementText.h"

#include <optional>

namespace data {

class QueryState
{
public:
    SqlText sql;
    int maxRows = 0; // 0: fetch every row

    // The parse of the current text, made when first needed; the bound values belong to it.
    std::optional<ParsedStatement> statement;
    std::vector<BoundValue> values;

    bool open = false;
    ResultSet result;
    int row = 0;

    void textChanged()
    {
        statement.reset();
        values.clear();
        maxRows = 0;
    }

    const ParsedStatement& parsed()
    {
        if (!statement) {
            statement = parseStatement(sql.text());
            values.assign(size_t(statement->names.size()), BoundValue());
        }
        return *statement;
    }

    BoundValue& valueFor(const QString& name)
    {
        const int index = parsed().indexOf(name);
        if (index < 0) {
            const QString shown = name.startsWith(u':') ? name : QStringLiteral(":") + name;
            throw DatabaseError(QStringLiteral("The statement has no parameter %1").arg(shown), Fault::Store);
        }
        return values[size_t(index)];
    }

    void checkAllBound() const
    {
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i].type == BoundValue::Type::Unset)
                throw DatabaseError(
                    QStringLiteral("No value was bound to the parameter :%1").arg(statement->names.at(qsizetype(i))),
                    Fault::Store);
        }
    }

    void closeResult()
    {
        open = false;
        result.clear();
        row = 0;
    }
};

Query::Query(Connection& connection) : connection_(connection), state_(std::make_unique<QueryState>()) {}

Query::~Query() = default;

void Query::close()
{
    state_->closeResult();
    state_->maxRows = 0;
}

void Query::clearSql()
{
    close();
    state_->sql.clear();
    state_->textChanged();
}

void Query::addSqlLine(const QString& line)
{
    close();
    state_->sql.addLine(line);
    state_->textChanged();
}

void Query::setSqlText(const QString& text)
{
    close();
    state_->sql.set(text);
    state_->textChanged();
}

QString Query::sqlText() const
{
    return state_->sql.text();
}

QStringList Query::parameterNames() const
{
    return state_->parsed().names;
}

void Query::bindText(const QString& name, const QString& value)
{
    BoundValue& bound = state_->valueFor(name);
    bound.type = BoundValue::Type::Text;
    bound.text = value;
}

void Query::bindInteger16(const QString& name, qint16 value)
{
    BoundValue& bound = state_->valueFor(name);
    bound.type = BoundValue::Type::Integer;
    bound.integer = value;
    bound.text.clear();
}

void Query::bindDouble(const QString& name, double value)
{
    BoundValue& bound = state_->valueFor(name);
    bound.type = BoundValue::Type::Double;
    bound.number = value;
    bound.text.clear();
}

void Query::setMaxRows(int maxRows)
{
    state_->maxRows = qMax(0, maxRows);
}

void Query::open()
{
    state_->closeResult();
    const ParsedStatement& statement = state_->parsed();
    state_->checkAllBound();
    connection_.ensureConnected();
    connection_.backend().select(statement, state_->values, state_->maxRows, state_->result);
    state_->open = true;
    state_->row = 0;
}

bool Query::isOpen() const
{
    return state_->open;
}

int Query::rowCount() const
{
    return state_->open ? state_->result.rowCount : 0;
}

void Query::first()
{
    state_->row = 0;
}

void Query::next()
{
    if (!eof())
        ++state_->row;
}

bool Query::eof() const
{
    return !state_->open || state_->row >= state_->result.rowCount;
}

QString Query::fieldText(const QString& column) const
{
    if (!state_->open)
        throw DatabaseError(QStringLiteral("The query is not open"), Fault::Store);
    const ResultSet& result = state_->result;
    int index = -1;
    for (int i = 0; i < result.columns.size(); ++i) {
        if (result.columns.at(i).compare(column, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    }
    if (index < 0)
        throw DatabaseError(QStringLiteral("The result has no column %1").arg(column), Fault::Store);
    if (eof())
        throw DatabaseError(QStringLiteral("There is no current row: the end of the result was reached"), Fault::Store);
    return result.cells[size_t(state_->row) * size_t(result.columns.size()) + size_t(index)];
}

void Query::execSql()
{
    state_->closeResult();
    const ParsedStatement& statement = state_->parsed();
    state_->checkAllBound();
    connection_.ensureConnected();
    connection_.backend().execute(statement, state_->values);
}

} // namespace data
