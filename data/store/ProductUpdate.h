#pragma once
// The writes to a product already in the store, each prepared once per run and run for row after row: an update
// of the columns the sheet feeds, and a stock merge that adds a row's stock to the product's.

#include "StatementText.h"

#include <QString>
#include <QStringList>

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

// "update Cpxm set <column> = ?, ... where Cpxm_bm = ?"
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
    // values: one per column, in that order, typed for the column as the insert binds it; storedCode: the whole
    // Cpxm_bm of the product. Returns the rows changed: 1, or 0 when no product has that code. Throws
    // DatabaseError: a row fault for a value the store refuses, a store fault when it can take no row.
    int update(const std::vector<BoundValue>& values, const QString& storedCode);

private:
    QStringList columns_;
    std::unique_ptr<PreparedWrite> write_;
    std::vector<BoundValue> bound_;
};

// "update Cpxm set CPxm_sl = coalesce(CPxm_sl, 0) + ? where Cpxm_bm = ?": a repeated code's stock added to the
// product's (a product without a stock takes the row's).
class StockMerge
{
public:
    // Throws DatabaseError when the store cannot prepare it.
    explicit StockMerge(Connection& store);
    ~StockMerge();
    StockMerge(const StockMerge&) = delete;
    StockMerge& operator=(const StockMerge&) = delete;

    // Returns the rows changed: 1, or 0 when no product has that code. Throws DatabaseError like an update.
    int add(double stock, const QString& storedCode);

private:
    std::unique_ptr<PreparedWrite> write_;
    std::vector<BoundValue> bound_;
};

// The statements as they are prepared, for a look at them; the same checks as ProductUpdate.
QString productUpdateText(const QStringList& columns);
QString stockMergeText();

} // namespace data
