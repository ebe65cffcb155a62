#include "engine/run/LogPathCheck.h"

#include <QDir>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace importer {

namespace {

// Where path leads: the canonical path of a file that exists; otherwise the target of its links (a link may point
// at a journal not made yet) under the canonical path of the nearest folder that exists.
QString resolvedPath(const QString& path)
{
    QFileInfo info(path);
    for (int links = 0; links < 40 && !info.exists() && info.isSymLink(); ++links)
        info = QFileInfo(info.symLinkTarget());
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    return folder + u'/' + info.fileName();
}

bool sameFile(const QString& one, const QString& other)
{
    if (one.isEmpty() || other.isEmpty())
        return false;
#ifndef Q_OS_WIN
    struct stat first;
    struct stat second;
    if (::stat(QFile::encodeName(one).constData(), &first) == 0 &&
        ::stat(QFile::encodeName(other).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#endif
    return resolvedPath(one) == resolvedPath(other);
}

} // namespace

LogClash logPathClash(const QString& logPath, const QString& storeFile, const QString& workbookPath)
{
    if (sameFile(logPath, storeFile))
        return LogClash::StoreFile;
    if (!storeFile.isEmpty()) {
        // SQLite names them after the path it opened, which may be a link's: after both.
        for (const QString& base : {storeFile, resolvedPath(storeFile)}) {
            for (const char* suffix : {"-journal", "-wal", "-shm"}) {
                if (sameFile(logPath, base + QLatin1String(suffix)))
                    return LogClash::StoreJournal;
            }
        }
    }
    if (sameFile(logPath, workbookPath))
        return LogClash::Workbook;
    return LogClash::None;
}

} // namespace importer
