#pragma once
// The SQLite file store through SQLite's own C API. The import's insert is prepared once per run (and row count)
// and bound batch after batch from buffers it reuses; other statements are few and are prepared each time they
// run.

#include "db/ConnectionBackend.h"

#include <map>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace data {

class SqliteBackend final : public ConnectionBackend
{
public:
    // Opens an existing SQLite file for reading and writing; never creates one. Throws DatabaseError.
    SqliteBackend(const QString& path, int busyTimeoutMs);
    ~SqliteBackend() override;

    void execute(const ParsedStatement& statement, const std::vector<BoundValue>& values) override;
    void select(const ParsedStatement& statement, const std::vector<BoundValue>& values, int maxRows,
                ResultSet& result) override;
    std::unique_ptr<PreparedInsert> prepareInsert(const InsertTexts& texts) override;
    std::unique_ptr<PreparedWrite> prepareWrite(const ParsedStatement& statement) override;

    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool abortsTransactionOnError() const override { return false; }
    bool transactionSurvivedRefusal() override;
    void savepoint(const QString& name) override;
    void releaseSavepoint(const QString& name) override;
    void rollbackToSavepoint(const QString& name) override;

    void setBusyTimeout(int milliseconds) override;
    void lockCodeLetters() override;
    std::vector<StoreColumn> tableColumns(const QString& table) override;
    QString dbmsName() const override { return QStringLiteral("SQLite"); }

private:
    struct StatementFinalizer
    {
        void operator()(sqlite3_stmt* statement) const;
    };
    using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;
    class Insert;
    class Write;

    StatementHandle prepare(const QString& sql);
    void bind(sqlite3_stmt* statement, const ParsedStatement& parsed, const std::vector<BoundValue>& values);
    void executeDirect(const char* sql);

    sqlite3* db_ = nullptr;
    // Selects prepared before, by their text as written: a run asks the same few selects again and again (the products
    // already in the store, a batch at a time), and preparing one can cost more than running it.
    std::map<QString, StatementHandle> selects_;
};

// The DatabaseError for the last failure on db, with its code and fault; context goes before the message.
[[noreturn]] void throwSqliteError(sqlite3* db, int resultCode, const QString& context = QString());

} // namespace data
