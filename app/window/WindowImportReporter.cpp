#include "WindowImportReporter.h"

#include "WindowDialogs.h"

#include <QLabel>
#include <QProgressBar>

namespace {
const QString kNoticeCaption = QStringLiteral("系统提示");
}

WindowImportReporter::WindowImportReporter(WindowDialogs& dialogs, const Targets& targets)
    : dialogs_(dialogs), targets_(targets)
{
}

WindowImportReporter::~WindowImportReporter()
{
    applyNoted();
    targets_.progressBar->hide();
    busy_.reset();
}

void WindowImportReporter::showNotice(importer::ImportNotice notice, const QString& text, const QString& detail)
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

void WindowImportReporter::setBusy(bool busy)
{
    if (busy && !busy_)
        busy_.emplace();
    else if (!busy)
        busy_.reset();
}

void WindowImportReporter::setStatusText(const QString& text)
{
    notedText_ = text;
}

void WindowImportReporter::setStatusVisible(bool visible)
{
    applyNoted();
    targets_.statusLine->setVisible(visible);
}

void WindowImportReporter::setProgressVisible(bool visible)
{
    // Every run's bar starts empty, also while the run has not yet set its range: an earlier run left it full.
    if (visible && !notedPosition_)
        notedPosition_ = targets_.progressBar->minimum();
    applyNoted();
    targets_.progressBar->setVisible(visible);
}

void WindowImportReporter::setProgressRange(int minimum, int maximum)
{
    // An empty range would turn the bar into a busy indicator; an empty sheet shows an empty bar instead.
    targets_.progressBar->setRange(minimum, maximum > minimum ? maximum : minimum + 1);
}

void WindowImportReporter::setProgressPosition(int position)
{
    notedPosition_ = position;
}

void WindowImportReporter::repaintNow()
{
    applyNoted();
    targets_.statusLine->repaint();
    targets_.progressBar->repaint();
}

void WindowImportReporter::applyNoted()
{
    if (notedText_) {
        targets_.statusLine->setText(*notedText_);
        notedText_.reset();
    }
    if (notedPosition_) {
        targets_.progressBar->setValue(*notedPosition_);
        notedPosition_.reset();
    }
}
