#pragma once
// The writes to a product already in the store, each prepared once per run and run for row after row: an update
// of the columns the sheet feeds, and a stock merge that adds a row's stock to the product's. Each names the one
// stored row it means (StoredRow) and changes that row alone.

#include "db/StatementText.h"
#include "store/StoredProducts.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

namespace data {

class Connection;
class PreparedWrite;

// A column an update may not set: the code that finds the product, its category, a fixed value, one named twice,
// or one Cpxm does not have. The message names the column and why.
class UpdateColumnError : public std::invalid_argument
{
public:
    explicit UpdateColumnError(const QString& message) : std::invalid_argument(message.toStdString()), message_(message)
    {
    }
    const QString& message() const { return message_; }

private:
    QString message_;
};

// How a write names its stored row: by rowid, by code and name as stored, or by the code alone. A statement that
// names the row by its code changes it only where exactly one row answers, so that it never writes over another
// product with the same code.
enum class RowKey { Rowid, CodeAndName, Code };
RowKey rowKeyOf(const StoredRow& row);

// "update Cpxm set <column> = ?, ... where <the row>"
class ProductUpdate
{
public:
    // columns: Cpxm's columns to set, by name (case aside): those of the twenty that come from the sheet (the
    // name, the mnemonic, the unit, the prices, the stock, the discounts) and the store's further columns.
    // Throws UpdateColumnError for a column it may not set, DatabaseError when the store cannot prepare it.
    ProductUpdate(Connection& store, const QStringList& columns);
    ~ProductUpdate();
    ProductUpdate(const ProductUpdate&) = delete;
    ProductUpdate& operator=(const ProductUpdate&) = delete;

    // The columns it sets, as the store spells them, in the order their values go.
    const QStringList& columns() const { return columns_; }
    // values: one per column, in that order, typed for the column as the insert binds it; an Unset value leaves
    // its column as it is (a blank cell), and a row with every value Unset changes nothing (and returns 1). Returns
    // the rows changed: 1, or 0 when the row is not there (or no longer the only one with its code). Throws
    // DatabaseError: a row fault for a value the store refuses, a store fault when it can take no row.
    int update(const std::vector<BoundValue>& values, const StoredRow& row);
    // The row named by its code alone.
    int update(const std::vector<BoundValue>& values, const QString& storedCode)
    {
        return update(values, StoredRow{storedCode, std::nullopt, -1});
    }

    // Whether updateMany() takes several rows in one statement on this store (PostgreSQL: one array per column).
    bool updatesAtOnce() const { return !columnTypes_.isEmpty(); }
    // values: count rows of values as update() takes them (Unset leaves the column); rows: the stored row of each,
    // named by its code and name. One statement for them all, each changing its row only where that is the one row
    // with its code and name. Returns the rows changed. Throws DatabaseError as update() does.
    int updateMany(const std::vector<const std::vector<BoundValue>*>& values, const std::vector<StoredRow>& rows);

private:
    PreparedWrite& statementFor(quint64 setColumns, RowKey key);
    void prepareMany();

    Connection& store_;
    QStringList columns_;
    QStringList written_;     // as the statement writes them
    QStringList columnTypes_; // PostgreSQL: each column's type, for its array; empty elsewhere
    std::unique_ptr<PreparedWrite> many_;
    std::vector<BoundValue> arrays_; // the keys' and the columns' array literals
    std::map<std::pair<quint64, RowKey>, std::unique_ptr<PreparedWrite>> writes_; // by the columns set and the key
    std::vector<BoundValue> bound_;
};

// "update Cpxm set CPxm_sl = coalesce(CPxm_sl, 0) + ? where <the row>": a repeated code's stock added to the
// product's (a product without a stock takes the row's), never beyond what a double holds.
class StockMerge
{
public:
    enum class Result { Merged, Gone, OutOfRange };
    // Throws DatabaseError when the store cannot prepare it.
    explicit StockMerge(Connection& store);
    ~StockMerge();
    StockMerge(const StockMerge&) = delete;
    StockMerge& operator=(const StockMerge&) = delete;

    // Gone: the row is not there (or no longer the only one with its code); OutOfRange: the sum would leave the
    // range of a double (SQLite would store infinity). Throws DatabaseError like an update.
    Result add(double stock, const StoredRow& row);
    // The row named by its code alone: 1 when merged, else 0.
    int add(double stock, const QString& storedCode)
    {
        return add(stock, StoredRow{storedCode, std::nullopt, -1}) == Result::Merged ? 1 : 0;
    }

private:
    PreparedWrite& statementFor(RowKey key, bool check);

    Connection& store_;
    std::map<std::pair<RowKey, bool>, std::unique_ptr<PreparedWrite>> writes_;
    std::vector<BoundValue> bound_;
};

// The statements as they are prepared, for a look at them (every column set, the row named by its code); the same
// checks as ProductUpdate.
QString productUpdateText(const QStringList& columns);
QString stockMergeText();

} // namespace data
