#pragma once
// OpenDocument spreadsheets (.ods, as LibreOffice, WPS and gnumeric save them, and the flat .fods): every table of
// content.xml a sheet, read whole in one pass through expat into the cell model the other formats fill. Repeated
// rows and cells (number-rows-repeated, number-columns-repeated) are counted, not stored, so a table formatted down
// to the last row costs nothing for its empty tail.

#include "worksheet/WorkbookData.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace data::xlsx {
class PackageFile;
}

namespace data::ods {

// The package's content.xml (package->isOpenDocument()). Throws WorkbookError for damage.
std::shared_ptr<const WorkbookData> readOpenDocument(const std::shared_ptr<const xlsx::PackageFile>& package);

// A flat OpenDocument file: the same document in one XML file. Throws WorkbookError for damage.
std::shared_ptr<const WorkbookData> readFlatOpenDocument(const QByteArray& bytes, const QString& fileName);

} // namespace data::ods
