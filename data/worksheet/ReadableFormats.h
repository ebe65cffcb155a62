#pragma once
// The sentence every refusal of a workbook format ends with: which formats are read, and what to do.

#include <QString>

namespace data {

inline QString saveAsReadableFormat()
{
    return QStringLiteral("可以读取的格式是 Excel 工作簿(*.xlsx *.xlsm)和 Excel 97-2003 工作簿(*.xls)，"
                          "请在 Excel 中把它另存为其中一种再导入。");
}

} // namespace data
