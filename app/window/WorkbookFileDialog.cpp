#include "window/WorkbookFileDialog.h"

#include <QFileDialog>

std::unique_ptr<QFileDialog> makeWorkbookFileDialog(QWidget* owner, const QString& startFile)
{
    auto dialog = std::make_unique<QFileDialog>(owner);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist yet is accepted as it stands.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters({QString::fromUtf16(kAnyWorkbookFilter), QString::fromUtf16(kSheetFileFilter),
                            QString::fromUtf16(kWorkbookFilter), QString::fromUtf16(kPackageWorkbookFilter)});
    dialog->setDefaultSuffix(QStringLiteral("xls"));
    dialog->setSizeGripEnabled(true);
    if (!startFile.isEmpty())
        dialog->selectFile(startFile);
    return dialog;
}
