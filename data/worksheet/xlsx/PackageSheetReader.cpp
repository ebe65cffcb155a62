// One worksheet part of a package, streamed into the compact cell table the BIFF reader fills too.

#include "worksheet/WorkbookErrors.h"
#include "worksheet/xlsx/PackageFile.h"
#include "worksheet/xlsx/PackageReader.h"
#include "worksheet/xlsx/SheetPart.h"
#include "worksheet/xlsx/SheetPieces.h"

#include <thread>

namespace data::xlsx {

std::shared_ptr<const WorksheetData> readPackageWorksheet(const std::shared_ptr<const WorkbookData>& book,
                                                          const SheetEntry& entry, const SheetReading& reading)
{
    const auto sheet = emptyWorksheet(book, entry.name);
    const PackageFile& package = *book->package;
    const gsf::QuietUnnamedLogDomain quiet; // libgsf warns there of damaged zip entries it is asked for
    try {
        const gsf::InputPtr part = package.partById(package.workbookPart(), entry.relationId);
        if (!part)
            throw PackageError("the sheet's part is missing");
        // Reserved, not touched: the pages of a generous guess cost no memory until cells fill them, and the
        // table is never copied while it grows. The shortest cell, <c><v>1</v></c>, takes 15 bytes.
        const auto size = static_cast<std::size_t>(std::max<qint64>(PackageFile::partSize(part.get()), 0));
        sheet->cells.reserve(std::min(size / 15 + 16, kMaxSheetCells));
        // A machine that runs one thread at a time gains nothing from pieces, unless the caller asks for them.
        const int threads =
            reading.threads > 0 ? reading.threads : static_cast<int>(std::thread::hardware_concurrency());
        if (size >= reading.piecesFrom && (reading.threads > 0 || threads >= 2)) {
            bool inOrder = true;
            if (readInPieces(part.get(), *sheet, *book, reading, threads, inOrder)) {
                indexCells(*sheet, inOrder);
                sheet->texts.squeeze();
                return sheet;
            }
            sheet->cells.clear();
            sheet->texts = StringTable();
        }
        SheetPart reader(*sheet, *book);
        package.parse(part.get(), reader);
        indexCells(*sheet, reader.inOrder());
        sheet->texts.squeeze();
    } catch (const PackageError& error) {
        throw SheetError(
            QStringLiteral("工作表“%1”已损坏，无法读取（%2）。").arg(entry.name, QString::fromUtf8(error.what())));
    }
    return sheet;
}

} // namespace data::xlsx
