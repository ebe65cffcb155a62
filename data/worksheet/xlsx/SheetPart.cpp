#include "worksheet/xlsx/SheetPart.h"

#include "worksheet/xlsx/PackageText.h"

#include <charconv>

namespace data::xlsx {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

SheetPart::SheetPart(WorksheetData& sheet, const WorkbookData& book, Scope scope)
    : sheet_(sheet), book_(book), scope_(scope), inSheetData_(scope == Scope::Piece)
{
}

std::optional<std::uint32_t> SheetPart::lastRow() const
{
    return rowSeen_ ? std::optional<std::uint32_t>(row_) : std::nullopt;
}

void SheetPart::continueAfter(std::uint32_t row)
{
    rowSeen_ = true;
    row_ = row;
}

void SheetPart::startElement(const XmlName& name, const XmlAttributes& attributes)
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
    } else if (local == "f") {
        hasFormula_ = hasFormula_ || inCell_;
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

void SheetPart::endElement(const XmlName& name)
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

void SheetPart::characters(std::string_view text)
{
    if (inValue_)
        append(value_, text);
    else if (inText_)
        append(inlineText_, text);
}

SheetPart::ValueType SheetPart::valueType(const char* t)
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

void SheetPart::append(std::string& to, std::string_view text)
{
    if (to.size() + text.size() > kMaxTextBytes)
        throw PackageError("a cell text longer than any cell holds");
    to.append(text);
}

void SheetPart::startRow(const XmlAttributes& attributes)
{
    if (const char* r = attributes.value("r")) {
        const auto row = parseRowNumber(r);
        if (!row)
            throw PackageError(std::string("a row numbered \"") + r + '"');
        row_ = *row;
    } else {
        if (!rowSeen_ && scope_ == Scope::Piece)
            throw RowNumberUnknown();
        row_ = rowSeen_ ? row_ + 1 : 0; // a row without its number follows the one before
        if (row_ >= kMaxRows)
            throw PackageError("more than 1,048,576 rows");
    }
    rowSeen_ = true;
    nextColumn_ = 0;
}

void SheetPart::startCell(const XmlAttributes& attributes)
{
    inCell_ = true;
    hasValue_ = false;
    hasInline_ = false;
    hasFormula_ = false;
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

void SheetPart::endCell()
{
    inCell_ = false;
    inValue_ = false;
    // An empty value holds nothing, as a formatted blank; only a formula's text result may be empty text.
    if (hasValue_ && type_ != ValueType::FormulaString && type_ != ValueType::InlineString && trimmed(value_).empty())
        hasValue_ = false;
    // A formula whose writer never computed it has no result to read, which is not the same as a blank.
    if (hasFormula_ && !hasValue_ && !hasInline_) {
        add(CellKind::Uncomputed, 0, 0);
        return;
    }
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
        if (result.ec != std::errc() || result.ptr != text.data() + text.size() || index >= book_.sharedStrings.count())
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

void SheetPart::addNumber(std::string_view text)
{
    double value = 0;
    const char* begin = text.data();
    if (*begin == '+')
        ++begin;
    if (const auto decimal = shortDecimal(std::string_view(begin, std::size_t(text.data() + text.size() - begin)))) {
        value = *decimal;
    } else {
        const auto result = std::from_chars(begin, text.data() + text.size(), value);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
            addText(value_); // not a number after all: the text as it stands
            return;
        }
    }
    const CellKind kind = book_.isDateXf(style_) ? CellKind::Date : CellKind::Number;
    addCell(Cell::make(cellRow_, static_cast<std::uint16_t>(cellColumn_), kind, value));
}

void SheetPart::addText(const std::string& utf8)
{
    if (utf8.empty()) {
        add(CellKind::EmptyText, 0, 0);
        return;
    }
    sheet_.texts.buffer() += decodedText(utf8);
    add(CellKind::Text, sheet_.texts.close(), 0);
}

void SheetPart::add(CellKind kind, std::uint32_t low, std::uint32_t high)
{
    addCell(Cell{cellRow_, static_cast<std::uint16_t>(cellColumn_), kind, low, high});
}

void SheetPart::addCell(const Cell& cell)
{
    std::vector<Cell>& cells = sheet_.cells;
    if (cells.size() >= kMaxSheetCells)
        throw PackageError("more cells than a worksheet is read with");
    if (!cells.empty() &&
        (cell.row < cells.back().row || (cell.row == cells.back().row && cell.column <= cells.back().column)))
        inOrder_ = false;
    cells.push_back(cell);
}

} // namespace data::xlsx
