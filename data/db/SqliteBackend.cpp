#include "db/SqliteBackend.h"

#include "db/DatabaseError.h"
#include "db/StoreFaults.h"
#include "queue/Quantities.h"

#include <QStringEncoder>

#include <cstring>
#include <map>

#include <sqlite3.h>

namespace data {

namespace {

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

// The statement as SQLite takes it. Plain "?" where every parameter stands once, in order: the same binding as
// "?N", and SQLite looks each "?N" up among those before it, which makes a statement of two thousand parameters
// slow to prepare.
QString sqliteText(const ParsedStatement& statement)
{
    bool inOrder = true;
    for (size_t i = 0; i < statement.occurrences.size() && inOrder; ++i)
        inOrder = statement.occurrences[i].parameter == int(i);
    return statement.driverText(!inOrder);
}

// An empty text must stay a text: a null pointer would bind NULL.
constexpr char kEmptyText[] = "";

// Rows per statement: a hundred are about a fifth faster than one (fewer statements to start and end, one
// statement journal each); more gain nothing measurable (bench_import).
constexpr int kRowsPerInsert = sizes::kStatementRows;

} // namespace

void throwSqliteError(sqlite3* db, int resultCode, const QString& context)
{
    const int code = db ? sqlite3_extended_errcode(db) : resultCode;
    const QString detail = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(resultCode));
    throw DatabaseError(context.isEmpty() ? detail : context + QStringLiteral(": ") + detail, sqliteFault(code),
                        sqliteCodeName(code));
}

// The import's insert: up to kRowsPerInsert rows per statement, prepared once for each row count that comes. A
// refused statement is undone by SQLite alone, whatever its row count. A statement keeps its bindings from one
// run to the next, so a parameter whose value is the same as last time (the fixed columns, the category, a unit
// that repeats) is neither converted nor bound again; texts are converted to UTF-8 into buffers of the
// statement's own.
class SqliteBackend::Insert final : public PreparedInsert
{
public:
    Insert(SqliteBackend& backend, const InsertTexts& texts) : backend_(backend), texts_(texts) {}

    int maxRows() const override { return kRowsPerInsert; }

    void insert(const BoundValue* const* rows, int count) override
    {
        Statement& statement = statementFor(count);
        ResetOnExit reset(statement.handle.get());
        const auto columns = size_t(texts_.columns);
        for (size_t row = 0; row < size_t(count); ++row) {
            for (size_t column = 0; column < columns; ++column) {
                const size_t i = row * columns + column;
                const int rc = bind(statement, i, rows[row][column]);
                if (rc != SQLITE_OK) {
                    statement.bound[i] = Binding(); // bound again next time, whatever comes
                    throwSqliteError(backend_.db_, rc);
                }
            }
        }
        const int rc = sqlite3_step(statement.handle.get());
        if (rc != SQLITE_DONE)
            throwSqliteError(backend_.db_, rc);
    }

private:
    // What a parameter is bound to: the value, a text as a copy of its characters, and the UTF-8 that SQLite reads
    // in place. Not a QString sharing the row's text: its count of users sits with the characters, which the
    // thread that made the row last wrote, and counting there cost the writes more than copying a short text.
    struct Binding
    {
        BoundValue::Type type = BoundValue::Type::Unset;
        qint64 integer = 0;
        double number = 0.0;
        bool nullText = false;
        std::vector<char16_t> text;
        std::vector<char> utf8;
    };
    struct Statement
    {
        StatementHandle handle;
        std::vector<Binding> bound; // by parameter
    };

    Statement& statementFor(int count)
    {
        auto found = statements_.find(count);
        if (found != statements_.end())
            return found->second;
        Statement statement{backend_.prepare(texts_.rowsText(count, true)),
                            std::vector<Binding>(size_t(count) * size_t(texts_.columns))};
        return statements_.emplace(count, std::move(statement)).first->second;
    }

    static bool sameValue(const Binding& a, const BoundValue& b)
    {
        if (a.type != b.type)
            return false;
        switch (a.type) {
        case BoundValue::Type::Text:
            return a.nullText == b.text.isNull() && a.text.size() == std::size_t(b.text.size()) &&
                   std::memcmp(a.text.data(), b.text.constData(), a.text.size() * sizeof(char16_t)) == 0;
        case BoundValue::Type::Integer:
            return a.integer == b.integer;
        case BoundValue::Type::Double: // bit for bit: -0.0 is not 0.0, and a NaN is itself
            return std::memcmp(&a.number, &b.number, sizeof(double)) == 0;
        case BoundValue::Type::Unset:
            break;
        }
        return false; // never bound yet
    }

    static void keep(Binding& binding, const BoundValue& value)
    {
        binding.type = value.type;
        binding.integer = value.integer;
        binding.number = value.number;
        binding.nullText = value.text.isNull();
        const auto* characters = reinterpret_cast<const char16_t*>(value.text.constData());
        binding.text.assign(characters, characters + value.text.size());
    }

    int bind(Statement& statement, size_t index, const BoundValue& value)
    {
        Binding& binding = statement.bound[index];
        if (sameValue(binding, value))
            return SQLITE_OK;
        keep(binding, value);
        sqlite3_stmt* const handle = statement.handle.get();
        const int position = int(index) + 1;
        switch (value.type) {
        case BoundValue::Type::Integer:
            return sqlite3_bind_int64(handle, position, value.integer);
        case BoundValue::Type::Double:
            return sqlite3_bind_double(handle, position, value.number);
        case BoundValue::Type::Text: {
            if (value.text.isEmpty())
                return sqlite3_bind_text(handle, position, kEmptyText, 0, SQLITE_STATIC);
            const auto space = size_t(toUtf8_.requiredSpace(value.text.size()));
            if (binding.utf8.size() < space)
                binding.utf8.resize(space);
            const char* end = toUtf8_.appendToBuffer(binding.utf8.data(), value.text);
            return sqlite3_bind_text(handle, position, binding.utf8.data(), int(end - binding.utf8.data()),
                                     SQLITE_STATIC);
        }
        case BoundValue::Type::Unset:
            break;
        }
        return sqlite3_bind_null(handle, position);
    }

    SqliteBackend& backend_;
    InsertTexts texts_;
    std::map<int, Statement> statements_; // by row count
    QStringEncoder toUtf8_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

// A statement that changes rows: prepared once, bound anew and rewound for every row.
class SqliteBackend::Write final : public PreparedWrite
{
public:
    Write(SqliteBackend& backend, const ParsedStatement& statement)
        : PreparedWrite(statement), backend_(backend), statement_(statement),
          handle_(backend.prepare(sqliteText(statement)))
    {
    }

protected:
    int write(const std::vector<BoundValue>& values) override
    {
        ResetOnExit reset(handle_.get());
        backend_.bind(handle_.get(), statement_, values);
        const int rc = sqlite3_step(handle_.get());
        if (rc != SQLITE_DONE)
            throwSqliteError(backend_.db_, rc);
        return sqlite3_changes(backend_.db_);
    }

private:
    SqliteBackend& backend_;
    ParsedStatement statement_;
    StatementHandle handle_;
};

void SqliteBackend::StatementFinalizer::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

SqliteBackend::SqliteBackend(const QString& path, int busyTimeoutMs)
{
    const QByteArray fileName = path.toUtf8();
    // A connection is used by one thread at a time: SQLite's own locking per call would be wasted.
    const int rc = sqlite3_open_v2(fileName.constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString detail = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw DatabaseError(QStringLiteral("Cannot open the SQLite store %1: %2").arg(path, detail), Fault::Store,
                            sqliteCodeName(rc));
    }
    sqlite3_extended_result_codes(db_, 1);
    setBusyTimeout(busyTimeoutMs);
    // Opening reads nothing yet: read the schema now so that a file that is no database fails here. This is the
    // one statement that waits for a store another program holds; the pragma below needs the schema read.
    char* message = nullptr;
    if (sqlite3_exec(db_, "select count(*) from sqlite_master", nullptr, nullptr, &message) != SQLITE_OK) {
        const QString detail = QString::fromUtf8(message ? message : sqlite3_errmsg(db_));
        const int code = sqlite3_extended_errcode(db_);
        sqlite3_free(message);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw DatabaseError(QStringLiteral("Cannot open the SQLite store %1: %2").arg(path, detail), Fault::Store,
                            sqliteCodeName(code));
    }
    // A group of a full sheet's rows fits in the page cache: pages are written once, at the commit, instead of
    // being pushed out to the file half-way. A group of 20,000 rows dirties some 5 MiB; a larger cache only kept
    // the committed pages of a million-row import, 64 MiB of them. This connection's setting only; the file is not
    // changed by it.
    sqlite3_exec(db_, "PRAGMA cache_size = -16384", nullptr, nullptr, nullptr);
}

SqliteBackend::~SqliteBackend()
{
    selects_.clear();
    sqlite3_close_v2(db_);
}

void SqliteBackend::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(db_, milliseconds);
}

SqliteBackend::StatementHandle SqliteBackend::prepare(const QString& sql)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &raw, &tail);
    StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        throwSqliteError(db_, rc);
    // A second statement in the text would silently be ignored: refuse it instead.
    const QByteArray rest = QByteArray(tail).trimmed();
    if (!rest.isEmpty() && rest != ";")
        throw DatabaseError(QStringLiteral("One statement at a time: the text goes on after the first"), Fault::Store);
    if (!statement)
        throw DatabaseError(QStringLiteral("The statement is empty"), Fault::Store);
    return statement;
}

void SqliteBackend::bind(sqlite3_stmt* statement, const ParsedStatement& parsed, const std::vector<BoundValue>& values)
{
    // Each value keeps its own type; texts are copied, these statements are few.
    for (size_t i = 0; i < values.size(); ++i) {
        const BoundValue& value = values[i];
        const int position = int(i) + 1;
        int rc = SQLITE_OK;
        switch (value.type) {
        case BoundValue::Type::Integer:
            rc = sqlite3_bind_int64(statement, position, value.integer);
            break;
        case BoundValue::Type::Double:
            rc = sqlite3_bind_double(statement, position, value.number);
            break;
        case BoundValue::Type::Text: {
            const QByteArray utf8 = value.text.toUtf8();
            rc = utf8.isEmpty()
                     ? sqlite3_bind_text(statement, position, kEmptyText, 0, SQLITE_STATIC)
                     : sqlite3_bind_text(statement, position, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            break;
        }
        case BoundValue::Type::Unset:
            rc = sqlite3_bind_null(statement, position);
            break;
        }
        if (rc != SQLITE_OK)
            throwSqliteError(db_, rc, QStringLiteral("Cannot bind :%1").arg(parsed.names.value(int(i))));
    }
}

void SqliteBackend::execute(const ParsedStatement& statement, const std::vector<BoundValue>& values)
{
    const StatementHandle handle = prepare(sqliteText(statement));
    bind(handle.get(), statement, values);
    int rc;
    while ((rc = sqlite3_step(handle.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throwSqliteError(db_, rc);
}

void SqliteBackend::select(const ParsedStatement& statement, const std::vector<BoundValue>& values, int maxRows,
                           ResultSet& result)
{
    result.clear();
    constexpr std::size_t kSelectsKept = 32;
    // Found by the text as written: making SQLite's text of a long statement costs as much as running it.
    auto kept = selects_.find(statement.text);
    if (kept == selects_.end()) {
        if (selects_.size() >= kSelectsKept)
            selects_.clear();
        kept = selects_.emplace(statement.text, prepare(sqliteText(statement))).first;
    }
    const StatementHandle& handle = kept->second;
    const ResetOnExit reset(handle.get());
    bind(handle.get(), statement, values);
    const int columnCount = sqlite3_column_count(handle.get());
    for (int column = 0; column < columnCount; ++column)
        result.columns.append(QString::fromUtf8(sqlite3_column_name(handle.get(), column)));
    int rc = SQLITE_ROW; // stays so when the limit ends the fetch
    while ((maxRows <= 0 || result.rowCount < maxRows) && (rc = sqlite3_step(handle.get())) == SQLITE_ROW) {
        for (int column = 0; column < columnCount; ++column)
            result.cells.push_back(columnText(handle.get(), column));
        ++result.rowCount;
    }
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        result.clear();
        throwSqliteError(db_, rc);
    }
}

std::unique_ptr<PreparedInsert> SqliteBackend::prepareInsert(const InsertTexts& texts)
{
    auto insert = std::make_unique<Insert>(*this, texts);
    // A table that does not fit shows now, before any row.
    prepare(texts.singleRow.driverText(true));
    return insert;
}

std::unique_ptr<PreparedWrite> SqliteBackend::prepareWrite(const ParsedStatement& statement)
{
    return std::make_unique<Write>(*this, statement);
}

void SqliteBackend::executeDirect(const char* sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString detail = QString::fromUtf8(message ? message : sqlite3_errmsg(db_));
        const int code = sqlite3_extended_errcode(db_);
        sqlite3_free(message);
        throw DatabaseError(detail, sqliteFault(code), sqliteCodeName(code));
    }
}

// IMMEDIATE takes the write lock at once: a busy store makes the whole group wait (once, at most the busy
// time-out) instead of single rows failing, and nobody else writes between this transaction's reads and writes.
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
    // After a full disk or an I/O error SQLite may have ended the transaction itself: nothing is left to undo.
    if (sqlite3_get_autocommit(db_))
        return;
    executeDirect("ROLLBACK");
}

// SQLite undoes a refused statement alone, unless the table asks for more (ON CONFLICT ROLLBACK): then the
// transaction is gone.
bool SqliteBackend::transactionSurvivedRefusal()
{
    return !sqlite3_get_autocommit(db_);
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

// The transaction began IMMEDIATE and so holds the store's one write lock already: no other connection writes
// until it ends.
void SqliteBackend::lockCodeLetters() {}

std::vector<StoreColumn> SqliteBackend::tableColumns(const QString& table)
{
    BoundValue name;
    name.type = BoundValue::Type::Text;
    name.text = table;
    ResultSet result;
    select(parseStatement(QStringLiteral("select name, type, dflt_value from pragma_table_info(:t)")), {name}, 0,
           result);
    std::vector<StoreColumn> columns;
    for (int row = 0; row < result.rowCount; ++row) {
        const QString* cells = result.cells.data() + size_t(row) * 3;
        StoreColumn column;
        column.name = cells[0];
        column.typeName = cells[1];
        column.kind = kindOfDeclaredType(cells[1]);
        column.length = lengthOfDeclaredType(cells[1]);
        column.defaultValue = defaultLiteral(cells[2]);
        columns.push_back(column);
    }
    return columns;
}

} // namespace data
