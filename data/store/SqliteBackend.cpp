#include "SqliteBackend.h"

#include "DatabaseError.h"

#include <QHashFunctions>

#include <sqlite3.h>

namespace data {

namespace {

// Another program writing to the store holds its lock for a moment; wait for it rather than fail the row.
constexpr int kBusyTimeoutMs = 10000;
// Enough for every statement the importer sends; a caller that makes up texts cannot grow the cache unbounded.
constexpr size_t kMaxCachedStatements = 64;

// Rewinds a statement on every way out, so that it holds no lock and can be run again. Its bindings stay: each
// is replaced before the statement runs again.
class ResetOnExit
{
public:
    explicit ResetOnExit(sqlite3_stmt* statement) : statement_(statement) {}
    ~ResetOnExit() { sqlite3_reset(statement_); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    sqlite3_stmt* statement_;
};

QString columnText(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return QString();
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return numberText(sqlite3_column_double(statement, column));
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
    }
    }
}

QByteArray savepointStatement(const char* verb, const QString& name)
{
    return QByteArray(verb) + ' ' + name.toUtf8();
}

} // namespace

void SqliteBackend::StatementFinalizer::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

size_t SqliteBackend::TextHash::operator()(const QString& text) const noexcept
{
    return qHash(text);
}

SqliteBackend::SqliteBackend(const QString& path)
{
    const QByteArray fileName = path.toUtf8();
    // A connection is used by one thread at a time: SQLite's own locking per call would be wasted.
    const int rc = sqlite3_open_v2(fileName.constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString detail = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw DatabaseError(QStringLiteral("Cannot open the SQLite store %1: %2").arg(path, detail));
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // Opening reads nothing yet: read the schema now so that a file that is no database fails here.
    char* message = nullptr;
    if (sqlite3_exec(db_, "select count(*) from sqlite_master", nullptr, nullptr, &message) != SQLITE_OK) {
        const QString detail = QString::fromUtf8(message ? message : sqlite3_errmsg(db_));
        sqlite3_free(message);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw DatabaseError(QStringLiteral("Cannot open the SQLite store %1: %2").arg(path, detail));
    }
}

SqliteBackend::~SqliteBackend()
{
    statements_.clear();
    sqlite3_close_v2(db_);
}

void SqliteBackend::fail(const QString& context) const
{
    const QString detail = QString::fromUtf8(sqlite3_errmsg(db_));
    throw DatabaseError(context.isEmpty() ? detail : context + QStringLiteral(": ") + detail);
}

SqliteBackend::Statement& SqliteBackend::cached(const ParsedStatement& statement)
{
    // Row after row the same text comes back: a plain comparison is cheaper than hashing it.
    if (lastStatement_ && lastText_ == statement.text)
        return *lastStatement_;
    auto found = statements_.find(statement.text);
    if (found == statements_.end()) {
        if (statements_.size() >= kMaxCachedStatements) {
            lastStatement_ = nullptr;
            statements_.clear();
        }
        const QByteArray sql = statement.driverText(true).toUtf8();
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db_, sql.constData(), int(sql.size()), &raw, &tail) != SQLITE_OK)
            fail(QString());
        auto entry = std::make_unique<Statement>();
        entry->handle.reset(raw);
        // A second statement in the text would silently be ignored: refuse it instead.
        if (!QByteArray(tail).trimmed().isEmpty() && QByteArray(tail).trimmed() != ";")
            throw DatabaseError(QStringLiteral("One statement at a time: the text goes on after the first"));
        if (!raw)
            throw DatabaseError(QStringLiteral("The statement is empty"));
        found = statements_.emplace(statement.text, std::move(entry)).first;
    }
    lastText_ = statement.text;
    lastStatement_ = found->second.get();
    return *lastStatement_;
}

int SqliteBackend::bindText(Statement& statement, int position, const QString& text)
{
    BoundText& bound = statement.texts[size_t(position - 1)];
    // The same storage, kept alive by the copy, holds the same text: it is still bound as it was.
    if (!bound.source.isNull() && bound.source.constData() == text.constData() && bound.source.size() == text.size())
        return SQLITE_OK;
    bound.source = QString();
    int rc;
    if (text.isEmpty()) {
        // A null pointer would bind NULL: an empty text stays a text.
        static const char kEmpty[] = "";
        rc = sqlite3_bind_text(statement.handle.get(), position, kEmpty, 0, SQLITE_STATIC);
    } else {
        // SQLite keeps its texts as UTF-8: converting them here, into a buffer reused row after row, spares it an
        // allocation and a conversion of its own for every text (bind_text16).
        const auto space = size_t(toUtf8_.requiredSpace(text.size()));
        if (bound.utf8.size() < space)
            bound.utf8.resize(space);
        const char* end = toUtf8_.appendToBuffer(bound.utf8.data(), text);
        rc = sqlite3_bind_text(statement.handle.get(), position, bound.utf8.data(), int(end - bound.utf8.data()),
                               SQLITE_STATIC);
    }
    if (rc == SQLITE_OK && !text.isEmpty())
        bound.source = text;
    return rc;
}

sqlite3_stmt* SqliteBackend::prepared(const ParsedStatement& statement, const std::vector<BoundValue>& values)
{
    Statement& entry = cached(statement);
    sqlite3_stmt* const handle = entry.handle.get();
    if (entry.texts.size() < values.size())
        entry.texts.resize(values.size());

    // Each value keeps its own type.
    for (size_t i = 0; i < values.size(); ++i) {
        const BoundValue& value = values[i];
        const int position = int(i) + 1;
        int rc = SQLITE_OK;
        if (value.type != BoundValue::Type::Text)
            entry.texts[i].source = QString();
        switch (value.type) {
        case BoundValue::Type::Integer:
            rc = sqlite3_bind_int64(handle, position, value.integer);
            break;
        case BoundValue::Type::Double:
            rc = sqlite3_bind_double(handle, position, value.number);
            break;
        case BoundValue::Type::Text:
            rc = bindText(entry, position, value.text);
            break;
        case BoundValue::Type::Unset:
            rc = sqlite3_bind_null(handle, position);
            break;
        }
        if (rc != SQLITE_OK)
            fail(QStringLiteral("Cannot bind :%1").arg(statement.names.value(int(i))));
    }
    return handle;
}

void SqliteBackend::execute(const ParsedStatement& statement, const std::vector<BoundValue>& values)
{
    sqlite3_stmt* handle = prepared(statement, values);
    ResetOnExit reset(handle);
    int rc;
    while ((rc = sqlite3_step(handle)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail(QString());
}

void SqliteBackend::select(const ParsedStatement& statement, const std::vector<BoundValue>& values, int maxRows,
                           ResultSet& result)
{
    result.clear();
    sqlite3_stmt* handle = prepared(statement, values);
    ResetOnExit reset(handle);
    const int columnCount = sqlite3_column_count(handle);
    for (int column = 0; column < columnCount; ++column)
        result.columns.append(QString::fromUtf8(sqlite3_column_name(handle, column)));
    int rc = SQLITE_ROW; // stays so when the limit ends the fetch
    while ((maxRows <= 0 || result.rowCount < maxRows) && (rc = sqlite3_step(handle)) == SQLITE_ROW) {
        for (int column = 0; column < columnCount; ++column)
            result.cells.push_back(columnText(handle, column));
        ++result.rowCount;
    }
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        result.clear();
        fail(QString());
    }
}

void SqliteBackend::executeDirect(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString detail = QString::fromUtf8(message ? message : sqlite3_errmsg(db_));
        sqlite3_free(message);
        throw DatabaseError(detail);
    }
}

// IMMEDIATE takes the write lock at once, so a busy store makes the whole batch wait instead of single rows fail.
void SqliteBackend::beginTransaction()
{
    executeDirect("BEGIN IMMEDIATE");
}
void SqliteBackend::commit()
{
    executeDirect("COMMIT");
}
void SqliteBackend::rollback()
{
    executeDirect("ROLLBACK");
}

void SqliteBackend::savepoint(const QString& name)
{
    executeDirect(savepointStatement("SAVEPOINT", name).constData());
}

void SqliteBackend::releaseSavepoint(const QString& name)
{
    executeDirect(savepointStatement("RELEASE", name).constData());
}

void SqliteBackend::rollbackToSavepoint(const QString& name)
{
    executeDirect(savepointStatement("ROLLBACK TO", name).constData());
}

} // namespace data
