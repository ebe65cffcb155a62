// Excel's XML Spreadsheet 2003 through expat: Worksheet, Table, Row and Cell with their ss:Index, the value of each
// cell's Data by its ss:Type, merged areas (MergeAcross, MergeDown) with the covered cells empty.

#include "worksheet/IsoDateText.h"
#include "worksheet/markup/MarkupWorkbooks.h"
#include "worksheet/WorkbookErrors.h"
#include "worksheet/xlsx/PackageText.h"
#include "worksheet/xlsx/XmlParts.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

namespace data::markup {

namespace {

using xlsx::PackageError;
using xlsx::XmlAttributes;
using xlsx::XmlName;

constexpr std::size_t kMaxCells = std::size_t(1) << 25;
constexpr std::size_t kMaxSheets = 65535;

class SpreadsheetHandler : public xlsx::XmlHandler
{
public:
    std::vector<SheetEntry> entries;
    std::vector<std::shared_ptr<const WorksheetData>> sheets;
    bool workbookSeen = false;

    void startElement(const XmlName& name, const XmlAttributes& attributes) override
    {
        const std::string_view local = name.local;
        if (local == "Workbook") {
            workbookSeen = true;
        } else if (local == "Worksheet") {
            if (sheets.size() + (sheet_ ? 1 : 0) >= kMaxSheets)
                throw PackageError("too many worksheets");
            const char* sheetName = attributes.value("Name");
            QString named = sheetName ? QString::fromUtf8(sheetName) : QString();
            if (named.isEmpty())
                named = QStringLiteral("Sheet%1").arg(entries.size() + 1);
            entries.push_back(SheetEntry{named, 0, {}});
            sheet_ = emptyWorksheet(nullptr, named);
            row_ = 0;
            nextRow_ = 0;
            merged_.clear();
        } else if (!sheet_) {
            return;
        } else if (local == "Row") {
            row_ = xlsx::positiveNumber(attributes.value("Index")).value_or(nextRow_ + 1) - 1;
            nextRow_ = row_ + 1;
            column_ = 0;
        } else if (local == "Cell") {
            std::optional<std::uint32_t> at = xlsx::positiveNumber(attributes.value("Index"));
            column_ = at ? *at - 1 : column_;
            if (!at) {
                while (covered(row_, column_))
                    ++column_;
            }
            across_ = xlsx::positiveNumber(attributes.value("MergeAcross")).value_or(0);
            if (const char* down = attributes.value("MergeDown"); down) {
                const std::uint32_t rows = xlsx::positiveNumber(down).value_or(0);
                if (rows > 0)
                    merged_.push_back({row_, row_ + rows, column_, column_ + across_});
            }
            inCell_ = true;
            hasData_ = false;
        } else if (local == "Data" && inCell_) {
            inData_ = true;
            hasData_ = true;
            const char* type = attributes.value("Type");
            type_ = type ? type : "String";
            data_.clear();
        } else if (inData_ && local == "br") {
            data_ += '\n';
        }
    }

    void endElement(const XmlName& name) override
    {
        if (!sheet_)
            return;
        const std::string_view local = name.local;
        if (local == "Data") {
            inData_ = false;
        } else if (local == "Cell") {
            inCell_ = false;
            if (hasData_)
                addCell();
            column_ += 1 + across_;
        } else if (local == "Worksheet") {
            indexCells(*sheet_, false);
            sheet_->texts.squeeze();
            sheets.push_back(std::move(sheet_));
            sheet_.reset();
        }
    }

    void characters(std::string_view text) override
    {
        if (!inData_)
            return;
        if (data_.size() + text.size() > xlsx::kMaxTextBytes)
            throw PackageError("a text longer than any cell holds");
        data_.append(text);
    }

private:
    struct Merge
    {
        std::uint32_t firstRow, lastRow, firstColumn, lastColumn;
    };
    bool covered(std::uint32_t row, std::uint32_t column) const
    {
        return std::any_of(merged_.begin(), merged_.end(), [&](const Merge& m) {
            return row > m.firstRow && row <= m.lastRow && column >= m.firstColumn && column <= m.lastColumn;
        });
    }

    void addCell()
    {
        if (row_ >= xlsx::kMaxRows || column_ >= xlsx::kMaxColumns)
            return;
        if (sheet_->cells.size() >= kMaxCells)
            throw PackageError("more cells than a worksheet holds");
        const auto column = static_cast<std::uint16_t>(column_);
        if (type_ == "Number") {
            double value = 0;
            const auto result = std::from_chars(data_.data(), data_.data() + data_.size(), value);
            if (result.ec == std::errc() && result.ptr == data_.data() + data_.size()) {
                sheet_->cells.push_back(Cell::make(row_, column, CellKind::Number, value));
                return;
            }
        } else if (type_ == "Boolean") {
            sheet_->cells.push_back(Cell{row_, column, CellKind::Boolean, data_ == "1" ? 1u : 0u, 0});
            return;
        } else if (type_ == "Error") {
            if (const std::optional<std::uint8_t> code = xlsx::errorCode(data_)) {
                sheet_->cells.push_back(Cell{row_, column, CellKind::Error, *code, 0});
                return;
            }
        }
        QString text;
        if (type_ == "DateTime")
            text = isoDateText(data_).value_or(QString::fromUtf8(data_));
        else
            text = QString::fromUtf8(data_);
        if (text.isEmpty())
            return;
        sheet_->texts.buffer() += text;
        sheet_->cells.push_back(Cell{row_, column, CellKind::Text, sheet_->texts.close(), 0});
    }

    std::shared_ptr<WorksheetData> sheet_;
    std::vector<Merge> merged_;
    std::uint32_t row_ = 0;
    std::uint32_t nextRow_ = 0;
    std::uint32_t column_ = 0;
    std::uint32_t across_ = 0;
    bool inCell_ = false;
    bool inData_ = false;
    bool hasData_ = false;
    std::string type_;
    std::string data_;
};

} // namespace

std::shared_ptr<const WorkbookData> readXmlSpreadsheet(const QByteArray& bytes, const QString& fileName)
{
    SpreadsheetHandler handler;
    try {
        xlsx::XmlPartParser parser(handler, "Workbook");
        parser.parse(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        parser.finish();
    } catch (const PackageError& error) {
        throw WorkbookError(QStringLiteral("“%1”是 XML 电子表格，但已损坏，无法读取（%2）。")
                                .arg(fileName, QString::fromUtf8(error.what())));
    }
    auto book = std::make_shared<WorkbookData>();
    book->format = WorkbookFormat::XmlSpreadsheet;
    book->formatNote = QStringLiteral("XML 电子表格 2003");
    book->sheets = std::move(handler.entries);
    book->readSheets = std::move(handler.sheets);
    return book;
}

} // namespace data::markup
