#include "window/DesktopDialogs.h"

#include "window/ColumnMappingDialog.h"
#include "window/LogViewer.h"
#include "window/WorkbookFileDialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
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

bool DesktopDialogs::confirm(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel, owner);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
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

void DesktopDialogs::showLog(QWidget* owner, const QString& path, const QString& text,
                             const std::function<void(QWidget*)>& saveFailedRows)
{
    LogViewer viewer(path, text, owner);
    viewer.setFailedRowsSavable(bool(saveFailedRows));
    if (saveFailedRows)
        QObject::connect(&viewer, &LogViewer::saveFailedRowsRequested, &viewer,
                         [&viewer, saveFailedRows] { saveFailedRows(&viewer); });
    QObject::connect(&viewer, &LogViewer::openFileRequested, &viewer, [this, &viewer, path] {
        if (!openWithDesktop(QUrl::fromLocalFile(path)))
            showInformation(
                &viewer, QStringLiteral("系统提示"),
                QStringLiteral("这台电脑上没有能打开 log.txt 的程序。它在：\n%1").arg(QDir::toNativeSeparators(path)));
    });
    viewer.exec();
}

std::optional<QString> DesktopDialogs::chooseFailedRowsFile(QWidget* owner, const QString& startFile)
{
    const QString path = QFileDialog::getSaveFileName(owner, QStringLiteral("保存出错的行"), startFile,
                                                      QStringLiteral("Excel 工作簿(*.xlsx)"));
    if (path.isEmpty())
        return std::nullopt;
    return path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".xlsx");
}

void DesktopDialogs::requestQuit()
{
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}
