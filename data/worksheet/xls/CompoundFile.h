#pragma once
// The workbook stream inside an OLE2 compound file, read through libgsf.

#include <QByteArray>
#include <QString>

namespace data::biff {

struct WorkbookStream
{
    QByteArray bytes;
    bool excel5Name = false; // the stream is called "Book" (Excel 5/95), not "Workbook"
};

// Throws WorkbookError for a missing or unreadable file, a file that is no compound file, or one without a
// workbook stream.
WorkbookStream readWorkbookStream(const QString& path);
// The same for a compound file already in memory (the fuzz target's way in).
WorkbookStream readWorkbookStream(const QByteArray& fileBytes);

} // namespace data::biff
