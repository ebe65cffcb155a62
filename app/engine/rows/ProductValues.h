#pragma once
// A product row of the sheet made into the values of one Cpxm row (or the reason it fails before the store), and
// the texts that name a row the store did not take.

#include "db/StoreColumns.h"
#include "engine/sheet/ProductFields.h"
#include "store/CpxmColumns.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace data {
class DatabaseError;
}

namespace importer {

struct MadeRow;
struct ProductRow;
class ValueSlabs;

// A further column of Cpxm fed from the sheet: the column as the store states it, and the sheet's header that
// feeds it (for the log).
struct FurtherColumn
{
    data::StoreColumn column;
    QString header;
};

// The values that are the same for every row of a run.
struct RunValues
{
    QString codeLetter;     // the run's code letter, or empty
    QString bigKindCode;    // the category's Remark
    QString categoryKindId; // the category's kinid
    // The clerk's decimal separator, looked up once per run rather than once per number.
    QString decimalSeparator = QLocale::system().decimalPoint();
    // The width the store states for Cpxm_jp, 0 for none: a mnemonic the import builds is cut to it.
    int mnemonicWidth = 0;
    // The width the store states for each of the twenty columns, in the table's order (0: none stated): a text
    // from the sheet longer than its column fails the row on every store alike.
    std::array<int, data::kCpxmColumnCount> widths{};
    // The further columns of Cpxm the clerk chose, after the twenty, in the order of ProductRow::further.
    std::vector<FurtherColumn> further;
};

// A value of a further column that the column cannot take: a text longer than the column, a number cell that
// does not read as a number. The reason is in the clerk's words.
class RowValueError : public std::runtime_error
{
public:
    explicit RowValueError(const QString& reason) : std::runtime_error(reason.toStdString()), reason_(reason) {}
    const QString& reason() const { return reason_; }

private:
    QString reason_;
};

// "编号---<Code>；名称---<Name>": the log line of a row the store did not take, followed by "；原因---<reason>"
// when the reason is known.
QString errorLine(const ProductRow& row);
QString errorLine(const QString& code, const QString& name, const QString& reason = QString());

// Why the store refused the row, in the clerk's words: a repeated code (naming the earlier row of the sheet that
// has it), a text longer than its column, or the store's own message.
QString refusalReason(const data::DatabaseError& refusal, const MadeRow& row);

// Why the row's numbers do not convert: the first that does not, as "<header>“<text>”不是数字", the header being
// the sheet's own where headerOf gives it. Empty when every number converts.
QString numberProblem(const ProductRow& row, const RunValues& runValues,
                      const std::function<QString(ProductColumn)>& headerOf = {});

// The twenty values of a row, in the order and with the types of the column table, then the further columns'; the
// numbers converted strictly, one after the other, so that the first bad number stops the row. A blank further
// cell takes the column's default. Throws NumberTextError (the twenty) or RowValueError (the further columns,
// the row's readFault, or a text no store keeps as it is: one holding U+0000, which a server cuts short).
data::CpxmRow productValues(const ProductRow& row, const RunValues& runValues);
// How many values a row has: the twenty, then the further columns.
std::size_t productValueCount(const RunValues& runValues);

// The row's values for the store into made, taken from slabs, or, where a value does not convert, the reason it
// fails before the store (its number named by the header headerOf gives, the template's without it).
void makeValues(MadeRow& made, const ProductRow& row, const RunValues& runValues, ValueSlabs& slabs,
                const std::function<QString(ProductColumn)>& headerOf = {});

} // namespace importer
