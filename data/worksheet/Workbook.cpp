#include "worksheet/Workbook.h"

#include "worksheet/CellFormats.h"
#include "worksheet/ContentKind.h"
#include "worksheet/GsfSupport.h"
#include "worksheet/markup/MarkupWorkbooks.h"
#include "worksheet/ods/OpenDocument.h"
#include "worksheet/ReadableFormats.h"
#include "worksheet/text/DelimitedText.h"
#include "worksheet/WorkbookData.h"
#include "worksheet/xls/BiffReader.h"
#include "worksheet/xls/BiffRecords.h"
#include "worksheet/xls/CompoundFile.h"
#include "worksheet/xlsx/PackageFile.h"
#include "worksheet/xlsx/PackageReader.h"

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
    std::shared_ptr<const xlsx::PackageFile> package = xlsx::PackageFile::open(std::move(input), fileName, fileBytes);
    if (package->isOpenDocument())
        return ods::readOpenDocument(package);
    return xlsx::readPackageWorkbook(std::move(package));
}

// Plain text is read as delimited text where its name says text (or says nothing): a text named .xls is a stray
// message or a file saved wrongly far more often than a list, and a script or a note is no list at all.
bool namedAsText(const QString& fileName)
{
    static const QStringList textSuffixes{"csv", "tsv", "txt", "tab", "text", "dat", "prn", ""};
    return textSuffixes.contains(QFileInfo(fileName).suffix().toLower());
}

// The whole file, for the markup formats, which are read whole.
QByteArray wholeFile(const QString& path, const QByteArray& fileBytes)
{
    if (path.isEmpty())
        return fileBytes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WorkbookError(QStringLiteral("文件“%1”无法打开：%2").arg(path, file.errorString()));
    return file.readAll();
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

Workbook Workbook::fromOtherContent(const QByteArray& firstBytes, const QString& path, const QByteArray& fileBytes,
                                    const QString& fileName)
{
    switch (contentKind(firstBytes)) {
    case ContentKind::Text:
        if (!path.isEmpty() && !namedAsText(fileName)) {
            throw WorkbookError(QStringLiteral("“%1”不是 Excel 工作簿：它的内容是纯文本，文件名却是 .%2。若它是 CSV 等"
                                               "分隔符文本（逗号、制表符分隔），请把扩展名改为 .csv 再导入。")
                                    .arg(fileName, QFileInfo(fileName).suffix()) +
                                saveAsReadableFormat());
        }
        return Workbook(text::readDelimitedWorkbook(text::DelimitedFile{path, fileBytes, fileName}));
    case ContentKind::Html:
        return Workbook(markup::readHtmlTables(wholeFile(path, fileBytes), fileName));
    case ContentKind::XmlSpreadsheet:
        return Workbook(markup::readXmlSpreadsheet(wholeFile(path, fileBytes), fileName));
    case ContentKind::FlatOpenDocument:
        return Workbook(ods::readFlatOpenDocument(wholeFile(path, fileBytes), fileName));
    case ContentKind::Unknown:
        throw WorkbookError(QStringLiteral("“%1”不是本程序能读取的表格文件。").arg(fileName) + saveAsReadableFormat());
    default:
        break;
    }
    if (path.isEmpty()) {
        biff::WorkbookStream stream = biff::readWorkbookStream(fileBytes);
        return fromStream(std::move(stream.bytes), stream.excel5Name, fileName);
    }
    biff::WorkbookStream stream = biff::readWorkbookStream(path);
    return fromStream(std::move(stream.bytes), stream.excel5Name, fileName);
}

Workbook Workbook::open(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly)) {
        const QByteArray firstBytes = file.read(kContentSniffBytes);
        file.close();
        if (startsLikeZip(firstBytes)) {
            QString reason;
            gsf::InputPtr input = gsf::openFile(path, reason);
            if (!input)
                throw WorkbookError(QStringLiteral("文件“%1”无法打开：%2").arg(path, reason));
            return Workbook(readPackage(std::move(input), QFileInfo(path).fileName()));
        }
        if (!firstBytes.isEmpty())
            return fromOtherContent(firstBytes, path, {}, QFileInfo(path).fileName());
    }
    biff::WorkbookStream stream = biff::readWorkbookStream(path);
    return fromStream(std::move(stream.bytes), stream.excel5Name, QFileInfo(path).fileName());
}

Workbook Workbook::openBytes(const QByteArray& fileBytes)
{
    if (startsLikeZip(fileBytes.left(4))) {
        // The memory input reads the bytes in place; the package keeps them for as long as it reads sheets.
        gsf::readyLibgsf();
        gsf::InputPtr input(
            gsf_input_memory_new(reinterpret_cast<const guint8*>(fileBytes.constData()), fileBytes.size(), FALSE));
        return Workbook(readPackage(std::move(input), QStringLiteral("(内存)"), fileBytes));
    }
    if (fileBytes.isEmpty()) {
        biff::WorkbookStream stream = biff::readWorkbookStream(fileBytes);
        return fromStream(std::move(stream.bytes), stream.excel5Name, QStringLiteral("(内存)"));
    }
    return fromOtherContent(fileBytes.left(kContentSniffBytes), {}, fileBytes, QStringLiteral("(内存)"));
}

WorkbookFormat Workbook::format() const
{
    return data_->package && data_->format == WorkbookFormat::Biff ? WorkbookFormat::Package : data_->format;
}

QString Workbook::formatNote() const
{
    if (!data_->formatNote.isEmpty())
        return data_->formatNote;
    if (data_->package)
        return QStringLiteral("Excel 工作簿");
    return data_->biffVersion == 5 ? QStringLiteral("Excel 5.0/95 工作簿") : QStringLiteral("Excel 97-2003 工作簿");
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
    if (!data_->readSheets.empty())
        return data_->readSheets.at(static_cast<std::size_t>(&entry - data_->sheets.data()));
    if (data_->delimited)
        return text::readDelimitedSheet(data_, entry, reading);
    return data_->package ? xlsx::readPackageWorksheet(data_, entry, reading) : biff::readWorksheet(data_, entry);
}

} // namespace data
