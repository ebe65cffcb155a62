#pragma once
// Reading an Excel 97-2003 or Excel 5/95 workbook stream into the workbook and worksheet data both formats share.

#include "worksheet/WorkbookData.h"

#include <QByteArray>

#include <memory>

namespace data::biff {

// Reads the workbook globals of a workbook stream. Throws WorkbookError.
std::shared_ptr<WorkbookData> readWorkbookGlobals(QByteArray stream, bool excel5Name);

// Reads the sheet substream at the entry's offset. Throws SheetError for a damaged sheet.
std::shared_ptr<const WorksheetData> readWorksheet(const std::shared_ptr<const WorkbookData>& book,
                                                   const SheetEntry& entry);

} // namespace data::biff
