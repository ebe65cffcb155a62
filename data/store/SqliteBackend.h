#pragma once
// The SQLite file store through SQLite's own C API: the import's hot path, so statements are prepared once per
// text and values are bound without copies.

#include "ConnectionBackend.h"

#include <memory>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace data {

class SqliteBackend final : public ConnectionBackend
{
public:
    // Opens an existing SQLite file for reading and writing; never creates one. Throws DatabaseError.
    explicit SqliteBackend(const QString& path);
    ~SqliteBackend() override;

    void execute(const ParsedStatement& statement, const std::vector<BoundValue>& values) override;
    void select(const ParsedStatement& statement, const std::vector<BoundValue>& values, ResultSet& result) override;

    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool abortsTransactionOnError() const override { return false; }
    void savepoint(const QString& name) override;
    void releaseSavepoint(const QString& name) override;
    void rollbackToSavepoint(const QString& name) override;

private:
    struct StatementFinalizer
    {
        void operator()(sqlite3_stmt* statement) const;
    };
    using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;
    struct TextHash
    {
        size_t operator()(const QString& text) const noexcept;
    };

    sqlite3_stmt* prepared(const ParsedStatement& statement, const std::vector<BoundValue>& values);
    void executeDirect(const char* sql);
    [[noreturn]] void fail(const QString& context) const;

    sqlite3* db_ = nullptr;
    std::unordered_map<QString, StatementHandle, TextHash> statements_;
    QString lastText_;                      // the text of the statement used last, and its handle
    sqlite3_stmt* lastStatement_ = nullptr; // (owned by statements_)
};

} // namespace data
