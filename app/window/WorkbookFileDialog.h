#pragma once
// The open-file dialog of the workbook picker, with its settings: filters for every Excel workbook the import reads
// (the default), for every kind of sheet file it reads (CSV and text, .ods; HTML exports come named .xls), for .xls
// files and for .xlsx/.xlsm files, "xls" added to a name typed without a suffix, any name
// accepted (the file need not exist yet), no read-only box, resizable.

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

inline constexpr char16_t kAnyWorkbookFilter[] = u"Excel 工作簿(*.xls *.xlsx *.xlsm)";
inline constexpr char16_t kSheetFileFilter[] = u"所有表格文件(*.xls *.xlsx *.xlsm *.csv *.txt *.ods)";
inline constexpr char16_t kWorkbookFilter[] = u" microsoft excel 文件(*.xls)";
inline constexpr char16_t kPackageWorkbookFilter[] = u"Excel 2007 及以上 工作簿(*.xlsx *.xlsm)";

std::unique_ptr<QFileDialog> makeWorkbookFileDialog(QWidget* owner, const QString& startFile);
