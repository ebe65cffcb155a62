#include "window/LogEntries.h"

#include "engine/run/ImportTexts.h"

#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

const QString kCodeTag = QStringLiteral("编号---");
const QString kNameTag = QStringLiteral("；名称---");
const QString kReasonTag = QStringLiteral("；原因---");
const QString kNoReason = QStringLiteral("没有写明原因");

} // namespace

std::optional<LogEntry> parseErrorLine(const QString& line)
{
    if (!line.startsWith(kCodeTag))
        return std::nullopt;
    // The code and the name come from the sheet and may hold anything: the first name tag after the code ends the
    // code, the first reason tag after that ends the name.
    const qsizetype nameAt = line.indexOf(kNameTag, kCodeTag.size());
    if (nameAt < 0)
        return std::nullopt;
    LogEntry entry;
    entry.code = line.mid(kCodeTag.size(), nameAt - kCodeTag.size());
    const qsizetype nameStart = nameAt + kNameTag.size();
    const qsizetype reasonAt = line.indexOf(kReasonTag, nameStart);
    if (reasonAt < 0) {
        entry.name = line.mid(nameStart);
    } else {
        entry.name = line.mid(nameStart, reasonAt - nameStart);
        entry.reason = line.mid(reasonAt + kReasonTag.size());
    }
    return entry;
}

QList<LogEntry> parseErrorLog(const QString& text)
{
    QList<LogEntry> entries;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.trimmed().isEmpty() || (i == 0 && line == importer::texts::kErrorLogHeader))
            continue;
        LogEntry entry = parseErrorLine(line).value_or(LogEntry{0, {}, {}, line});
        entry.line = int(i) + 1;
        entries.append(entry);
    }
    return entries;
}

QString reasonKind(const QString& reason)
{
    static const QRegularExpression quoted(QStringLiteral("“[^”]*”"));
    QString kind = reason;
    kind.remove(quoted);
    // What follows the first comma or bracket is the detail of one row: the earlier row, the store's message.
    static const QRegularExpression detail(QStringLiteral("[，,（(].*$"));
    kind.remove(detail);
    kind = kind.trimmed();
    return kind.isEmpty() ? kNoReason : kind;
}

QString reasonCounts(const QList<LogEntry>& entries)
{
    QMap<QString, int> counts;
    std::vector<QString> order; // kinds as they first come, so that equal counts keep the log's order
    for (const LogEntry& entry : entries) {
        const QString kind = reasonKind(entry.reason);
        if (!counts.contains(kind))
            order.push_back(kind);
        ++counts[kind];
    }
    std::stable_sort(order.begin(), order.end(),
                     [&counts](const QString& a, const QString& b) { return counts.value(a) > counts.value(b); });
    QStringList parts;
    for (const QString& kind : order)
        parts << QStringLiteral("%1 %2 行").arg(kind).arg(counts.value(kind));
    return parts.join(QStringLiteral(", "));
}
