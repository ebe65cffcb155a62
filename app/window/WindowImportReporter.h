#pragma once
// How an import run shows itself in the window: message boxes with their focus moves, the hourglass, the status
// line and the progress bar. Row counts are only noted as the rows go and put on the screen a bounded number of
// times a second, so a long sheet costs no more than the repaints it needs.

#include "engine/run/ImportReporter.h"
#include "engine/writes/RunChoices.h"
#include "window/BusyCursor.h"

#include <QElapsedTimer>
#include <QString>

#include <optional>

class QProgressBar;
class StatusLinkLabel;
class QWidget;
class WindowDialogs;

class WindowImportReporter final : public importer::ImportReporter
{
public:
    struct Targets
    {
        QWidget* owner;              // the window that owns the message boxes
        StatusLinkLabel* statusLine; // RzURLLabel1
        QProgressBar* progressBar;   // ProgressBar1
        QWidget* workbookPath;       // excel: focus after "no workbook"
        QWidget* categoryBox;        // splb_com: focus after "no category"
    };

    // The choices add to the summary what became of the rows the store holds already and of repeated codes.
    WindowImportReporter(WindowDialogs& dialogs, const Targets& targets,
                         importer::ExistingChoice existing = importer::ExistingChoice::Add,
                         importer::RepeatChoice repeats = importer::RepeatChoice::Fail);
    WindowImportReporter(const WindowImportReporter&) = delete;
    WindowImportReporter& operator=(const WindowImportReporter&) = delete;

    void notice(importer::ImportNotice notice, const QString& text, const QString& detail) override;
    void runStarted() override;
    void codeLetterChosen(const QString& codeLetter) override;
    void rowsCounted(int rowTotal) override;
    void rowHandled(int rowsDone, const importer::ImportCounts& counts) override;
    void runEnded() override;

    // After a run that began and stopped before the end of its rows: the status line says so and how many
    // products the store took, instead of "正在导入......" or a summary that does not add up.
    void showStopped(int storedRows);

private:
    void applyNoted();
    void repaintNow();

    WindowDialogs& dialogs_;
    Targets targets_;
    importer::ExistingChoice existing_;
    importer::RepeatChoice repeats_;
    std::optional<BusyCursor> busy_;
    int rowTotal_ = 0;
    std::optional<QString> notedText_;
    std::optional<importer::ImportCounts> notedCounts_; // the summary to show, made into text when it is shown
    std::optional<int> notedPosition_;
    QElapsedTimer sinceRepaint_;
};
