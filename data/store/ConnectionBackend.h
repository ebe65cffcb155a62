#pragma once
// What a driver behind Connection provides. Each backend keeps its prepared statements by their text, since the
// same text always has the same parameters.

#include "StatementText.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace data {

// A whole result, fetched when the query opens; every value already as the text the callers read.
struct ResultSet
{
    QStringList columns;
    std::vector<QString> cells; // row by row
    int rowCount = 0;

    void clear()
    {
        columns.clear();
        cells.clear();
        rowCount = 0;
    }
};

class ConnectionBackend
{
public:
    virtual ~ConnectionBackend() = default;

    // values holds one entry per name of the statement, every one bound. maxRows > 0 stops the fetch after that
    // many rows. Both throw DatabaseError.
    virtual void execute(const ParsedStatement& statement, const std::vector<BoundValue>& values) = 0;
    virtual void select(const ParsedStatement& statement, const std::vector<BoundValue>& values, int maxRows,
                        ResultSet& result) = 0;

    virtual void beginTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool abortsTransactionOnError() const = 0;
    virtual void savepoint(const QString& name) = 0;
    virtual void releaseSavepoint(const QString& name) = 0;
    virtual void rollbackToSavepoint(const QString& name) = 0;
};

} // namespace data
