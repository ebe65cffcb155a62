#pragma once
// What an import run tells whoever drives it (the window or the command line), as events in the order they happen.
// How each shows itself (a cursor, a bar, how often the screen is repainted) is the receiver's business.

#include "engine/writes/ImportCounts.h"

#include <QString>

namespace importer {

// The messages that end a run early. The window shows each in an information box and then moves the focus.
enum class ImportNotice {
    NoWorkbookPath,    // "请选择要导入的电子表格！", focus to the workbook path
    NoCategory,        // "请选择所属分类！", focus to the category choice
    WorkbookNotOpened, // "Execl文件不存在,请重新连接！", detail says why
};

class ImportReporter
{
public:
    virtual ~ImportReporter() = default;

    // text is the message as the clerk sees it; detail the technical cause (may be empty).
    virtual void notice(ImportNotice notice, const QString& text, const QString& detail) = 0;
    // The inputs are there and the run begins; the status text is "正在导入......".
    virtual void runStarted() = 0;
    // The store has been asked for the run's code letter (empty when every letter is taken): from here on the
    // status line and the progress show.
    virtual void codeLetterChosen(const QString& codeLetter) = 0;
    // No sheet was named and the run reads this one, which holds the products.
    virtual void sheetChosen(const QString& sheetName) { Q_UNUSED(sheetName); }
    // The sheet is open and holds rowTotal rows after its header.
    virtual void rowsCounted(int rowTotal) = 0;
    // One more row is finished; rowsDone rows so far, counted as given.
    virtual void rowHandled(int rowsDone, const ImportCounts& counts) = 0;
    // Every run that began ends here once, however it ends: completed, ended early or stopped by an error.
    virtual void runEnded() = 0;
};

} // namespace importer
