#pragma once
// The workbook the window has open: read once when the clerk picks it (to list its sheets) and used again by the
// run, as long as the file has not changed, so that a large workbook is not read twice.

#include "worksheet/Workbook.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>

class WorkbookCache
{
public:
    // The workbook at path, read anew when it is another file or has changed. Throws data::WorkbookError.
    const data::Workbook& workbook(const QString& path);
    // Its sheet by the exact name, read once. Throws data::WorkbookError or data::SheetError.
    data::Worksheet sheet(const QString& path, const QString& sheetName);
    // The sheet that holds the products, as the run takes it when no sheet is named.
    data::Worksheet productSheet(const QString& path);

private:
    struct Opened
    {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        data::Workbook workbook;
        QHash<QString, data::Worksheet> sheets;
    };
    std::optional<Opened> opened_;
};
