#include "engine/writes/FailedRows.h"

#include "engine/sheet/SheetLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <memory>

namespace importer {

namespace {

// An Excel cell holds at most this many characters.
constexpr qsizetype kCellMax = 32767;

struct WorkbookClose
{
    void operator()(lxw_workbook* workbook) const { workbook_close(workbook); }
};

// A cell's text as the XML of a workbook can hold it: control characters other than tab and line breaks are not
// allowed there.
QByteArray cellBytes(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            c = QChar(0xFFFD);
    }
    if (text.size() > kCellMax)
        text.truncate(kCellMax);
    return text.toUtf8();
}

void writeText(lxw_worksheet* sheet, int row, int column, const QString& text)
{
    if (!text.isEmpty())
        worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), cellBytes(text).constData(), nullptr);
}

QString cannotWrite(const QString& path)
{
    return QStringLiteral("出错的行无法写入 %1：请检查文件夹是否存在、能否写入，这个文件是否正被其他程序打开")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace

void writeFailedRowsWorkbook(const QString& path, const FailedRows& failed)
{
    // The library says why it cannot write on standard error, in English: a folder that is not there or cannot be
    // written is told here instead.
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir() || !folder.isWritable() || QFileInfo(path).isDir())
        throw FailedRowsError(cannotWrite(path));
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook* raw = workbook_new(fileName.constData());
    if (!raw)
        throw FailedRowsError(cannotWrite(path));
    std::unique_ptr<lxw_workbook, WorkbookClose> workbook(raw);
    lxw_worksheet* sheet = workbook_add_worksheet(raw, "出错的行");
    if (!sheet)
        throw FailedRowsError(cannotWrite(path));
    const int columns = failed.sheet ? failed.sheet->columnCount() : 0;
    for (int column = 0; column < columns; ++column)
        writeText(sheet, 0, column, headerCellText(*failed.sheet, failed.headerRow, column));
    writeText(sheet, 0, columns, QStringLiteral("原行号"));
    writeText(sheet, 0, columns + 1, QStringLiteral("原因"));
    int row = 1;
    for (const FailedRow& each : failed.rows) {
        for (int column = 0; column < columns; ++column)
            writeText(sheet, row, column, failed.sheet->cellText(each.sheetRow - 1, column));
        worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(columns), each.sheetRow, nullptr);
        writeText(sheet, row, columns + 1, each.reason);
        ++row;
    }
    if (workbook_close(workbook.release()) != LXW_NO_ERROR)
        throw FailedRowsError(cannotWrite(path));
}

} // namespace importer
