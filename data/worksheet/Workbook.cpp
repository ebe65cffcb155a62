#include "Workbook.h"

#include "BiffRecords.h"
#include "CompoundFile.h"
#include "WorkbookData.h"

#include <QFileInfo>

namespace data {

namespace {

QString quotedList(const QStringList& names)
{
    QStringList quoted;
    for (const QString& name : names)
        quoted << QStringLiteral("“%1”").arg(name);
    return quoted.join(QStringLiteral("、"));
}

} // namespace

Worksheet::Worksheet(std::shared_ptr<const WorksheetData> data) : data_(std::move(data)) {}

QString Worksheet::name() const
{
    return data_->name;
}
int Worksheet::rowCount() const
{
    return data_->rows;
}
int Worksheet::columnCount() const
{
    return data_->columns;
}
QString Worksheet::cellText(int row, int column) const
{
    return data_->cellText(row, column);
}

Workbook::Workbook(std::shared_ptr<const WorkbookData> data) : data_(std::move(data)) {}

Workbook Workbook::fromStream(QByteArray stream, bool excel5Name, const QString& fileName)
{
    try {
        return Workbook(readWorkbookGlobals(std::move(stream), excel5Name));
    } catch (const biff::FormatError& error) {
        throw WorkbookError(
            QStringLiteral("“%1”已损坏，无法读取（%2）。").arg(fileName, QString::fromUtf8(error.what())));
    }
}

Workbook Workbook::open(const QString& path)
{
    biff::WorkbookStream stream = biff::readWorkbookStream(path);
    return fromStream(std::move(stream.bytes), stream.excel5Name, QFileInfo(path).fileName());
}

Workbook Workbook::openBytes(const QByteArray& fileBytes)
{
    biff::WorkbookStream stream = biff::readWorkbookStream(fileBytes);
    return fromStream(std::move(stream.bytes), stream.excel5Name, QStringLiteral("(内存)"));
}

QStringList Workbook::sheetNames() const
{
    QStringList names;
    for (const SheetEntry& entry : data_->sheets)
        names << entry.name;
    return names;
}

Worksheet Workbook::sheet(const QString& name) const
{
    for (const SheetEntry& entry : data_->sheets) {
        if (entry.name == name)
            return Worksheet(readWorksheet(data_, entry));
    }
    const QStringList names = sheetNames();
    if (names.isEmpty())
        throw SheetError(QStringLiteral("工作簿中没有名为“%1”的工作表，它一张工作表也没有。").arg(name));
    throw SheetError(QStringLiteral("工作簿中没有名为“%1”的工作表，现有的工作表：%2。").arg(name, quotedList(names)));
}

Worksheet Workbook::sheet(int index) const
{
    return Worksheet(readWorksheet(data_, data_->sheets.at(static_cast<std::size_t>(index))));
}

} // namespace data
