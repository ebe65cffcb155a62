#include "ErrorLogFile.h"

#include <QSaveFile>
#include <QStringEncoder>

namespace importer {

QByteArray errorLogBytes(const QStringList& lines)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        throw LogFileError(QStringLiteral("This build of Qt cannot write GBK text, so the error log cannot be saved"));
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += encoder.encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

void saveErrorLog(const QStringList& lines, const QString& path)
{
    const QByteArray bytes = errorLogBytes(lines);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw LogFileError(QStringLiteral("The error log %1 cannot be created: %2").arg(path, file.errorString()));
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        const QString cause = file.errorString();
        file.cancelWriting();
        throw LogFileError(QStringLiteral("The error log %1 cannot be written: %2").arg(path, cause));
    }
}

} // namespace importer
