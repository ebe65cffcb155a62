#pragma once
// The sentence every refusal of a workbook format ends with: which formats are read, and what to do.

#include <QString>

namespace data {

inline QString saveAsReadableFormat()
{
    return QStringLiteral("可以读取的格式是 Excel 工作簿(*.xlsx *.xlsm)、Excel 97-2003 工作簿(*.xls)、"
                          "CSV 等分隔符文本(*.csv *.txt *.tsv)、网页表格和 XML 表格（另存为 .xls 的 HTML、"
                          "XML 电子表格 2003）和 OpenDocument 电子表格(*.ods *.fods)，"
                          "请在原来的程序中把它另存为其中一种再导入。");
}

} // namespace data
