#pragma once
// The markup files that systems export and name .xls: HTML tables (read with libxml2's HTML parser, each <table> a
// sheet) and Excel's XML Spreadsheet 2003 (read with expat, each <Worksheet> a sheet). Both are read whole, every
// cell as the text it shows, merged areas with their value in the top-left cell and the covered cells empty, as the
// other formats give a merge.

#include "worksheet/WorkbookData.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace data::markup {

// Throws WorkbookError for a page without a table.
std::shared_ptr<const WorkbookData> readHtmlTables(const QByteArray& bytes, const QString& fileName);

// Throws WorkbookError for damage.
std::shared_ptr<const WorkbookData> readXmlSpreadsheet(const QByteArray& bytes, const QString& fileName);

} // namespace data::markup
