#pragma once
// How an import run shows itself in the window: message boxes with their focus moves, the hourglass, the status
// line and the progress bar. Texts and positions are only noted as the rows go and put on the screen when the run
// asks for a repaint, so a long sheet costs no more than the repaints it needs.

#include "BusyCursor.h"
#include "ImportReporter.h"

#include <QPointer>
#include <QString>

#include <optional>

class QLabel;
class QProgressBar;
class QWidget;
class WindowDialogs;

class WindowImportReporter final : public importer::ImportReporter
{
public:
    struct Targets
    {
        QWidget* owner;            // the window that owns the message boxes
        QLabel* statusLine;        // RzURLLabel1
        QProgressBar* progressBar; // ProgressBar1
        QWidget* workbookPath;     // excel: focus after "no workbook"
        QWidget* categoryBox;      // splb_com: focus after "no category"
    };

    WindowImportReporter(WindowDialogs& dialogs, const Targets& targets);
    // The clean-up for every way out of a run: what is noted is shown, the bar is hidden, the cursor restored.
    ~WindowImportReporter() override;
    WindowImportReporter(const WindowImportReporter&) = delete;
    WindowImportReporter& operator=(const WindowImportReporter&) = delete;

    void showNotice(importer::ImportNotice notice, const QString& text, const QString& detail) override;
    void setBusy(bool busy) override;
    void setStatusText(const QString& text) override;
    void setStatusVisible(bool visible) override;
    void setProgressVisible(bool visible) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressPosition(int position) override;
    void repaintNow() override;

private:
    void applyNoted();

    WindowDialogs& dialogs_;
    Targets targets_;
    std::optional<BusyCursor> busy_;
    std::optional<QString> notedText_;
    std::optional<int> notedPosition_;
};
