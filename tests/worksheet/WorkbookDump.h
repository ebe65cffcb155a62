#pragma once
// A whole workbook as lines of text, for comparing two workbooks (two writers, two formats) cell for cell.

#include "Workbook.h"

#include <QStringList>

namespace workbookdump {

// Every cell of every sheet, one line per row, after a line naming the sheet and its extents.
inline QStringList dump(const data::Workbook& book)
{
    QStringList lines;
    for (const QString& name : book.sheetNames()) {
        const data::Worksheet sheet = book.sheet(name);
        lines << QStringLiteral("== %1 %2x%3").arg(name).arg(sheet.rowCount()).arg(sheet.columnCount());
        for (int row = 0; row < sheet.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < sheet.columnCount(); ++column)
                cells << sheet.cellText(row, column);
            lines << cells.join(u'\t');
        }
    }
    return lines;
}

} // namespace workbookdump
