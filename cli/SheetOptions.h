#pragma once
// The options that say which sheet holds the products and which of its columns feeds each field, shared by
// preview and import: --sheet NAME, --map FIELD=HEADER (repeatable), --header-row N.

#include "cli/VerbParser.h"
#include "engine/sheet/SheetLayout.h"

#include <optional>

namespace cli {

void addSheetOptions(VerbParser& parser);
// The clerk's choice of columns, or the usage problem with it.
std::optional<importer::ColumnChoice> columnChoice(const VerbParser& parser, QString& problem);
// The sheet named by --sheet, empty when none was: the one that holds the products is then taken.
QString chosenSheetName(const VerbParser& parser);
// "reading sheet X" on standard error, when the sheet taken is not Sheet1.
void sayWhichSheet(Console& console, const QString& verb, const QString& sheetName);

} // namespace cli
