#pragma once
// An ImportReporter that remembers what the run told it, in order, and what a status line and a bar that follow
// those events would have shown. The status texts are written out here as the clerk reads them, not taken from the
// engine's own formatter, so that a test of them checks the texts as well as the counts.

#include "engine/run/ImportReporter.h"
#include "engine/writes/RunChoices.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace enginetest {

class RecordingReporter final : public importer::ImportReporter
{
public:
    struct Notice
    {
        importer::ImportNotice notice;
        QString text;
        QString detail;
    };

    QStringList events; // "started", "letter B", "rows 5", "row 1", "notice", "ended"
    QList<Notice> notices;
    QStringList statusTexts; // every text the status line would show, in order
    QList<int> positions;    // every position of the bar, in order
    int rangeMaximum = -1;
    bool busy = false;
    bool everBusy = false;
    bool statusVisible = false;
    bool progressVisible = false;
    bool progressWasShown = false;
    std::function<void(int)> onRowHandled; // a test's way into the middle of a run: called with rowsDone
    // The run's choices, as the status line names them.
    importer::ExistingChoice existing = importer::ExistingChoice::Add;
    importer::RepeatChoice repeats = importer::RepeatChoice::Fail;

    QString statusText() const { return statusTexts.isEmpty() ? QString() : statusTexts.last(); }
    // How many times the bar moved on by one.
    int advances() const
    {
        int count = 0;
        for (qsizetype i = 1; i < positions.size(); ++i)
            count += positions.at(i) == positions.at(i - 1) + 1 ? 1 : 0;
        return count;
    }

    // The status line after a row: the counts, then the count of each choice made, then the link to the log.
    QString summary(const importer::ImportCounts& counts) const
    {
        QString text = QStringLiteral("共%1条,正确导入%2条,错误%3条,空纪录%4条,")
                           .arg(rangeMaximum)
                           .arg(counts.imported)
                           .arg(counts.failed)
                           .arg(counts.empty);
        if (existing == importer::ExistingChoice::Skip)
            text += QStringLiteral("已有%1条,").arg(counts.existing);
        else if (existing == importer::ExistingChoice::Update)
            text += QStringLiteral("更新%1条,").arg(counts.updated);
        if (repeats == importer::RepeatChoice::Merge)
            text += QStringLiteral("合并%1条,").arg(counts.merged);
        return text + QStringLiteral("点此查看错误的信息！");
    }

    void notice(importer::ImportNotice notice, const QString& text, const QString& detail) override
    {
        events << QStringLiteral("notice");
        notices.append(Notice{notice, text, detail});
    }
    void runStarted() override
    {
        events << QStringLiteral("started");
        busy = everBusy = true;
        statusTexts << QStringLiteral("正在导入......");
    }
    void codeLetterChosen(const QString& codeLetter) override
    {
        events << QStringLiteral("letter ") + codeLetter;
        statusVisible = progressVisible = progressWasShown = true;
    }
    void rowsCounted(int rowTotal) override
    {
        events << QStringLiteral("rows %1").arg(rowTotal);
        rangeMaximum = rowTotal;
        positions << 0;
        statusTexts << QStringLiteral("有 %1条 正在导入......").arg(rowTotal);
    }
    void rowHandled(int rowsDone, const importer::ImportCounts& counts) override
    {
        events << QStringLiteral("row %1").arg(rowsDone);
        positions << rowsDone;
        statusTexts << summary(counts);
        if (onRowHandled)
            onRowHandled(rowsDone);
    }
    void runEnded() override
    {
        events << QStringLiteral("ended");
        busy = progressVisible = false;
    }
};

} // namespace enginetest
