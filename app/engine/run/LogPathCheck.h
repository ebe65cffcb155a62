#pragma once
// The error log is written over whatever file its path names: it must never name a file the run reads or writes
// (the store file, its journal or write-ahead log, the workbook), through whatever path or link.

#include <QString>

namespace importer {

enum class LogClash {
    None,
    StoreFile,    // the store's own file
    StoreJournal, // the store's journal, write-ahead log or its index (file-journal, -wal, -shm)
    Workbook,     // the workbook the run reads
};

// storeFile: the store's file, empty for a server; workbookPath may be empty. A path that does not exist yet is
// compared by the place its links and folders lead to; one that exists, by its file (a hard link is the same file).
LogClash logPathClash(const QString& logPath, const QString& storeFile, const QString& workbookPath);

} // namespace importer
