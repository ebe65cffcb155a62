#pragma once
// An ImportReporter that remembers what the run told it, in order.

#include "ImportReporter.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

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

    QList<Notice> notices;
    QStringList statusTexts; // every text set, in order
    QList<int> positions;    // every progress position set, in order
    int rangeMinimum = -1;
    int rangeMaximum = -1;
    bool busy = false;
    bool everBusy = false;
    bool statusVisible = false;
    bool progressVisible = false;
    bool progressWasShown = false;
    int repaints = 0;

    QString statusText() const { return statusTexts.isEmpty() ? QString() : statusTexts.last(); }
    // How many times the bar moved on by one.
    int advances() const
    {
        int count = 0;
        for (qsizetype i = 1; i < positions.size(); ++i)
            count += positions.at(i) == positions.at(i - 1) + 1 ? 1 : 0;
        return count;
    }

    void showNotice(importer::ImportNotice notice, const QString& text, const QString& detail) override
    {
        notices.append(Notice{notice, text, detail});
    }
    void setBusy(bool on) override
    {
        busy = on;
        everBusy = everBusy || on;
    }
    void setStatusText(const QString& text) override { statusTexts.append(text); }
    void setStatusVisible(bool visible) override { statusVisible = visible; }
    void setProgressVisible(bool visible) override
    {
        progressVisible = visible;
        progressWasShown = progressWasShown || visible;
    }
    void setProgressRange(int minimum, int maximum) override
    {
        rangeMinimum = minimum;
        rangeMaximum = maximum;
    }
    std::function<void(int)> onPosition; // called after a position is set: a test's way into the middle of a run

    void setProgressPosition(int position) override
    {
        positions.append(position);
        if (onPosition)
            onPosition(position);
    }
    void repaintNow() override { ++repaints; }
};

} // namespace enginetest
