#pragma once
// The handler of a worksheet part's XML: its rows and cells into the compact cell table the BIFF reader fills too.
// A whole part is read by one; a piece of whole rows, cut from a large part, by one of its own.

#include "worksheet/WorkbookData.h"
#include "worksheet/xlsx/XmlParts.h"

#include <cstdint>
#include <optional>
#include <string>

namespace data::xlsx {

// A full sheet of 1,048,576 rows by 32 columns; past it a file is crafted to cost memory.
inline constexpr std::size_t kMaxSheetCells = std::size_t(1) << 25;

// A piece begins with a row that has no number, so the row it follows is not known there.
class RowNumberUnknown : public std::runtime_error
{
public:
    RowNumberUnknown() : std::runtime_error("a row without its number at the start of a piece") {}
};

class SheetPart : public XmlHandler
{
public:
    enum class Scope { WholePart, Piece };
    SheetPart(WorksheetData& sheet, const WorkbookData& book, Scope scope = Scope::WholePart);

    void startElement(const XmlName& name, const XmlAttributes& attributes) override;
    void endElement(const XmlName& name) override;
    void characters(std::string_view text) override;

    // Whether the cells came in row and column order.
    bool inOrder() const { return inOrder_; }
    // The row read last, if any.
    std::optional<std::uint32_t> lastRow() const;
    // The rows of the pieces before come next: the whole part's reader goes on after their last row.
    void continueAfter(std::uint32_t row);

private:
    enum class ValueType : std::uint8_t { Number, SharedString, InlineString, FormulaString, Boolean, Error, IsoDate };
    static ValueType valueType(const char* t);
    static void append(std::string& to, std::string_view text);

    void startRow(const XmlAttributes& attributes);
    void startCell(const XmlAttributes& attributes);
    void endCell();
    void addNumber(std::string_view text);
    void addText(const std::string& utf8);
    void add(CellKind kind, std::uint32_t low, std::uint32_t high);
    void addCell(const Cell& cell);

    WorksheetData& sheet_;
    const WorkbookData& book_;
    const Scope scope_;
    bool inSheetData_ = false;
    bool inCell_ = false;
    bool inValue_ = false;
    bool inInline_ = false;
    bool inText_ = false;
    bool hasValue_ = false;
    bool hasInline_ = false;
    bool hasFormula_ = false;
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

} // namespace data::xlsx
