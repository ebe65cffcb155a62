#pragma once
// The error lines of log.txt read back into their parts, for the window's table of failed rows. A line is
// "编号---<code>；名称---<name>" with "；原因---<reason>" after it when the reason is known; the file itself is never
// changed.

#include <QList>
#include <QString>

#include <optional>

struct LogEntry
{
    int line = 0; // the line of log.txt, from 1 (the header line is line 1)
    QString code;
    QString name;
    QString reason; // empty when the line names none
};

// The parts of one error line; nothing for a line that is not one (the header line, a blank line).
std::optional<LogEntry> parseErrorLine(const QString& line);

// Every line of the log's text that is not its header line or blank, in order. A line that is not an error line is
// kept whole as the reason, so that nothing the file holds is left out of the table.
QList<LogEntry> parseErrorLog(const QString& text);

// What a reason says without the values it quotes or the details in brackets after it: the kind of failure the
// rows are counted by ("销售价“个”不是数字" is "销售价不是数字", "编号重复，与第3行的编号相同" is "编号重复").
QString reasonKind(const QString& reason);

// "编号重复 209 行, 销售价不是数字 3 行": the entries counted by the kind of their reason, most first.
QString reasonCounts(const QList<LogEntry>& entries);
