#pragma once
// The twenty columns of Cpxm that an import writes, each with its name, the type its value is bound with and
// where the value comes from: the one place that lists them. The insert statement, the engine's binding, the
// tests and the benchmarks all read this table.

#include "db/StatementText.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace data {

enum class ColumnType {
    Text,      // an empty text stays a text, never NULL
    Double,    // double precision
    Integer16, // a 16-bit integer
};

enum class ColumnSource {
    LetterAndCode, // the run's code letter followed by the sheet's product code
    Name,          // the sheet's columns, by the names of the product row
    Mnemonic,
    Unit,
    SalePrice,
    CostPrice,
    Stock,
    MinDiscount,
    ItemDiscount,
    BigKindCode,    // the chosen category's Remark
    CategoryKindId, // the chosen category's kinid
    Fixed,          // the same value in every product the store's own system creates by hand
};

// The type a value of the column is bound with.
BoundValue::Type boundValueType(ColumnType type);

struct CpxmColumn
{
    QString name; // also the name of its parameter
    ColumnType type;
    ColumnSource source;
    QString fixedText;   // the value of a Fixed text column
    qint16 fixedInteger; // the value of a Fixed integer column
};

inline constexpr int kCpxmColumnCount = 20;
// Further columns of Cpxm a run may fill from the sheet, after the twenty.
inline constexpr int kMaxFurtherColumns = 12;

// In the order of the insert statement.
const std::array<CpxmColumn, kCpxmColumnCount>& cpxmColumns();

// The values of one product row, column by column in the table's order, then the further columns of the run, as a
// vector of its own: for the few rows kept apart from their block (a merge's stock, the benchmarks).
using CpxmRow = std::vector<BoundValue>;

// "insert into Cpxm(<the twenty names>[,<further columns>])"
QString productInsertClause(const QStringList& furtherColumns = {});
// " values(:<name>,...)": one named parameter per column, named like it (the further ones :further1, ...).
QString productValuesClause(const QStringList& furtherColumns = {});
// The statement as the store query holds it: the two clauses, each line followed by CR LF.
QString productInsertText(const QStringList& furtherColumns = {});

} // namespace data
