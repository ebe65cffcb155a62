// libFuzzer target: any bytes as a workbook file. Opening and reading every cell must end in a value or in a
// WorkbookError/SheetError; anything else (a crash, another exception, a sanitizer report) is a finding.
//
// FUZZ_STREAM=1 at build time makes the bytes the workbook stream itself, past the compound-file container, so
// that the fuzzer spends its time in the record parsing.
#include "BiffRecords.h"
#include "Workbook.h"
#include "WorkbookData.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

void readEverything(const data::Worksheet& sheet)
{
    for (int row = 0; row < sheet.rowCount(); ++row) {
        for (int column = 0; column < sheet.columnCount(); ++column)
            sheet.cellText(row, column);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    try {
#if FUZZ_STREAM
        const std::shared_ptr<const data::WorkbookData> book = data::readWorkbookGlobals(input, false);
        for (const data::SheetEntry& entry : book->sheets) {
            try {
                readEverything(data::Worksheet(data::readWorksheet(book, entry)));
            } catch (const data::SheetError&) {
            }
        }
#else
        const data::Workbook book = data::Workbook::openBytes(input);
        for (int i = 0; i < book.sheetNames().size(); ++i) {
            try {
                readEverything(book.sheet(i));
            } catch (const data::SheetError&) {
            }
        }
#endif
    } catch (const data::WorkbookError&) {
    } catch (const data::biff::FormatError&) {
    }
    return 0;
}
