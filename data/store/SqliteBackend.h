#pragma once
// The SQLite file store through SQLite's own C API: the import's hot path, so statements are prepared once per
// text and texts are bound as UTF-8 from buffers reused row after row.

#include "ConnectionBackend.h"

#include <QStringEncoder>

#include <memory>
#include <unordered_map>
#include <vector>

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
    void select(const ParsedStatement& statement, const std::vector<BoundValue>& values, int maxRows,
                ResultSet& result) override;

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
    // A text bound to one parameter: SQLite reads it in place (as UTF-8) until the parameter is bound again, so it
    // lives here. The source string held alongside lets an unchanged text (the same string bound row after row)
    // stay bound as it is.
    struct BoundText
    {
        QString source;         // shared copy of what was bound; null when the parameter holds anything else
        std::vector<char> utf8; // its UTF-8, at the front
    };
    struct Statement
    {
        StatementHandle handle;
        std::vector<BoundText> texts; // by parameter
    };
    struct TextHash
    {
        size_t operator()(const QString& text) const noexcept;
    };

    sqlite3_stmt* prepared(const ParsedStatement& statement, const std::vector<BoundValue>& values);
    Statement& cached(const ParsedStatement& statement);
    int bindText(Statement& statement, int position, const QString& text); // an SQLite result code
    void executeDirect(const char* sql);
    [[noreturn]] void fail(const QString& context) const;

    sqlite3* db_ = nullptr;
    std::unordered_map<QString, std::unique_ptr<Statement>, TextHash> statements_;
    QString lastText_;                   // the text of the statement used last, and its entry
    Statement* lastStatement_ = nullptr; // (owned by statements_)
    QStringEncoder toUtf8_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

} // namespace data
