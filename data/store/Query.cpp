#include "Query.h"

#include "Connection.h"
#include "ConnectionBackend.h"
#include "DatabaseError.h"
#include "StatementText.h"

#include <QHash>

#include <memory>

namespace data {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
// Texts a query goes back and forth between (an insert and a probe, say) are parsed once.
constexpr qsizetype kMaxParsedTexts = 16;

} // namespace

class QueryState
{
public:
    QStringList lines;
    bool prepared = false;

    // The parse of the current text, made when first needed; the bound values belong to it.
    std::shared_ptr<const ParsedStatement> statement;
    std::vector<BoundValue> values;
    QHash<QString, std::shared_ptr<const ParsedStatement>> parsedTexts;
    std::shared_ptr<const ParsedStatement> lastParsed;

    bool open = false;
    ResultSet result;
    int row = 0;
    // Column positions by the names asked for, so that reading row after row looks each name up once.
    mutable QHash<QString, int> columnOfName;

    void textChanged()
    {
        statement.reset();
        values.clear();
    }

    QString text() const
    {
        QString joined;
        qsizetype size = 0;
        for (const QString& line : lines)
            size += line.size() + 2;
        joined.reserve(size);
        for (const QString& line : lines) {
            joined += line;
            joined += kLineEnd;
        }
        return joined;
    }

    const ParsedStatement& parsed()
    {
        if (statement)
            return *statement;
        const QString current = text();
        // Row after row the same text comes back: a plain comparison is cheaper than hashing it.
        if (lastParsed && lastParsed->text == current) {
            statement = lastParsed;
            values.assign(size_t(statement->names.size()), BoundValue());
            return *statement;
        }
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
        values.assign(size_t(statement->names.size()), BoundValue());
        return *statement;
    }

    BoundValue& valueFor(const QString& name)
    {
        const int index = parsed().indexOf(name);
        if (index < 0) {
            QString shown = name.startsWith(u':') ? name : QStringLiteral(":") + name;
            throw DatabaseError(QStringLiteral("The statement has no parameter %1").arg(shown));
        }
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
};

Query::Query(Connection& connection) : connection_(connection), state_(std::make_unique<QueryState>()) {}

Query::~Query() = default;

void Query::close()
{
    state_->open = false;
    state_->result.clear();
    state_->row = 0;
    state_->columnOfName.clear();
}

void Query::clearSql()
{
    close();
    state_->lines.clear();
    state_->textChanged();
}

void Query::addSqlLine(const QString& line)
{
    close();
    state_->lines.append(line);
    state_->textChanged();
}

void Query::setSqlText(const QString& text)
{
    close();
    QStringList& lines = state_->lines;
    lines.clear();
    const QStringView view(text);
    qsizetype start = 0;
    while (start < view.size()) {
        const qsizetype cr = view.indexOf(u'\r', start);
        const qsizetype lf = view.indexOf(u'\n', start);
        const qsizetype end = cr < 0 ? lf : (lf < 0 ? cr : qMin(cr, lf));
        if (end < 0) {
            lines.append(text.mid(start));
            break;
        }
        lines.append(text.mid(start, end - start));
        start = end + ((view.at(end) == u'\r' && end + 1 < view.size() && view.at(end + 1) == u'\n') ? 2 : 1);
    }
    state_->textChanged();
}

QString Query::sqlText() const
{
    return state_->text();
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

void Query::open()
{
    close();
    const ParsedStatement& statement = state_->parsed();
    state_->checkAllBound();
    connection_.ensureConnected();
    connection_.backend().select(statement, state_->values, state_->result);
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
    close();
    const ParsedStatement& statement = state_->parsed();
    state_->checkAllBound();
    connection_.ensureConnected();
    connection_.backend().execute(statement, state_->values);
}

} // namespace data
