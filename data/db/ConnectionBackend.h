#pragma once
// What a driver behind Connection provides: statements run once from their text, a prepared insert of many rows
// for the import, transactions and savepoints, the waiting time for locks and the lock that keeps two imports
// from taking the same code letter.

#include "db/DatabaseError.h"
#include "db/StatementText.h"
#include "db/StoreColumns.h"

#include <QString>
#include <QStringList>

#include <bit>
#include <memory>
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

// The texts of an insert: the one-row statement as it stands, and the pieces of a statement of several rows,
// head + tuple + "," + tuple ... + tail, each tuple holding one "?" per column. A server that can take a batch as
// one array per column (PostgreSQL) builds that statement from into, "insert into T(c1,...)", the table's name
// and the type of each column's values.
struct InsertTexts
{
    ParsedStatement singleRow;
    QString head;
    QString tuple;
    QString tail;
    int columns = 0;
    QString into;
    QString table;
    QStringList columnNames; // the columns in order, where the parameters are not named after them
    std::vector<BoundValue::Type> columnTypes;

    bool offersArrays() const { return !into.isEmpty() && !table.isEmpty() && int(columnTypes.size()) == columns; }

    // The statement for rows rows: one row as the statement stands, several as head, tuples and tail. numbered:
    // "?N" placeholders where the driver wants them numbered, else "?".
    QString rowsText(int rows, bool numbered) const
    {
        if (rows == 1)
            return singleRow.driverText(numbered);
        QString text = head;
        for (int row = 0; row < rows; ++row) {
            if (row > 0)
                text += u',';
            text += tuple;
        }
        return text + tail;
    }
};

// An insert prepared once and run for row after row.
class PreparedInsert
{
public:
    virtual ~PreparedInsert() = default;
    // How many rows one insert() may carry.
    virtual int maxRows() const = 0;
    // How many of count waiting rows (count >= 1) the next insert() should carry. Where every row count is a
    // statement of its own, the largest of the few counts kept prepared: maxRows() and the powers of two below
    // it, so that a run prepares a handful of statements, not one for every count that comes.
    virtual int statementRows(int count) const
    {
        return count >= maxRows() ? maxRows() : int(std::bit_floor(unsigned(count)));
    }
    // rows points at count rows, each of columns values, every one set. All rows go in one statement: either all
    // are stored or, on a refusal, none. Throws DatabaseError with the store's code and its fault.
    virtual void insert(const BoundValue* const* rows, int count) = 0;
};

// A statement that changes rows (an update of one product), prepared once and run for row after row.
class PreparedWrite
{
public:
    explicit PreparedWrite(const ParsedStatement& statement) : valueCount_(statement.names.size()) {}
    virtual ~PreparedWrite() = default;
    // values holds one entry per name of the statement, every one set. Returns how many rows the statement
    // changed. Throws DatabaseError with the store's code and its fault (a store fault for a wrong number of values).
    int run(const std::vector<BoundValue>& values)
    {
        if (values.size() != valueCount_)
            throw DatabaseError(
                QStringLiteral("The statement takes %1 values, not %2").arg(valueCount_).arg(values.size()),
                Fault::Store);
        return write(values);
    }

protected:
    virtual int write(const std::vector<BoundValue>& values) = 0;

private:
    std::size_t valueCount_;
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
    virtual std::unique_ptr<PreparedInsert> prepareInsert(const InsertTexts& texts) = 0;
    // Prepares the statement now, so that a table that does not fit shows before any row. Throws DatabaseError.
    virtual std::unique_ptr<PreparedWrite> prepareWrite(const ParsedStatement& statement) = 0;

    virtual void beginTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool abortsTransactionOnError() const = 0;
    // After a refused statement inside a transaction that no savepoint guarded: whether the transaction still
    // stands with everything done in it before. When it does not, the backend guards with savepoints from then on
    // (abortsTransactionOnError() turns true).
    virtual bool transactionSurvivedRefusal() = 0;
    virtual void savepoint(const QString& name) = 0;
    virtual void releaseSavepoint(const QString& name) = 0;
    virtual void rollbackToSavepoint(const QString& name) = 0;

    // How long a statement waits for a lock another connection holds before it gives up.
    virtual void setBusyTimeout(int milliseconds) = 0;
    // Inside a transaction: waits (at most the busy time-out) until no other connection's transaction holds the
    // code letters of Cpxm, and holds them until this transaction ends.
    virtual void lockCodeLetters() = 0;
    // The table's columns as the store states them, in the table's order; empty when there is no such table.
    // Throws DatabaseError.
    virtual std::vector<StoreColumn> tableColumns(const QString& table) = 0;
    // Inside a transaction: constraints declared to wait for the commit are checked at every statement instead,
    // where the store can (PostgreSQL's SET CONSTRAINTS ALL IMMEDIATE); elsewhere nothing.
    virtual void checkConstraintsAtOnce() {}
    // A name as a statement must write it for this store, whatever it holds (a blank, a keyword, a quote): SQL's
    // double quotes by default, each one inside doubled.
    virtual QString quotedName(const QString& name) const
    {
        return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
    }
    // The store's product as it names itself ("SQLite", "PostgreSQL", "Microsoft SQL Server", ...).
    virtual QString dbmsName() const = 0;
};

} // namespace data
