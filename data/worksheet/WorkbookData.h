#pragma once
// What a read workbook and a read worksheet hold, whichever format the workbook has: the shared strings and the
// cell formats of the workbook, and the workbook stream (BIFF) or the open package (Office Open XML); a compact,
// row-indexed cell table per worksheet.

#include "worksheet/CellFormats.h"
#include "worksheet/StringTable.h"
#include "worksheet/WorkbookFormat.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace data {

namespace xlsx {
class PackageFile;
}
namespace text {
struct DelimitedFile;
}

struct SheetEntry
{
    QString name;
    std::uint32_t offset = 0; // BIFF: of the sheet's BOF record in the stream
    QByteArray relationId;    // package: the workbook's relationship to the sheet's part
    bool hidden = false;      // hidden or very hidden: read only when the clerk names it
};

class WorksheetData;

class WorkbookData
{
public:
    QByteArray stream;
    int biffVersion = 8;  // 8, or 5 for Excel 5/95
    QByteArray codecName; // of the 8-bit strings of an Excel 5/95 workbook
    DateSystem dateSystem = DateSystem::From1900;
    StringTable sharedStrings;
    std::vector<bool> xfIsDate; // per cell format (XF) index
    std::vector<SheetEntry> sheets;
    std::shared_ptr<const xlsx::PackageFile> package; // set for an Office Open XML workbook and an OpenDocument one
    WorkbookFormat format = WorkbookFormat::Biff;
    QString formatNote; // what the clerk is told the file was read as, where the format says more than its kind
    std::shared_ptr<const text::DelimitedFile> delimited; // set for delimited text, read when its sheet is asked for
    // The sheets of a format read whole with the workbook (HTML tables, XML Spreadsheet, OpenDocument), one per
    // entry. Their `book` is not set, which would make a cycle: they hold no cells that need it (dates are text).
    std::vector<std::shared_ptr<const WorksheetData>> readSheets;

    bool isDateXf(std::uint32_t xf) const { return xf < xfIsDate.size() && xfIsDate[xf]; }
};

// Uncomputed: a formula its writer never computed, without a result; it reads as "".
enum class CellKind : std::uint8_t { Number, Date, SharedText, Text, Boolean, Error, EmptyText, Uncomputed };

// Thirteen bytes a cell, packed: a sheet of 600,000 cells costs about 8 MB, a full 1,048,576 x 9 one 123 MB (the
// cells are most of what a million-row import holds). Every reader refuses a row past 1,048,575.
struct [[gnu::packed]] Cell
{
    std::uint32_t row : 20;    // up to 1,048,575
    std::uint32_t column : 16; // up to 16,383
    CellKind kind : 4;
    std::uint32_t low;  // Number, Date: the value's low 32 bits; SharedText, Text: the string; Boolean, Error: code
    std::uint32_t high; // Number, Date: the value's high 32 bits

    double number() const
    {
        const std::uint64_t bits = (std::uint64_t(high) << 32) | low;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    static Cell make(std::uint32_t row, std::uint16_t column, CellKind kind, double value)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return Cell{row, column, kind, std::uint32_t(bits), std::uint32_t(bits >> 32)};
    }
};
static_assert(sizeof(Cell) == 13);

class WorksheetData
{
public:
    QString name;
    std::shared_ptr<const WorkbookData> book;
    QChar decimalPoint = u'.';
    int rows = 0;
    int columns = 0;
    std::vector<Cell> cells;             // sorted by row, then column
    std::vector<std::uint32_t> rowStart; // rows + 1 entries into cells
    StringTable texts;                   // strings kept in the sheet itself (LABEL, formula results)

    QString cellText(int row, int column) const;
    // The same into text, its storage used again where it has room (assignText).
    void cellText(int row, int column, QString& text) const;
    // The same as a view of the sheet's or the workbook's strings, or of chars where the text is written out (a
    // number, a date); valid while both are.
    QStringView cellView(int row, int column, ValueChars& chars) const;
    bool isUncomputed(int row, int column) const;

private:
    const Cell* find(int row, int column) const; // nullptr where no cell is
};

// Sorts the cells by row and column unless they came in that order (of two cells at one place the later one
// counts), then sets the extents and the row index.
void indexCells(WorksheetData& sheet, bool inOrder);

// A worksheet of that name with no cells yet, its numbers written with the clerk's decimal separator.
std::shared_ptr<WorksheetData> emptyWorksheet(const std::shared_ptr<const WorkbookData>& book, const QString& name);

} // namespace data
