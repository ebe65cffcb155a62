// The cell table both formats fill, and how each cell reads as text.

#include "worksheet/WorkbookData.h"

#include <QLocale>

#include <algorithm>
#include <numeric>

namespace data {

void indexCells(WorksheetData& sheet, bool inOrder)
{
    std::vector<Cell>& cells = sheet.cells;
    if (!inOrder) {
        // Sort by row and column; of two records for the same cell the later one counts.
        std::stable_sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        });
        std::size_t kept = 0;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (kept > 0 && cells[kept - 1].row == cells[i].row && cells[kept - 1].column == cells[i].column)
                cells[kept - 1] = cells[i];
            else
                cells[kept++] = cells[i];
        }
        cells.resize(kept);
    }
    sheet.rows = cells.empty() ? 0 : static_cast<int>(cells.back().row) + 1;
    sheet.rowStart.assign(static_cast<std::size_t>(sheet.rows) + 1, 0);
    int columns = 0;
    for (const Cell& cell : cells) {
        ++sheet.rowStart[cell.row + 1];
        columns = std::max(columns, cell.column + 1);
    }
    std::partial_sum(sheet.rowStart.begin(), sheet.rowStart.end(), sheet.rowStart.begin());
    sheet.columns = columns;
}

std::shared_ptr<WorksheetData> emptyWorksheet(const std::shared_ptr<const WorkbookData>& book, const QString& name)
{
    auto sheet = std::make_shared<WorksheetData>();
    sheet->name = name;
    sheet->book = book;
    const QString decimalPoint = QLocale::system().decimalPoint();
    if (!decimalPoint.isEmpty())
        sheet->decimalPoint = decimalPoint.front();
    return sheet;
}

const Cell* WorksheetData::find(int row, int column) const
{
    if (row < 0 || row >= rows || column < 0 || column >= columns)
        return nullptr;
    const auto begin = cells.begin() + rowStart[row];
    const auto end = cells.begin() + rowStart[row + 1];
    const auto cell = std::lower_bound(begin, end, column, [](const Cell& c, int col) { return c.column < col; });
    return cell == end || cell->column != column ? nullptr : &*cell;
}

bool WorksheetData::isUncomputed(int row, int column) const
{
    const Cell* cell = find(row, column);
    return cell && cell->kind == CellKind::Uncomputed;
}

QString WorksheetData::cellText(int row, int column) const
{
    ValueChars chars;
    return cellView(row, column, chars).toString();
}

void WorksheetData::cellText(int row, int column, QString& text) const
{
    ValueChars chars;
    assignText(text, cellView(row, column, chars));
}

QStringView WorksheetData::cellView(int row, int column, ValueChars& chars) const
{
    const Cell* cell = find(row, column);
    if (!cell)
        return {};
    switch (cell->kind) {
    case CellKind::Number:
        return generalNumberText(cell->number(), decimalPoint, chars);
    case CellKind::Date: {
        const QStringView text = dateText(cell->number(), book->dateSystem, chars);
        return text.isEmpty() ? generalNumberText(cell->number(), decimalPoint, chars) : text;
    }
    case CellKind::SharedText:
        return book->sharedStrings.view(cell->low);
    case CellKind::Text:
        return texts.view(cell->low);
    case CellKind::Boolean:
        return cell->low ? u"TRUE" : u"FALSE";
    case CellKind::Error:
        return errorText(static_cast<std::uint8_t>(cell->low));
    case CellKind::EmptyText:
    case CellKind::Uncomputed:
        return {};
    }
    return {};
}

} // namespace data
