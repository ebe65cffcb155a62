#pragma once
// How an import run talks to whoever drives it: the window or the command line.

#include <QString>

namespace importer {

// The messages that end a run early. The window shows each in an information box and then moves the focus.
enum class ImportNotice {
    NoWorkbookPath,     // "请选择要导入的电子表格！", focus to the workbook path
    NoCategory,         // "请选择所属分类！", focus to the category box
    WorkbookNotOpened,  // "Execl文件不存在,请重新连接！", detail says why
};

class ImportReporter
{
public:
    virtual ~ImportReporter() = default;

    // text is the message as the clerk sees it; detail the technical cause (may be empty).
    virtual void showNotice(ImportNotice notice, const QString& text, const QString& detail) = 0;
    virtual void setBusy(bool busy) = 0; // hourglass cursor on / back to the default
    virtual void setStatusText(const QString& text) = 0;
    virtual void setStatusVisible(bool visible) = 0;
    virtual void setProgressVisible(bool visible) = 0;
    virtual void setProgressRange(int minimum, int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;
    // Show the status line and the bar as they are now. The run calls it a bounded number of times a second
    // and always after the last row, so a caller may keep setStatusText/setProgressPosition cheap.
    virtual void repaintNow() = 0;
};

} // namespace importer
