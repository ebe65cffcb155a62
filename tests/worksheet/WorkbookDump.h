#pragma once
// A whole workbook as lines of text, for comparing two workbooks (two writers, two formats) cell for cell.

#include "worksheet/Workbook.h"

#include <QStringList>

#include <algorithm>

namespace workbookdump {

// The sheet's cells, one line per row (at most maxRows rows and maxColumns columns), after a line with its extents.
inline QStringList sheetLines(const data::Worksheet& sheet, int maxRows = 1 << 30, int maxColumns = 1 << 14)
{
    QStringList lines{QStringLiteral("%1x%2").arg(sheet.rowCount()).arg(sheet.columnCount())};
    for (int row = 0; row < std::min(sheet.rowCount(), maxRows); ++row) {
        QStringList cells;
        for (int column = 0; column < std::min(sheet.columnCount(), maxColumns); ++column)
            cells << sheet.cellText(row, column);
        lines << cells.join(u'\t');
    }
    return lines;
}

// Every cell of every sheet, each sheet's lines after a line naming it.
inline QStringList dump(const data::Workbook& book)
{
    QStringList lines;
    for (const QString& name : book.sheetNames())
        lines << QStringLiteral("== ") + name << sheetLines(book.sheet(name));
    return lines;
}

} // namespace workbookdump
