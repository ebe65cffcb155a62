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

// Rewinds a statement on every way out, so that it holds no lock and can be run again.
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

sqlite3_stmt* SqliteBackend::prepared(const ParsedStatement& statement, const std::vector<BoundValue>& values)
{
    sqlite3_stmt* handle = nullptr;
    // Row after row the same text comes back: a plain comparison is cheaper than hashing it.
    if (lastStatement_ && lastText_ == statement.text) {
        handle = lastStatement_;
    } else {
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
            // A second statement in the text would silently be ignored: refuse it instead.
            if (!QByteArray(tail).trimmed().isEmpty() && QByteArray(tail).trimmed() != ";") {
                sqlite3_finalize(raw);
                throw DatabaseError(QStringLiteral("One statement at a time: the text goes on after the first"));
            }
            found = statements_.emplace(statement.text, StatementHandle(raw)).first;
        }
        handle = found->second.get();
        if (!handle)
            throw DatabaseError(QStringLiteral("The statement is empty"));
        lastText_ = statement.text;
        lastStatement_ = handle;
    }

    // Each value keeps its own type; texts are handed over without a copy, as they outlive the step.
    static const char16_t kEmpty[] = u"";
    for (size_t i = 0; i < values.size(); ++i) {
        const BoundValue& value = values[i];
        const int position = int(i) + 1;
        int rc = SQLITE_OK;
        switch (value.type) {
        case BoundValue::Type::Text: {
            const void* text = value.text.isNull() ? static_cast<const void*>(kEmpty) : value.text.utf16();
            rc = sqlite3_bind_text16(handle, position, text, int(value.text.size() * 2), SQLITE_STATIC);
            break;
        }
        case BoundValue::Type::Integer:
            rc = sqlite3_bind_int64(handle, position, value.integer);
            break;
        case BoundValue::Type::Double:
            rc = sqlite3_bind_double(handle, position, value.number);
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

void SqliteBackend::select(const ParsedStatement& statement, const std::vector<BoundValue>& values, ResultSet& result)
{
    result.clear();
    sqlite3_stmt* handle = prepared(statement, values);
    ResetOnExit reset(handle);
    const int columnCount = sqlite3_column_count(handle);
    for (int column = 0; column < columnCount; ++column)
        result.columns.append(QString::fromUtf8(sqlite3_column_name(handle, column)));
    int rc;
    while ((rc = sqlite3_step(handle)) == SQLITE_ROW) {
        for (int column = 0; column < columnCount; ++column)
            result.cells.push_back(columnText(handle, column));
        ++result.rowCount;
    }
    if (rc != SQLITE_DONE) {
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
