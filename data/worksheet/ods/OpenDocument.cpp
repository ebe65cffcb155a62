// content.xml's tables as sheets: rows and cells with their repeats, typed values (office:value-type), paragraphs of
// text, covered cells of merges left empty.

#include "worksheet/ods/OpenDocument.h"

#include "worksheet/CellFormats.h"
#include "worksheet/IsoDateText.h"
#include "worksheet/WorkbookErrors.h"
#include "worksheet/xlsx/PackageFile.h"
#include "worksheet/xlsx/PackageText.h"
#include "worksheet/xlsx/XmlParts.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>

namespace data::ods {

using xlsx::PackageError;
using xlsx::XmlAttributes;
using xlsx::XmlName;

namespace {

constexpr std::size_t kMaxCells = std::size_t(1) << 25;
constexpr std::size_t kMaxSheets = 65535;

std::optional<double> number(const char* text)
{
    if (!text)
        return std::nullopt;
    std::string_view view(text);
    while (!view.empty() && view.front() == ' ')
        view.remove_prefix(1);
    if (!view.empty() && view.front() == '+')
        view.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(view.data(), view.data() + view.size(), value);
    if (result.ec != std::errc() || result.ptr != view.data() + view.size())
        return std::nullopt;
    return value;
}

// "PT14H15M16S" (a time of day) as hh:mm:ss; nothing for anything else.
std::optional<QString> timeText(std::string_view text)
{
    if (!text.starts_with("PT"))
        return std::nullopt;
    text.remove_prefix(2);
    long long parts[3] = {0, 0, 0};
    for (const char unit : {'H', 'M', 'S'}) {
        const std::size_t at = text.find(unit);
        if (at == std::string_view::npos)
            continue;
        double value = 0;
        const auto result = std::from_chars(text.data(), text.data() + at, value);
        if (result.ec != std::errc() || result.ptr != text.data() + at)
            return std::nullopt;
        parts[unit == 'H' ? 0 : unit == 'M' ? 1 : 2] = static_cast<long long>(value);
        text.remove_prefix(at + 1);
    }
    if (!text.empty())
        return std::nullopt;
    return QStringLiteral("%1:%2:%3")
        .arg(parts[0], 2, 10, QChar(u'0'))
        .arg(parts[1], 2, 10, QChar(u'0'))
        .arg(parts[2], 2, 10, QChar(u'0'));
}

class ContentHandler : public xlsx::XmlHandler
{
public:
    std::vector<SheetEntry> entries;
    std::vector<std::shared_ptr<const WorksheetData>> sheets;

    void startElement(const XmlName& name, const XmlAttributes& attributes) override
    {
        if (skipping_ > 0) {
            ++skipping_;
            return;
        }
        const std::string_view local = name.local;
        if (local == "table" && name.prefix == "table") {
            startTable(attributes);
        } else if (!sheet_) {
            return;
        } else if (local == "table-row") {
            rowRepeat_ = xlsx::positiveNumber(attributes.value("number-rows-repeated")).value_or(1);
            rowCells_.clear();
            rowTexts_ = StringTable();
            column_ = 0;
        } else if (local == "table-cell" || local == "covered-table-cell") {
            startCell(local == "covered-table-cell", attributes);
        } else if (local == "annotation" || local == "table-source" || local == "shapes" || local == "forms" ||
                   local == "named-expressions") {
            skipping_ = 1; // a comment's text, drawings and names hold no cell text
        } else if (inCell_ && local == "p") {
            if (paragraphs_++ > 0)
                text_ += '\n';
        } else if (inCell_ && local == "s") {
            text_.append(std::min<std::uint32_t>(xlsx::positiveNumber(attributes.value("c")).value_or(1), 1000), ' ');
        } else if (inCell_ && local == "tab") {
            text_ += '\t';
        } else if (inCell_ && local == "line-break") {
            text_ += '\n';
        }
    }

    void endElement(const XmlName& name) override
    {
        if (skipping_ > 0) {
            --skipping_;
            return;
        }
        if (!sheet_)
            return;
        if (name.local == "table" && name.prefix == "table")
            endTable();
        else if (name.local == "table-cell" || name.local == "covered-table-cell")
            endCell();
        else if (name.local == "table-row")
            endRow();
    }

    void characters(std::string_view text) override
    {
        if (skipping_ == 0 && inCell_ && paragraphs_ > 0) {
            if (text_.size() + text.size() > xlsx::kMaxTextBytes)
                throw PackageError("content.xml: a text longer than any cell holds");
            text_.append(text);
        }
    }

private:
    void startTable(const XmlAttributes& attributes)
    {
        if (sheets.size() >= kMaxSheets)
            throw PackageError("content.xml: too many tables");
        const char* tableName = attributes.value("name");
        QString sheetName = tableName ? QString::fromUtf8(tableName) : QString();
        if (sheetName.isEmpty())
            sheetName = QStringLiteral("表%1").arg(sheets.size() + 1);
        const char* display = attributes.value("display");
        SheetEntry entry{sheetName, 0, {}};
        entry.hidden = display && std::string_view(display) == "false";
        entries.push_back(entry);
        sheet_ = emptyWorksheet(nullptr, sheetName);
        row_ = 0;
    }

    void endTable()
    {
        indexCells(*sheet_, true);
        sheet_->texts.squeeze();
        sheets.push_back(std::move(sheet_));
        sheet_.reset();
    }

    void startCell(bool covered, const XmlAttributes& attributes)
    {
        inCell_ = true;
        covered_ = covered;
        columnRepeat_ = xlsx::positiveNumber(attributes.value("number-columns-repeated")).value_or(1);
        text_.clear();
        paragraphs_ = 0;
        valueType_.clear();
        value_.reset();
        dateValue_.clear();
        timeValue_.clear();
        boolean_.clear();
        attributes.forEach([this](std::string_view local, const char* value) {
            if (local == "value-type")
                valueType_ = value;
            else if (local == "value")
                value_ = number(value);
            else if (local == "date-value")
                dateValue_ = value;
            else if (local == "time-value")
                timeValue_ = value;
            else if (local == "boolean-value")
                boolean_ = value;
        });
    }

    void endCell()
    {
        inCell_ = false;
        const std::uint32_t first = column_;
        column_ = std::min<std::uint32_t>(column_ + std::min<std::uint32_t>(columnRepeat_, xlsx::kMaxColumns),
                                          xlsx::kMaxColumns);
        if (covered_ || first >= xlsx::kMaxColumns)
            return; // a merge's covered cells are empty, as in the other formats
        Cell cell{0, 0, CellKind::Text, 0, 0};
        std::optional<QString> text;
        if ((valueType_ == "float" || valueType_ == "percentage" || valueType_ == "currency") && value_) {
            cell = Cell::make(0, 0, CellKind::Number, *value_);
        } else if (valueType_ == "boolean" && !boolean_.empty()) {
            cell.kind = CellKind::Boolean;
            cell.low = boolean_ == "true" ? 1 : 0;
        } else if (valueType_ == "date" && (text = isoDateText(dateValue_))) {
        } else if (valueType_ == "time" && (text = timeText(timeValue_))) {
        } else if (!text_.empty()) {
            text = QString::fromUtf8(text_);
        } else {
            return;
        }
        for (std::uint32_t column = first; column < column_; ++column) {
            if (rowCells_.size() >= kMaxCells)
                throw PackageError("content.xml: more cells than a worksheet holds");
            Cell placed = cell;
            placed.column = static_cast<std::uint16_t>(column);
            if (text) {
                rowTexts_.buffer() += *text;
                placed.kind = CellKind::Text;
                placed.low = rowTexts_.close();
            }
            rowCells_.push_back(placed);
        }
    }

    // The row's cells, once for each time it repeats; an empty row only moves the row on.
    void endRow()
    {
        const std::uint32_t repeat = std::min(rowRepeat_, xlsx::kMaxRows - std::min(row_, xlsx::kMaxRows));
        if (!rowCells_.empty()) {
            for (std::uint32_t r = 0; r < repeat; ++r) {
                if (sheet_->cells.size() + rowCells_.size() > kMaxCells)
                    throw PackageError("content.xml: more cells than a worksheet holds");
                const std::uint32_t firstText = sheet_->texts.append(rowTexts_);
                for (Cell cell : rowCells_) {
                    cell.row = row_ + r;
                    if (cell.kind == CellKind::Text)
                        cell.low += firstText;
                    sheet_->cells.push_back(cell);
                }
            }
        }
        row_ += repeat;
    }

    std::shared_ptr<WorksheetData> sheet_;
    int skipping_ = 0;
    bool inCell_ = false;
    bool covered_ = false;
    int paragraphs_ = 0;
    std::uint32_t row_ = 0;
    std::uint32_t column_ = 0;
    std::uint32_t rowRepeat_ = 1;
    std::uint32_t columnRepeat_ = 1;
    std::vector<Cell> rowCells_;
    StringTable rowTexts_;
    std::string text_;
    std::string valueType_;
    std::optional<double> value_;
    std::string dateValue_;
    std::string timeValue_;
    std::string boolean_;
};

std::shared_ptr<const WorkbookData> bookOf(ContentHandler& handler, const QString& note)
{
    auto book = std::make_shared<WorkbookData>();
    book->format = WorkbookFormat::OpenDocument;
    book->formatNote = note;
    book->sheets = std::move(handler.entries);
    book->readSheets = std::move(handler.sheets);
    return book;
}

} // namespace

std::shared_ptr<const WorkbookData> readOpenDocument(const std::shared_ptr<const xlsx::PackageFile>& package)
{
    const gsf::QuietUnnamedLogDomain quiet;
    ContentHandler handler;
    try {
        package->parse(package->workbookPart(), handler);
    } catch (const PackageError& error) {
        throw WorkbookError(
            QStringLiteral("“%1”已损坏，无法读取（%2）。").arg(package->fileName(), QString::fromUtf8(error.what())));
    }
    return bookOf(handler, QStringLiteral("OpenDocument 电子表格"));
}

std::shared_ptr<const WorkbookData> readFlatOpenDocument(const QByteArray& bytes, const QString& fileName)
{
    ContentHandler handler;
    try {
        xlsx::XmlPartParser parser(handler, "content");
        parser.parse(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        parser.finish();
    } catch (const PackageError& error) {
        throw WorkbookError(
            QStringLiteral("“%1”已损坏，无法读取（%2）。").arg(fileName, QString::fromUtf8(error.what())));
    }
    return bookOf(handler, QStringLiteral("OpenDocument 电子表格（单一 XML 文件）"));
}

} // namespace data::ods
