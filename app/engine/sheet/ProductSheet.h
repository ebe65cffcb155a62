#pragma once
// The product worksheet as the import sees it: a header row that names the fields (found, or as the clerk chose),
// and one product per further row.

#include "engine/sheet/ProductFields.h"
#include "engine/sheet/SheetLayout.h"
#include "worksheet/Workbook.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace importer {

class ProductSheet
{
public:
    // Finds the header row and the columns, taking the clerk's choice over what is found. Throws
    // MissingColumnsError or ColumnChoiceError.
    explicit ProductSheet(data::Worksheet sheet, const ColumnChoice& choice = {});
    ProductSheet(data::Worksheet sheet, const SheetLayout& layout);

    int rowCount() const; // N: every row after the header row, blank rows included
    // Untrimmed, dataRow from 0; "" where the field has no column. A numbered list's code is the row's place among
    // the products (rows with a name), zero-padded to the width of the last: 001, 002, ...
    QString cellText(int dataRow, ProductColumn column) const;
    // The same into text, its storage used again where it has room: for making row after row.
    void cellText(int dataRow, ProductColumn column, QString& text) const;
    // The cell of the further column (in the layout's order), untrimmed.
    QString furtherText(int dataRow, int further) const;
    int furtherCount() const { return int(layout_.further.size()); }
    // The sheet's header of the further column.
    QString furtherHeader(int further) const;
    // A total row at the foot of a list ("合  计" in its code or name cell, and no other product name): no product.
    bool isTotalRow(int dataRow) const;
    // The same of a row's code and name cells, read already.
    static bool isTotalRow(const QString& codeCell, const QString& nameCell);
    // A row that repeats the header row's texts in the code and name columns (a list printed page by page): no
    // product, counted as an empty record like a total. Of the row's cells, read already.
    bool repeatsHeader(const QString& codeCell, const QString& nameCell) const;
    // The sheet rows (1 for the first) that have a product name but no code, and so count as empty records: none
    // where the products are numbered.
    std::vector<int> namedRowsWithoutCode() const;
    // The row's number as the sheet shows it (1 for the first row of the sheet).
    int sheetRowNumber(int dataRow) const { return layout_.headerRow + 2 + dataRow; }

    const SheetLayout& layout() const { return layout_; }
    const data::Worksheet& worksheet() const { return sheet_; }
    QString name() const { return sheet_.name(); }
    // The header cell that feeds the field (line breaks and blanks around it tidied), or its template header where
    // the field has no column.
    QString headerText(ProductColumn field) const;
    // A formula cell of the field that its writer never computed.
    bool isUncomputedFormula(int dataRow, ProductColumn column) const;

private:
    void numberProducts();
    void noteHeaderTexts();

    data::Worksheet sheet_;
    SheetLayout layout_;
    std::vector<int> places_; // a numbered list: each row's place among the products, 0 for none
    int placeWidth_ = 0;
    // The header texts of the code and the name column as they stand and normalised; empty where none.
    QString codeHeader_;
    QString codeHeaderNormalized_;
    QString nameHeader_;
    QString nameHeaderNormalized_;
};

// "132 行有商品名称但没有商品编号（第5、9、12…行），将算作空纪录"; empty for no rows.
QString namedWithoutCodeNote(const std::vector<int>& sheetRows);

// The sheet of the workbook that holds the products when the clerk names none, as read to find out, among the sheets
// the workbook shows (a hidden sheet is read only when named): "Sheet1" when it has a header row, else the first
// sheet that has one, else the first that names products without codes, else "Sheet1" or the first sheet (whose
// missing columns are then reported). A sheet that cannot be read while choosing ends the choice: throws
// data::SheetError naming it.
data::Worksheet chooseProductSheet(const data::Workbook& workbook);

} // namespace importer
