#pragma once
// The rows of a run a clerk has to fix, handed back as a workbook: the sheet's own header row, then each failed row
// exactly as the sheet had it (every column), with the sheet row ("原行号") and the reason ("原因") added at the
// right. Rows counted as empty records although they name a product go in too ("没有商品编号"): nothing typed is lost
// from sight. The clerk fixes them there and imports that file.

#include "worksheet/Workbook.h"

#include <QString>

#include <optional>
#include <stdexcept>
#include <vector>

namespace importer {

struct FailedRow
{
    int sheetRow = 0; // as the sheet numbers it, 1 for the first
    QString reason;
    bool operator==(const FailedRow&) const = default;
};

struct FailedRows
{
    std::optional<data::Worksheet> sheet; // the sheet the rows come from; none before a sheet was read
    int headerRow = 0;                    // its header row (kNoHeaderRow: none, the columns named 第1列 ...)
    std::vector<FailedRow> rows;          // in sheet order

    bool isEmpty() const { return rows.empty(); }
};

// The reason given to a row with a name and no code.
inline const QString kNoCodeReason = QStringLiteral("没有商品编号");

class FailedRowsError : public std::runtime_error
{
public:
    explicit FailedRowsError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// Writes the rows to a new .xlsx at path (replacing a file there), one sheet "出错的行". Throws FailedRowsError
// with a message that says what to do.
void writeFailedRowsWorkbook(const QString& path, const FailedRows& failed);

} // namespace importer
