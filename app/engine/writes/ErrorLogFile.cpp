#include "engine/writes/ErrorLogFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QStringEncoder>

#include <cerrno>
#include <utility>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace importer {

namespace {

// A line break inside a code or a name would split its log line in two, and NUL, vertical tab and form feed
// upset the editors that open the log: each is written as two characters instead (\r \n \0 \v \f), as the
// command line's preview writes line breaks.
QString oneLine(const QString& line)
{
    static constexpr std::pair<char16_t, const char16_t*> kEscapes[] = {
        {u'\r', u"\\r"}, {u'\n', u"\\n"}, {u'\0', u"\\0"}, {u'\v', u"\\v"}, {u'\f', u"\\f"}};
    QString escaped = line;
    for (const auto& [character, written] : kEscapes) {
        if (escaped.contains(QChar(character)))
            escaped.replace(QChar(character), QString::fromUtf16(written));
    }
    return escaped;
}

QString causeOf(int error)
{
    if (error == ENOSPC)
        return QStringLiteral("disk full");
    return QString::fromLocal8Bit(std::strerror(error));
}

#ifndef Q_OS_WIN
// A FIFO, a device or another file that is not a regular one is written in place: replacing it with a regular
// file would take it away from whoever reads it. A FIFO that nobody reads is refused rather than waited for.
int openInPlace(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENXIO)
            throw LogFileError(
                QStringLiteral("The error log %1 is a FIFO that no program is reading, so nothing could be written "
                               "to it")
                    .arg(path));
        throw LogFileError(QStringLiteral("The error log %1 cannot be opened: %2").arg(path, causeOf(error)));
    }
    return fd;
}

// Writes to fd and closes it.
void writeInPlace(int fd, const QByteArray& bytes, const QString& path)
{
    // Blocking from here on: a reader that is slower than us is waited for.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    qsizetype written = 0;
    int error = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        written += n;
    }
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error != 0)
        throw LogFileError(QStringLiteral("The error log %1 cannot be written: %2").arg(path, causeOf(error)));
}

bool isSpecialFile(const QString& path)
{
    struct stat status;
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &status) != 0)
        return false; // not there yet: a regular file will be made
    return !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}
#endif

// The reason a regular file could not be written: the file system's own word, or "disk full" when the disk has
// less room than the log needs (Qt reports that only as an unknown error).
QString writeFailure(const QString& path, const QString& qtCause, qsizetype size)
{
    const QStorageInfo storage(QFileInfo(path).absoluteDir());
    if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < size + 4096)
        return QStringLiteral("disk full");
    return qtCause;
}

} // namespace

QByteArray errorLogBytes(const QStringList& lines)
{
    // GB18030 is GBK wherever GBK has the character, and encodes every other one (emoji, the CJK extensions).
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid())
        throw LogFileError(
            QStringLiteral("This build of Qt cannot write GB18030 text, so the error log cannot be saved"));
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += encoder.encode(oneLine(line));
        bytes += "\r\n";
    }
    return bytes;
}

struct OpenedErrorLog::Open
{
    std::unique_ptr<QSaveFile> file; // a regular file
    int fd = -1;                     // a FIFO or a device, written in place
};

OpenedErrorLog::OpenedErrorLog(const QString& path) : path_(path), open_(std::make_unique<Open>())
{
    if (QFileInfo(path).isDir())
        throw LogFileError(QStringLiteral("The error log %1 is a folder, not a file").arg(path));
#ifndef Q_OS_WIN
    if (isSpecialFile(path)) {
        open_->fd = openInPlace(path);
        return;
    }
#endif
    open_->file = std::make_unique<QSaveFile>(path);
    if (!open_->file->open(QIODevice::WriteOnly)) {
        throw LogFileError(
            QStringLiteral("The error log %1 cannot be created: %2").arg(path, open_->file->errorString()));
    }
}

OpenedErrorLog::~OpenedErrorLog()
{
#ifndef Q_OS_WIN
    if (open_->fd >= 0)
        ::close(open_->fd);
#endif
}

void OpenedErrorLog::save(const QStringList& lines)
{
    const QByteArray bytes = errorLogBytes(lines);
#ifndef Q_OS_WIN
    if (open_->fd >= 0) {
        writeInPlace(std::exchange(open_->fd, -1), bytes, path_);
        return;
    }
#endif
    QSaveFile* file = open_->file.get();
    if (!file || !file->isOpen())
        throw LogFileError(QStringLiteral("The error log %1 was saved already").arg(path_));
    if (file->write(bytes) != bytes.size() || !file->commit()) {
        const QString cause = writeFailure(path_, file->errorString(), bytes.size());
        file->cancelWriting();
        throw LogFileError(QStringLiteral("The error log %1 cannot be written: %2").arg(path_, cause));
    }
}

void saveErrorLog(const QStringList& lines, const QString& path)
{
    OpenedErrorLog(path).save(lines);
}

} // namespace importer
