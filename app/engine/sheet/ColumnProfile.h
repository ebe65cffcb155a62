#pragma once
// What a column of a sheet holds over the product rows: how much of it is filled, how many values differ, how many
// read as numbers. Where headers leave a field two candidates, this decides between them.

#include "worksheet/Workbook.h"

namespace importer {

struct ColumnProfile
{
    int rows = 0;     // rows looked at
    int filled = 0;   // cells not blank
    int distinct = 0; // different values among the filled cells
    int numbers = 0;  // filled cells that read as numbers
    int han = 0;      // filled cells with a Chinese character in them
    int decimals = 0; // filled number cells written with a decimal point (665.00): prices, not counts or ids

    double filledShare() const { return rows > 0 ? double(filled) / rows : 0.0; }
    double distinctShare() const { return filled > 0 ? double(distinct) / filled : 0.0; }
    double numberShare() const { return filled > 0 ? double(numbers) / filled : 0.0; }
    double hanShare() const { return filled > 0 ? double(han) / filled : 0.0; }
};

// Rows first..end-1 of the column; a long sheet is sampled evenly (at most kProfileRows rows), which is enough to
// tell a price from a name.
inline constexpr int kProfileRows = 20000;
ColumnProfile profileColumn(const data::Worksheet& sheet, int column, int first, int end);

// Whether every cell of the column in rows first..end-1 is blank; stops at the first filled one.
bool isEmptyColumn(const data::Worksheet& sheet, int column, int first, int end);

// Whether the column gives a code to hardly any named row (under one in ten): a code column in name only, such as
// an ID column a web shop fills when a product is edited. Stops as soon as it is plainly filled.
bool hardlyFilledBeside(const data::Worksheet& sheet, int column, int nameColumn, int first, int end);

// Whether the column holds codes where the name column holds names: a value in nearly every named row, every value
// different, short, of letters, digits and dashes with a digit in it, and not the rows' running number (1, 2, 3 ...).
bool looksLikeCodes(const data::Worksheet& sheet, int column, int nameColumn, int first, int end);

} // namespace importer
