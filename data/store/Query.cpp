#include "Query.h"

#include "Connection.h"
#include "ConnectionBackend.h"
#include "DatabaseError.h"
#include "SqlText.h"
#include "StatementText.h"

#include <QHash>

#include <memory>

namespace data {

namespace {

// Texts a query goes back and forth between (an insert and a probe, say) are parsed once.
constexpr qsizetype kMaxParsedTexts = 16;

} // namespace

class QueryState
{
public:
    SqlText sql;
    bool prepared = false;
    int maxRows = 0; // 0: fetch every row

    // The parse of the current text, made when first needed; the bound values belong to it.
    std::shared_ptr<const ParsedStatement> statement;
    std::vector<BoundValue> values;
    QHash<QString, std::shared_ptr<const ParsedStatement>> parsedTexts;
    std::shared_ptr<const ParsedStatement> lastParsed;
    // Callers bind in the order of the text: the parameter after the last one bound is tried first, and a name
    // given by the same string as last time (the caller's literal) is recognised without comparing it. The copies
    // keep those strings alive, so the same storage always holds the same name.
    qsizetype nextParameter = 0;
    std::vector<QString> namesAsBound;

    bool open = false;
    ResultSet result;
    int row = 0;
    // Column positions by the names asked for, so that reading row after row looks each name up once.
    mutable QHash<QString, int> columnOfName;

    // Every value unbound again, without giving up the storage of the ones before.
    void unbindAll()
    {
        const size_t count = size_t(statement->names.size());
        if (values.size() != count) {
            values.assign(count, BoundValue());
            return;
        }
        for (BoundValue& value : values)
            value.type = BoundValue::Type::Unset;
    }

    void textChanged()
    {
        statement.reset();
        nextParameter = 0;
        maxRows = 0;
    }

    const ParsedStatement& parsed()
    {
        if (statement)
            return *statement;
        // Row after row the same text comes back: a plain comparison is cheaper than hashing it.
        if (lastParsed && sql.equals(lastParsed->text)) {
            statement = lastParsed;
            unbindAll();
            return *statement;
        }
        const QString current = sql.text();
        auto found = parsedTexts.constFind(current);
        if (found != parsedTexts.constEnd()) {
            statement = found.value();
        } else {
            if (parsedTexts.size() >= kMaxParsedTexts)
                parsedTexts.clear();
            statement = std::make_shared<const ParsedStatement>(parseStatement(current));
            parsedTexts.insert(current, statement);
        }
        lastParsed = statement;
        namesAsBound.assign(size_t(statement->names.size()), QString());
        unbindAll();
        return *statement;
    }

    BoundValue& valueFor(const QString& name)
    {
        const ParsedStatement& current = parsed();
        int index = -1;
        if (nextParameter < current.names.size()) {
            const QString& asBound = namesAsBound[size_t(nextParameter)];
            if (!asBound.isEmpty() && asBound.constData() == name.constData() && asBound.size() == name.size())
                index = int(nextParameter);
            else if (current.names.at(nextParameter) == name)
                index = int(nextParameter);
        }
        if (index < 0)
            index = current.indexOf(name);
        if (index < 0) {
            QString shown = name.startsWith(u':') ? name : QStringLiteral(":") + name;
            throw DatabaseError(QStringLiteral("The statement has no parameter %1").arg(shown));
        }
        if (namesAsBound[size_t(index)].constData() != name.constData())
            namesAsBound[size_t(index)] = name;
        nextParameter = index + 1;
        return values[size_t(index)];
    }

    void checkAllBound() const
    {
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i].type == BoundValue::Type::Unset)
                throw DatabaseError(
                    QStringLiteral("No value was bound to the parameter :%1").arg(statement->names.at(qsizetype(i))));
        }
    }

    void closeResult()
    {
        open = false;
        result.clear();
        row = 0;
        columnOfName.clear();
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
    QueryState& state = *state_;
    // The text parsed last, coming back (the importer's every row): one comparison settles everything.
    if (state.lastParsed && state.sql.setIfSameAs(text, state.lastParsed->text)) {
        state.textChanged();
        state.statement = state.lastParsed;
        state.unbindAll();
        return;
    }
    state.sql.set(text);
    state.textChanged();
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

void Query::setPrepared(bool prepared)
{
    // Statements are prepared once per text in any case; the flag is kept for callers that set it.
    state_->prepared = prepared;
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
        throw DatabaseError(QStringLiteral("The query is not open"));
    const ResultSet& result = state_->result;
    auto found = state_->columnOfName.constFind(column);
    int index;
    if (found != state_->columnOfName.constEnd()) {
        index = found.value();
    } else {
        index = -1;
        for (int i = 0; i < result.columns.size(); ++i) {
            if (result.columns.at(i).compare(column, Qt::CaseInsensitive) == 0) {
                index = i;
                break;
            }
        }
        if (index < 0)
            throw DatabaseError(QStringLiteral("The result has no column %1").arg(column));
        state_->columnOfName.insert(column, index);
    }
    if (eof())
        throw DatabaseError(QStringLiteral("There is no current row: the end of the result was reached"));
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
