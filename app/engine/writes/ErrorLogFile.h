#pragma once
// log.txt: the error log of the last import run that got through its rows, in GB18030 (GBK wherever GBK has the
// character) with CR LF after every line.

#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>

namespace importer {

class LogFileError : public std::runtime_error
{
public:
    explicit LogFileError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// The error log of a program folder (which ends with '/'): the file the status line opens.
inline QString errorLogPath(const QString& programFolder)
{
    return programFolder + QStringLiteral("log.txt");
}

// The lines as the file holds them: GB18030, each line followed by CR LF, the last one too, no byte-order mark.
// A CR, LF, NUL, vertical tab or form feed inside a line is written as the two characters \r, \n, \0, \v or \f,
// so that every line stays one line of plain text.
QByteArray errorLogBytes(const QStringList& lines);

// The error log of one run, opened before the run writes its first row so that a log that cannot be written
// refuses the run before the store is touched; nothing at the path changes until save().
class OpenedErrorLog
{
public:
    // A regular file (or none yet): a temporary file made beside it, which proves the folder can be written. A
    // FIFO or a device: opened in place, without waiting; a FIFO that no program reads is refused. A folder is
    // refused. Throws LogFileError naming path and the cause.
    explicit OpenedErrorLog(const QString& path);
    ~OpenedErrorLog();
    OpenedErrorLog(const OpenedErrorLog&) = delete;
    OpenedErrorLog& operator=(const OpenedErrorLog&) = delete;

    const QString& path() const { return path_; }
    // Writes the lines and puts the file in place of the old log (once). Throws LogFileError.
    void save(const QStringList& lines);

private:
    struct Open;
    QString path_;
    std::unique_ptr<Open> open_;
};

// Writes the lines to a temporary file beside path and renames it over path, so that a failure leaves the old
// log whole. A path that names a FIFO or a device is written in place, never replaced by a regular file; a FIFO
// that no program reads is refused. Throws LogFileError naming the file and the cause ("disk full" for a full
// disk).
void saveErrorLog(const QStringList& lines, const QString& path);

} // namespace importer
