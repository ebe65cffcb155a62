#pragma once
// The real message boxes, file dialog, shell "open" and quit request of the import window.

#include "window/WindowDialogs.h"

class DesktopDialogs final : public WindowDialogs
{
public:
    void showInformation(QWidget* owner, const QString& caption, const QString& text,
                         const QString& detail = {}) override;
    void showError(QWidget* owner, const QString& caption, const QString& text) override;
    std::optional<QString> chooseWorkbook(QWidget* owner, const QString& startFile) override;
    bool openWithDesktop(const QUrl& url) override;
    std::optional<importer::SheetLayout> chooseColumns(QWidget* owner, const data::Worksheet& sheet,
                                                       const importer::SheetLayout& preset, bool phraseMnemonics,
                                                       const QStringList& furtherColumns) override;
    bool confirm(QWidget* owner, const QString& caption, const QString& text) override;
    void showLog(QWidget* owner, const QString& path, const QString& text,
                 const std::function<void(QWidget*)>& saveFailedRows = {}) override;
    std::optional<QString> chooseFailedRowsFile(QWidget* owner, const QString& startFile) override;
    void requestQuit() override;
};
