#pragma once
// What kind of file a workbook was read from.

namespace data {

enum class WorkbookFormat { Biff, Package, OpenDocument, DelimitedText, HtmlTables, XmlSpreadsheet };

} // namespace data
