#pragma once
// What kind of file a workbook is, told by its first bytes, never by its name: clerks' files are often named for
// another kind (an HTML table saved as .xls, an Excel 97-2003 workbook named .csv).

#include <QByteArray>

namespace data {

enum class ContentKind {
    Zip,              // an Office Open XML or OpenDocument package
    CompoundFile,     // Excel 97-2003 or 5/95 (or an older bare BIFF file, which the reader refuses itself)
    Html,             // a web page's table, as web shops export "Excel" files
    XmlSpreadsheet,   // Excel's XML Spreadsheet 2003
    FlatOpenDocument, // a flat OpenDocument spreadsheet (.fods)
    Text,             // delimited text
    Unknown,
};

// From the first few kilobytes of the file.
ContentKind contentKind(const QByteArray& firstBytes);

// How many bytes contentKind looks at.
inline constexpr qsizetype kContentSniffBytes = 8192;

} // namespace data
