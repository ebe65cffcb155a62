#pragma once
// InsertProductRecord: one product row of the sheet becomes one new Cpxm row, or one counted and logged failure.

#include "ImportReporter.h"

#include <QLocale>
#include <QString>
#include <QStringList>

namespace data {
class Query;
} // namespace data

namespace importer {

struct ProductRow;

// The values that are the same for every row of a run.
struct BatchValues
{
    QString batchPrefix;    // BatchPrefix: the run's code letter, or empty
    QString bigKindCode;    // BigKindCode: the category's Remark
    QString categoryKindId; // CategoryKindId: the category's kinid
    // The clerk's decimal separator, looked up once per run rather than once per number.
    QString decimalSeparator = QLocale::system().decimalPoint();
};

// What became of a row.
enum class InsertResult {
    Stored,       // the store took it
    BadNumber,    // a number text did not convert; nothing was sent
    StoreRefused, // the store (or the statement) refused it
};

// "编号---<Code>；名称---<Name>": the log line of a row the store did not take.
QString errorLine(const ProductRow& row);

// Builds the two-line insert on storeQuery, binds the twenty parameters by name with their own types (numbers
// converted strictly as they are bound) and executes it. Raises counts.imported when the store took the row;
// otherwise raises counts.failed and appends the row's error line to errorLog. Lets nothing escape.
InsertResult InsertProductRecord(data::Query& storeQuery, const ProductRow& row, const BatchValues& batch,
                                 ImportCounts& counts, QStringList& errorLog) noexcept;

} // namespace importer
