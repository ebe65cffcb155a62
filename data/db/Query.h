#pragma once
// A statement on a store connection: text held as lines, named parameters (:name) bound by name with their own
// type, a select opened with its exact row count, or a statement executed without rows.

#include <QString>
#include <QStringList>

#include <memory>

namespace data {

class Connection;
class QueryState;

class Query
{
public:
    explicit Query(Connection& connection);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void close();

    // Statement text
    void clearSql();
    void addSqlLine(const QString& line);
    void setSqlText(const QString& text); // lines split at CR LF, LF or CR
    QString sqlText() const;              // every line followed by CR LF, the last one too
    QStringList parameterNames() const;   // rebuilt whenever the text changes

    // Binding by name (with or without the colon), case-insensitive; a name the text lacks throws DatabaseError.
    // Changing the text drops the values bound so far; running a statement with a parameter left unbound throws.
    void bindText(const QString& name, const QString& value); // an empty text stays empty, never NULL
    void bindInteger16(const QString& name, qint16 value);
    void bindDouble(const QString& name, double value);

    // A select: the whole result is fetched (up to the limit below); right after opening, the row count is exact
    // and the current row is the first. A connection that is down is connected first (one attempt).
    void open();
    // At most this many rows are fetched by the opens that follow (0: all), and rowCount counts only those: for a
    // caller that only needs to know whether a row exists. Holds until the query is closed or its text changes.
    void setMaxRows(int maxRows);
    bool isOpen() const;
    int rowCount() const;
    void first();
    void next();
    bool eof() const;
    // NULL reads as "", a number as its decimal text; a column the result lacks throws DatabaseError. Column names
    // are matched case-insensitively (PostgreSQL reports unquoted names in lower case).
    QString fieldText(const QString& column) const;

    // A statement that returns no rows.
    void execSql();

private:
    Connection& connection_;
    std::unique_ptr<QueryState> state_;
};

} // namespace data
