// One worksheet part of a package, streamed into the compact cell table the BIFF reader fills too.

#include "PackageFile.h"
#include "PackageReader.h"
#include "PackageText.h"
#include "Workbook.h"

#include <QLocale>

#include <charconv>
#include <string>

namespace data::xlsx {

namespace {

// A full sheet of 1,048,576 rows by 32 columns; past it a file is crafted to cost memory.
constexpr std::size_t kMaxCells = std::size_t(1) << 25;

enum class ValueType : std::uint8_t { Number, SharedString, InlineString, FormulaString, Boolean, Error, IsoDate };

ValueType valueType(const char* t)
{
    if (!t)
        return ValueType::Number;
    const std::string_view type(t);
    if (type == "s")
        return ValueType::SharedString;
    if (type == "inlineStr")
        return ValueType::InlineString;
    if (type == "str")
        return ValueType::FormulaString;
    if (type == "b")
        return ValueType::Boolean;
    if (type == "e")
        return ValueType::Error;
    if (type == "d")
        return ValueType::IsoDate;
    return ValueType::Number; // "n" and anything unknown
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

class SheetPart : public XmlHandler
{
public:
    SheetPart(WorksheetData& sheet, const WorkbookData& book) : sheet_(sheet), book_(book) {}

    void startElement(const XmlName& name, const XmlAttributes& attributes) override
    {
        const std::string_view local = name.local;
        if (local == "c") {
            if (inSheetData_)
                startCell(attributes);
        } else if (local == "v") {
            if (inCell_) {
                inValue_ = true;
                hasValue_ = true;
                value_.clear();
            }
        } else if (local == "row") {
            if (inSheetData_)
                startRow(attributes);
        } else if (local == "is") {
            if (inCell_) {
                inInline_ = true;
                hasInline_ = true;
            }
        } else if (local == "t") {
            if (inInline_ && phonetic_ == 0)
                inText_ = true;
        } else if (local == "rPh") {
            ++phonetic_;
        } else if (local == "sheetData") {
            inSheetData_ = true;
        }
    }

    void endElement(const XmlName& name) override
    {
        const std::string_view local = name.local;
        if (local == "c") {
            if (inCell_)
                endCell();
        } else if (local == "v") {
            inValue_ = false;
        } else if (local == "t") {
            inText_ = false;
        } else if (local == "is") {
            inInline_ = false;
        } else if (local == "rPh") {
            --phonetic_;
        } else if (local == "sheetData") {
            inSheetData_ = false;
        }
    }

    void characters(std::string_view text) override
    {
        if (inValue_)
            append(value_, text);
        else if (inText_)
            append(inlineText_, text);
    }

    bool inOrder() const { return inOrder_; }

private:
    static void append(std::string& to, std::string_view text)
    {
        if (to.size() + text.size() > kMaxTextBytes)
            throw PackageError("a cell text longer than any cell holds");
        to.append(text);
    }

    void startRow(const XmlAttributes& attributes)
    {
        if (const char* r = attributes.value("r")) {
            const auto row = parseRowNumber(r);
            if (!row)
                throw PackageError(std::string("a row numbered \"") + r + '"');
            row_ = *row;
        } else {
            row_ = rowSeen_ ? row_ + 1 : 0; // a row without its number follows the one before
            if (row_ >= kMaxRows)
                throw PackageError("more than 1,048,576 rows");
        }
        rowSeen_ = true;
        nextColumn_ = 0;
    }

    void startCell(const XmlAttributes& attributes)
    {
        inCell_ = true;
        hasValue_ = false;
        hasInline_ = false;
        inlineText_.clear();
        const char* r = nullptr;
        const char* t = nullptr;
        const char* s = nullptr;
        attributes.forEach([&](std::string_view name, const char* value) {
            if (name.size() != 1)
                return;
            if (name[0] == 'r')
                r = value;
            else if (name[0] == 't')
                t = value;
            else if (name[0] == 's')
                s = value;
        });
        if (r) {
            const auto reference = parseCellReference(r);
            if (!reference)
                throw PackageError(std::string("a cell at \"") + r + '"');
            cellRow_ = reference->row;
            cellColumn_ = reference->column;
        } else {
            // A cell without its reference takes the next column of its row.
            cellRow_ = rowSeen_ ? row_ : 0;
            cellColumn_ = nextColumn_;
            if (cellColumn_ >= kMaxColumns)
                throw PackageError("more than 16,384 columns");
        }
        nextColumn_ = cellColumn_ + 1;
        type_ = valueType(t);
        style_ = 0;
        if (s) {
            const std::string_view text(s);
            std::from_chars(text.data(), text.data() + text.size(), style_);
        }
    }

    void endCell()
    {
        inCell_ = false;
        inValue_ = false;
        // An empty value holds nothing, as a formatted blank; only a formula's text result may be empty text.
        if (hasValue_ && type_ != ValueType::FormulaString && type_ != ValueType::InlineString &&
            trimmed(value_).empty())
            hasValue_ = false;
        switch (type_) {
        case ValueType::Number:
            if (hasValue_)
                addNumber(trimmed(value_));
            break; // a formula without its result, or a formatted blank, holds nothing
        case ValueType::SharedString: {
            if (!hasValue_)
                break;
            const std::string_view text = trimmed(value_);
            std::uint32_t index = 0;
            const auto result = std::from_chars(text.data(), text.data() + text.size(), index);
            if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
                index >= book_.sharedStrings.count())
                throw PackageError("a cell refers to a shared string that does not exist");
            add(CellKind::SharedText, index, 0);
            break;
        }
        case ValueType::InlineString:
            if (hasInline_)
                addText(inlineText_);
            else if (hasValue_)
                addText(value_);
            break;
        case ValueType::FormulaString:
            if (hasValue_)
                addText(value_);
            break;
        case ValueType::Boolean:
            if (hasValue_) {
                const std::string_view text = trimmed(value_);
                add(CellKind::Boolean, text == "1" || text == "true" || text == "TRUE" ? 1u : 0u, 0);
            }
            break;
        case ValueType::Error:
            if (hasValue_) {
                if (const auto code = errorCode(trimmed(value_)))
                    add(CellKind::Error, *code, 0);
                else
                    addText(value_);
            }
            break;
        case ValueType::IsoDate:
            if (hasValue_) {
                if (const auto serial = isoDateSerial(trimmed(value_), book_.dateSystem))
                    addCell(Cell::make(cellRow_, static_cast<std::uint16_t>(cellColumn_), CellKind::Date, *serial));
                else
                    addText(value_);
            }
            break;
        }
    }

    void addNumber(std::string_view text)
    {
        double value = 0;
        const char* begin = text.data();
        if (*begin == '+')
            ++begin;
        const auto result = std::from_chars(begin, text.data() + text.size(), value);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
            addText(value_); // not a number after all: the text as it stands
            return;
        }
        const CellKind kind = book_.isDateXf(style_) ? CellKind::Date : CellKind::Number;
        addCell(Cell::make(cellRow_, static_cast<std::uint16_t>(cellColumn_), kind, value));
    }

    void addText(const std::string& utf8)
    {
        if (utf8.empty()) {
            add(CellKind::EmptyText, 0, 0);
            return;
        }
        sheet_.texts.buffer() += decodedText(utf8);
        add(CellKind::Text, sheet_.texts.close(), 0);
    }

    void add(CellKind kind, std::uint32_t low, std::uint32_t high)
    {
        addCell(Cell{cellRow_, static_cast<std::uint16_t>(cellColumn_), kind, low, high});
    }

    void addCell(const Cell& cell)
    {
        std::vector<Cell>& cells = sheet_.cells;
        if (cells.size() >= kMaxCells)
            throw PackageError("more cells than a worksheet is read with");
        if (!cells.empty() &&
            (cell.row < cells.back().row || (cell.row == cells.back().row && cell.column <= cells.back().column)))
            inOrder_ = false;
        cells.push_back(cell);
    }

    WorksheetData& sheet_;
    const WorkbookData& book_;
    bool inSheetData_ = false;
    bool inCell_ = false;
    bool inValue_ = false;
    bool inInline_ = false;
    bool inText_ = false;
    bool hasValue_ = false;
    bool hasInline_ = false;
    bool rowSeen_ = false;
    bool inOrder_ = true;
    int phonetic_ = 0;
    std::uint32_t row_ = 0;
    std::uint32_t nextColumn_ = 0;
    std::uint32_t cellRow_ = 0;
    std::uint32_t cellColumn_ = 0;
    std::uint32_t style_ = 0;
    ValueType type_ = ValueType::Number;
    std::string value_;
    std::string inlineText_;
};

} // namespace

std::shared_ptr<const WorksheetData> readPackageWorksheet(const std::shared_ptr<const WorkbookData>& book,
                                                          const SheetEntry& entry)
{
    const auto sheet = emptyWorksheet(book, entry.name);
    const PackageFile& package = *book->package;
    const gsf::QuietUnnamedLogDomain quiet; // libgsf warns there of damaged zip entries it is asked for
    try {
        const gsf::InputPtr part = package.partById(package.workbookPart(), entry.relationId);
        if (!part)
            throw PackageError("the sheet's part is missing");
        // Reserved, not touched: the pages of a generous guess cost no memory until cells fill them, and the
        // table is never copied while it grows. The shortest cell, <c><v>1</v></c>, takes 15 bytes.
        sheet->cells.reserve(
            std::min<std::size_t>(static_cast<std::size_t>(PackageFile::partSize(part.get())) / 15 + 16, kMaxCells));
        SheetPart reader(*sheet, *book);
        package.parse(part.get(), reader);
        indexCells(*sheet, reader.inOrder());
        sheet->texts.squeeze();
    } catch (const PackageError& error) {
        throw SheetError(
            QStringLiteral("工作表“%1”已损坏，无法读取（%2）。").arg(entry.name, QString::fromUtf8(error.what())));
    }
    return sheet;
}

} // namespace data::xlsx
