#pragma once
// Reading an Office Open XML workbook into the same workbook and worksheet data the BIFF reader fills, so that
// every cell becomes text by the same rules.

#include "worksheet/SheetReading.h"
#include "worksheet/WorkbookData.h"

#include <memory>

namespace data::xlsx {

class PackageFile;

// workbook.xml (worksheets in order, the date system), styles.xml (which cell formats show dates) and the shared
// strings. Throws WorkbookError for a refused or damaged workbook.
std::shared_ptr<const WorkbookData> readPackageWorkbook(std::shared_ptr<const PackageFile> package);

// One worksheet's cells, a large part cut in pieces as reading says. Throws SheetError for a damaged sheet.
std::shared_ptr<const WorksheetData> readPackageWorksheet(const std::shared_ptr<const WorkbookData>& book,
                                                          const SheetEntry& entry, const SheetReading& reading);

} // namespace data::xlsx
