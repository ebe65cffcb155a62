#include "DesktopDialogs.h"

#include "ColumnMappingDialog.h"
#include "LogViewer.h"
#include "WorkbookFileDialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

void DesktopDialogs::showInformation(QWidget* owner, const QString& caption, const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, owner);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    box.exec();
}

void DesktopDialogs::showError(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

std::optional<QString> DesktopDialogs::chooseWorkbook(QWidget* owner, const QString& startFile)
{
    const auto dialog = makeWorkbookFileDialog(owner, startFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

bool DesktopDialogs::openWithDesktop(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

std::optional<importer::SheetLayout> DesktopDialogs::chooseColumns(QWidget* owner, const data::Worksheet& sheet,
                                                                   const importer::SheetLayout& preset,
                                                                   bool phraseMnemonics,
                                                                   const QStringList& furtherColumns)
{
    ColumnMappingDialog dialog(sheet, preset, phraseMnemonics, furtherColumns, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.layout();
}

void DesktopDialogs::showLog(QWidget* owner, const QString& path, const QString& text)
{
    LogViewer viewer(path, text, owner);
    viewer.exec();
}

void DesktopDialogs::requestQuit()
{
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}
