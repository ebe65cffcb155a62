#pragma once
// A workbook read-only, its worksheets and every cell as text: Excel 2007 and later (.xlsx, .xlsm: Office Open
// XML), Excel 97-2003 (.xls: BIFF8) or Excel 5/95, CSV and other delimited text, HTML tables and Excel's XML
// Spreadsheet 2003 (as web shops export "Excel" files), OpenDocument spreadsheets (.ods, .fods). The format is told
// by the file's content.

#include "worksheet/SheetReading.h"
#include "worksheet/WorkbookErrors.h"
#include "worksheet/WorkbookFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace data {

class WorksheetData;

class Worksheet
{
public:
    explicit Worksheet(std::shared_ptr<const WorksheetData> data);
    QString name() const;
    int rowCount() const;    // up to the last row that holds any cell
    int columnCount() const; // up to the last column that holds any cell
    // The cell as text: text as it stands, numbers in general format, dates as yyyy-mm-dd[ hh:mm:ss],
    // TRUE/FALSE, error texts (#N/A ...), a formula's cached result; "" for a blank or missing cell.
    QString cellText(int row, int column) const;
    // The same into text, its storage used again where it has room: for reading row after row.
    void cellText(int row, int column, QString& text) const;
    // How many characters the cell's text has, without copying it: a long text shared by many cells is measured
    // before it is read.
    qsizetype cellLength(int row, int column) const;
    // The cell holds a formula that its writer never computed: it has no result, and reads as "".
    bool isUncomputedFormula(int row, int column) const;

private:
    std::shared_ptr<const WorksheetData> data_;
};

class WorkbookData;
struct SheetEntry;

class Workbook
{
public:
    // Throws WorkbookError.
    static Workbook open(const QString& path);
    // The same for a workbook file held in memory.
    static Workbook openBytes(const QByteArray& fileBytes);
    // What the file was read as, for the clerk: "Excel 97-2003 工作簿", "CSV 文本，GB18030（GBK） 编码，逗号分隔" ...
    QString formatNote() const;
    WorkbookFormat format() const;
    QStringList sheetNames() const; // the worksheets in workbook order; chart and macro sheets are left out
    bool isHidden(int index) const; // hidden (or very hidden) in the workbook: 0 <= index < sheetNames().size()
    // By the exact name (not trimmed). Throws SheetError that lists the worksheets there are, or, for a damaged
    // sheet, says so.
    Worksheet sheet(const QString& name) const;
    Worksheet sheet(int index) const; // 0 <= index < sheetNames().size()
    Worksheet sheet(int index, const SheetReading& reading) const;

private:
    explicit Workbook(std::shared_ptr<const WorkbookData> data);
    static Workbook fromStream(QByteArray stream, bool excel5Name, const QString& fileName);
    // A file that is neither a package nor a compound file, by its content. fileBytes: the file in memory, or empty.
    static Workbook fromOtherContent(const QByteArray& firstBytes, const QString& path, const QByteArray& fileBytes,
                                     const QString& fileName);
    std::shared_ptr<const WorksheetData> readSheet(const SheetEntry& entry, const SheetReading& reading = {}) const;
    std::shared_ptr<const WorkbookData> data_;
};

} // namespace data
