#pragma once
// log.txt: the error log of the last import run that got through its rows, in GB18030 (GBK wherever GBK has the
// character) with CR LF after every line.

#include <QString>
#include <QStringList>

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

// Writes the lines to a temporary file beside path and renames it over path, so that a failure leaves the old
// log whole. A path that names a FIFO or a device is written in place, never replaced by a regular file; a FIFO
// that no program reads is refused. Throws LogFileError naming the file and the cause ("disk full" for a full
// disk).
void saveErrorLog(const QStringList& lines, const QString& path);

} // namespace importer
