#pragma once
// The window's dialogs for tests: every box, dialog, shell call and quit request is recorded instead of shown, and
// the workbook picker answers from a queue.

#include "window/WindowDialogs.h"

#include <QApplication>
#include <QCursor>
#include <QList>
#include <QUrl>
#include <QWidget>

#include <deque>
#include <functional>
#include <stdexcept>

struct RecordedBox
{
    QWidget* owner = nullptr;
    QString caption;
    QString text;
    QString detail;
    QWidget* focusWhenShown = nullptr;
    Qt::CursorShape cursorWhenShown = Qt::ArrowCursor; // the application's override cursor, if any
};

inline Qt::CursorShape currentCursorShape()
{
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

struct RecordedOpen
{
    QUrl url;
    bool hourglassWhileOpening = false;
};

struct RecordedLog
{
    QString path;
    QString text;
};

class RecordingDialogs final : public WindowDialogs
{
public:
    QList<RecordedBox> informations;
    QList<RecordedBox> errors;
    QStringList pickerStartFiles;
    std::deque<std::optional<QString>> pickerAnswers; // nothing left: the picker is cancelled
    QList<RecordedOpen> opened;
    bool failOpening = false; // the shell call throws, as a broken desktop might
    bool noLauncher = false;  // the shell call finds no program, as on a desktop without a launcher
    QList<RecordedLog> logsShown;
    bool failedRowsSavable = false;   // the last log shown offered "保存出错的行…"
    bool pressSaveFailedRows = false; // press it when it is offered
    QStringList failedRowsStartFiles;
    QString failedRowsAnswer; // the path chosen in the save dialog; empty: cancelled
    int quitRequests = 0;
    std::function<void()> whileBoxShown; // called while a message box is up, to look at the window then

    void showInformation(QWidget* owner, const QString& caption, const QString& text, const QString& detail) override
    {
        informations.append({owner, caption, text, detail, QApplication::focusWidget(), currentCursorShape()});
        if (whileBoxShown)
            whileBoxShown();
    }
    void showError(QWidget* owner, const QString& caption, const QString& text) override
    {
        errors.append({owner, caption, text, {}, QApplication::focusWidget(), currentCursorShape()});
        if (whileBoxShown)
            whileBoxShown();
    }
    std::optional<QString> chooseWorkbook(QWidget*, const QString& startFile) override
    {
        pickerStartFiles << startFile;
        if (pickerAnswers.empty())
            return std::nullopt;
        // Taken apart rather than copied whole: GCC 12 takes a copied optional<QString> for uninitialised.
        const bool confirmed = pickerAnswers.front().has_value();
        const QString file = pickerAnswers.front().value_or(QString());
        pickerAnswers.pop_front();
        if (!confirmed)
            return std::nullopt;
        return file;
    }
    bool openWithDesktop(const QUrl& url) override
    {
        const QCursor* cursor = QApplication::overrideCursor();
        opened.append({url, cursor && cursor->shape() == Qt::WaitCursor});
        if (failOpening)
            throw std::runtime_error("no program opens this file");
        return !noLauncher;
    }
    // The column choice: what was preset each time, and the answer (the preset itself unless answerColumns says
    // otherwise; nothing: cancelled).
    struct ColumnsAsked
    {
        QString sheetName;
        importer::SheetLayout preset;
        QStringList furtherColumns;
    };
    QList<ColumnsAsked> columnsAsked;
    std::function<std::optional<importer::SheetLayout>(const importer::SheetLayout&)> answerColumns;
    std::optional<importer::SheetLayout> chooseColumns(QWidget*, const data::Worksheet& sheet,
                                                       const importer::SheetLayout& preset, bool,
                                                       const QStringList& furtherColumns) override
    {
        columnsAsked.append({sheet.name(), preset, furtherColumns});
        return answerColumns ? answerColumns(preset) : std::optional(preset);
    }
    QList<RecordedBox> confirmations;
    bool confirmAnswer = true; // what the clerk answers to every question
    bool confirm(QWidget* owner, const QString& caption, const QString& text) override
    {
        confirmations.append({owner, caption, text, {}, QApplication::focusWidget(), currentCursorShape()});
        return confirmAnswer;
    }
    void showLog(QWidget* owner, const QString& path, const QString& text,
                 const std::function<void(QWidget*)>& saveFailedRows) override
    {
        logsShown.append({path, text});
        failedRowsSavable = bool(saveFailedRows);
        if (saveFailedRows && pressSaveFailedRows)
            saveFailedRows(owner);
    }
    std::optional<QString> chooseFailedRowsFile(QWidget*, const QString& startFile) override
    {
        failedRowsStartFiles << startFile;
        if (failedRowsAnswer.isEmpty())
            return std::nullopt;
        return failedRowsAnswer;
    }
    void requestQuit() override { ++quitRequests; }
};
