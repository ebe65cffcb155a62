#include "window/WindowImportReporter.h"

#include "engine/run/ImportTexts.h"
#include "window/StatusLinkLabel.h"
#include "window/WindowDialogs.h"

#include <QProgressBar>
#include <QRegion>

namespace {

const QString kNoticeCaption = QStringLiteral("系统提示");

// The status line and the bar are repainted by hand while the run holds the thread; more than this many repaints
// a second only slows the run down (each is a picture sent to the X server, which shares the cores with the run).
constexpr qint64 kRepaintIntervalMs = 50;

// Where the widget is in its window.
QRect areaInWindow(const QWidget* widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

} // namespace

WindowImportReporter::WindowImportReporter(WindowDialogs& dialogs, const Targets& targets,
                                           importer::ExistingChoice existing, importer::RepeatChoice repeats)
    : dialogs_(dialogs), targets_(targets), existing_(existing), repeats_(repeats)
{
}

void WindowImportReporter::notice(importer::ImportNotice notice, const QString& text, const QString& detail)
{
    applyNoted();
    {
        // The box waits for the clerk, not for the run: the ordinary pointer over it, also under the hourglass.
        std::optional<ArrowCursor> arrow;
        if (busy_)
            arrow.emplace();
        dialogs_.showInformation(targets_.owner, kNoticeCaption, text, detail);
    }
    switch (notice) {
    case importer::ImportNotice::NoWorkbookPath:
        targets_.workbookPath->setFocus(Qt::OtherFocusReason);
        break;
    case importer::ImportNotice::NoCategory:
        targets_.categoryBox->setFocus(Qt::OtherFocusReason);
        break;
    case importer::ImportNotice::WorkbookNotOpened:
        break;
    }
}

void WindowImportReporter::runStarted()
{
    busy_.emplace();
    notedText_ = importer::texts::kImporting;
}

void WindowImportReporter::codeLetterChosen(const QString&)
{
    // Every run's bar starts empty: an earlier run left it full.
    notedPosition_ = targets_.progressBar->minimum();
    repaintNow();
    targets_.progressBar->show();
    targets_.statusLine->show();
}

void WindowImportReporter::rowsCounted(int rowTotal)
{
    rowTotal_ = rowTotal;
    // An empty range would turn the bar into a busy indicator; an empty sheet shows an empty bar instead.
    targets_.progressBar->setRange(0, rowTotal > 0 ? rowTotal : 1);
    notedPosition_ = 0;
    notedText_ = importer::texts::rowCountStatus(rowTotal);
    notedCounts_.reset();
    repaintNow();
}

void WindowImportReporter::rowHandled(int rowsDone, const importer::ImportCounts& counts)
{
    // The summary text is made only when it is shown: making it for every row would cost more than the row.
    notedCounts_ = counts;
    notedText_.reset();
    notedPosition_ = rowsDone;
    if (!sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= kRepaintIntervalMs)
        repaintNow();
}

void WindowImportReporter::runEnded()
{
    applyNoted();
    targets_.statusLine->repaint();
    targets_.progressBar->hide();
    busy_.reset();
}

void WindowImportReporter::showStopped(int storedRows)
{
    if (targets_.statusLine->isHidden())
        return; // the run stopped before it began: nothing was shown
    notedText_.reset();
    notedCounts_.reset();
    targets_.statusLine->setStatus(storedRows > 0 ? QStringLiteral("导入已停止,已导入%1条").arg(storedRows)
                                                  : QStringLiteral("导入已停止,没有导入任何记录"));
    targets_.statusLine->repaint();
}

void WindowImportReporter::repaintNow()
{
    applyNoted();
    // Both in one pass over the window: one picture to the screen, not one a widget.
    QRegion area(areaInWindow(targets_.statusLine));
    if (targets_.progressBar->isVisible())
        area += areaInWindow(targets_.progressBar);
    targets_.statusLine->window()->repaint(area);
    sinceRepaint_.start();
}

void WindowImportReporter::applyNoted()
{
    if (notedCounts_) {
        notedText_ = importer::texts::rowSummary(rowTotal_, *notedCounts_, existing_, repeats_);
        notedCounts_.reset();
    }
    if (notedText_) {
        targets_.statusLine->setStatus(*notedText_);
        notedText_.reset();
    }
    if (notedPosition_) {
        targets_.progressBar->setValue(*notedPosition_);
        notedPosition_.reset();
    }
}
