#pragma once
// The open-file dialog of the workbook picker, with its settings: one filter for .xls files, "xls" added to a name
// typed without a suffix, any name accepted (the file need not exist yet), no read-only box, resizable.

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

inline constexpr char16_t kWorkbookFilter[] = u" microsoft excel 文件(*.xls)";

std::unique_ptr<QFileDialog> makeWorkbookFileDialog(QWidget* owner, const QString& startFile);
