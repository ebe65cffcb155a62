#pragma once
// CSV and other delimited text (.csv, .txt, .tsv) as a workbook of one sheet named after the file: the encoding and
// the delimiter told from the first bytes, every cell text as written. A large file is read in pieces of whole
// records, parsed on several threads at once, as a large .xlsx sheet is.

#include "worksheet/SheetReading.h"
#include "worksheet/text/TextEncoding.h"
#include "worksheet/WorkbookData.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace data::text {

// Where the text is (a file, or bytes held in memory) and how it reads.
struct DelimitedFile
{
    QString path;     // empty for bytes in memory
    QByteArray bytes; // the file held in memory
    QString fileName; // for messages
    Encoding encoding = Encoding::Utf8;
    char16_t delimiter = u',';
};

// The file read as delimited text: its encoding and delimiter from the first bytes. Throws WorkbookError for an
// empty file or one that cannot be read.
std::shared_ptr<const WorkbookData> readDelimitedWorkbook(DelimitedFile file);

// Its one sheet. Throws SheetError for damage (a NUL byte, an unterminated quote, bytes not of the encoding, a line
// longer than 1 MiB, more rows or columns than a worksheet holds), naming the row.
std::shared_ptr<const WorksheetData> readDelimitedSheet(const std::shared_ptr<const WorkbookData>& book,
                                                        const SheetEntry& entry, const SheetReading& reading);

// Whether these first bytes of a file are text rather than a binary file: a UTF-16 byte order mark, or hardly any NUL
// or other control bytes (a stray one is damage the reader names).
bool looksLikeText(const QByteArray& firstBytes);

// A line longer than this is damage (or not text at all), not a record.
inline constexpr std::size_t kMaxLineBytes = std::size_t(1) << 20;

} // namespace data::text
