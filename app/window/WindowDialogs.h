#pragma once
// What the import window asks of the desktop: its message boxes, the workbook picker, the shell's "open" and the
// quit request. The program uses DesktopDialogs; the window tests record the calls instead of blocking on them.

#include "engine/sheet/SheetLayout.h"
#include "worksheet/Workbook.h"

#include <QString>

#include <functional>
#include <optional>

class QUrl;
class QWidget;

class WindowDialogs
{
public:
    virtual ~WindowDialogs() = default;

    // A modal information box with one OK button, owned by owner. detail, when not empty, is the technical cause
    // behind the message, offered for reading without crowding the message itself.
    virtual void showInformation(QWidget* owner, const QString& caption, const QString& text,
                                 const QString& detail = {}) = 0;
    // A modal error box with one OK button, owned by owner.
    virtual void showError(QWidget* owner, const QString& caption, const QString& text) = 0;
    // The open-file dialog for a workbook, starting at startFile. The confirmed path, or nothing when cancelled.
    virtual std::optional<QString> chooseWorkbook(QWidget* owner, const QString& startFile) = 0;
    // The desktop's default program for url; false when none could be started.
    virtual bool openWithDesktop(const QUrl& url) = 0;
    // Which column of the sheet feeds each field, preset as given: the layout chosen, or nothing when the clerk
    // cancels.
    // furtherColumns: the store's further columns of Cpxm, which the clerk may feed from the sheet too.
    virtual std::optional<importer::SheetLayout> chooseColumns(QWidget* owner, const data::Worksheet& sheet,
                                                               const importer::SheetLayout& preset,
                                                               bool phraseMnemonics,
                                                               const QStringList& furtherColumns) = 0;
    // A modal question with the buttons 确定 and 取消, owned by owner: true when the clerk confirms.
    virtual bool confirm(QWidget* owner, const QString& caption, const QString& text) = 0;
    // The log file at path in the window's own read-only viewer (a table of the failed rows), modal, owned by
    // owner; text is its decoded content. The viewer offers the desktop's own program for the file, and, where
    // saveFailedRows is given, "保存出错的行…", which calls it with the viewer as the owner of what it asks.
    virtual void showLog(QWidget* owner, const QString& path, const QString& text,
                         const std::function<void(QWidget*)>& saveFailedRows = {}) = 0;
    // The save-file dialog for the failed rows' workbook (.xlsx), starting at startFile. The confirmed path, or
    // nothing when cancelled.
    virtual std::optional<QString> chooseFailedRowsFile(QWidget* owner, const QString& startFile) = 0;
    // Ends the program as soon as the event loop reads the request.
    virtual void requestQuit() = 0;
};
