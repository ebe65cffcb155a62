#include "Workbook.h"

#include "CellFormats.h"
#include "GsfSupport.h"
#include "WorkbookData.h"
#include "xls/BiffReader.h"
#include "xls/BiffRecords.h"
#include "xls/CompoundFile.h"
#include "xlsx/PackageFile.h"
#include "xlsx/PackageReader.h"

#include <QFile>
#include <QFileInfo>

#include <gsf/gsf-input-memory.h>

namespace data {

namespace {

// The format is told by the content, not by the file's name: a zip is a package, anything else goes to the
// compound-file reader, which tells the other kinds apart.
bool startsLikeZip(const QByteArray& firstBytes)
{
    return xlsx::PackageFile::hasZipSignature(firstBytes.constData(), firstBytes.size());
}

std::shared_ptr<const WorkbookData> readPackage(gsf::InputPtr input, const QString& fileName,
                                                const QByteArray& fileBytes = {})
{
    return xlsx::readPackageWorkbook(xlsx::PackageFile::open(std::move(input), fileName, fileBytes));
}

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

void Worksheet::cellText(int row, int column, QString& text) const
{
    data_->cellText(row, column, text);
}

qsizetype Worksheet::cellLength(int row, int column) const
{
    ValueChars chars;
    return data_->cellView(row, column, chars).size();
}

bool Worksheet::isUncomputedFormula(int row, int column) const
{
    return data_->isUncomputed(row, column);
}

Workbook::Workbook(std::shared_ptr<const WorkbookData> data) : data_(std::move(data)) {}

Workbook Workbook::fromStream(QByteArray stream, bool excel5Name, const QString& fileName)
{
    try {
        return Workbook(biff::readWorkbookGlobals(std::move(stream), excel5Name));
    } catch (const biff::FormatError& error) {
        throw WorkbookError(
            QStringLiteral("“%1”已损坏，无法读取（%2）。").arg(fileName, QString::fromUtf8(error.what())));
    }
}

Workbook Workbook::open(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) && startsLikeZip(file.read(4))) {
        file.close();
        QString reason;
        gsf::InputPtr input = gsf::openFile(path, reason);
        if (!input)
            throw WorkbookError(QStringLiteral("文件“%1”无法打开：%2").arg(path, reason));
        return Workbook(readPackage(std::move(input), QFileInfo(path).fileName()));
    }
    file.close();
    biff::WorkbookStream stream = biff::readWorkbookStream(path);
    return fromStream(std::move(stream.bytes), stream.excel5Name, QFileInfo(path).fileName());
}

Workbook Workbook::openBytes(const QByteArray& fileBytes)
{
    if (startsLikeZip(fileBytes.left(4))) {
        // The memory input reads the bytes in place; the package keeps them for as long as it reads sheets.
        gsf::InputPtr input(
            gsf_input_memory_new(reinterpret_cast<const guint8*>(fileBytes.constData()), fileBytes.size(), FALSE));
        return Workbook(readPackage(std::move(input), QStringLiteral("(内存)"), fileBytes));
    }
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

bool Workbook::isHidden(int index) const
{
    return data_->sheets.at(static_cast<std::size_t>(index)).hidden;
}

Worksheet Workbook::sheet(const QString& name) const
{
    for (const SheetEntry& entry : data_->sheets) {
        if (entry.name == name)
            return Worksheet(readSheet(entry));
    }
    const QStringList names = sheetNames();
    if (names.isEmpty())
        throw SheetError(QStringLiteral("工作簿中没有名为“%1”的工作表，它一张工作表也没有。").arg(name),
                         SheetError::Kind::NoSuchSheet);
    throw SheetError(QStringLiteral("工作簿中没有名为“%1”的工作表，现有的工作表：%2。").arg(name, quotedList(names)),
                     SheetError::Kind::NoSuchSheet);
}

Worksheet Workbook::sheet(int index) const
{
    return Worksheet(readSheet(data_->sheets.at(static_cast<std::size_t>(index))));
}

Worksheet Workbook::sheet(int index, const SheetReading& reading) const
{
    return Worksheet(readSheet(data_->sheets.at(static_cast<std::size_t>(index)), reading));
}

std::shared_ptr<const WorksheetData> Workbook::readSheet(const SheetEntry& entry, const SheetReading& reading) const
{
    return data_->package ? xlsx::readPackageWorksheet(data_, entry, reading) : biff::readWorksheet(data_, entry);
}

} // namespace data
