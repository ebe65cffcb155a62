// product-import-cli sheets: one line per worksheet, "name TAB rows TAB columns", and "TAB 隐藏" for a sheet the
// workbook hides (read only when named).
#include "cli/VerbParser.h"
#include "cli/Verbs.h"
#include "cli/verbs/TsvText.h"
#include "worksheet/Workbook.h"

int cli::runSheets(const QStringList& arguments, Console& console)
{
    VerbParser parser(console, QStringLiteral("sheets"));
    parser.setDetails(QStringLiteral(
        "Prints one line per worksheet: its name, rows and columns, separated by tabs, and 隐藏 where the\n"
        "workbook hides the sheet (it is read only when --sheet names it).\n"
        "Exit status: 0 listed, 1 the workbook cannot be read, 2 usage error.\n"
        "Example: product-import-cli sheets 商品.xls"));
    if (const std::optional<int> status = parser.parse(arguments))
        return *status;
    const QStringList workbooks = parser.positional();
    if (workbooks.size() != 1)
        return parser.usageError(workbooks.isEmpty() ? QStringLiteral("name the workbook")
                                                     : QStringLiteral("one workbook at a time"));
    try {
        const data::Workbook book = data::Workbook::open(workbooks.constFirst());
        QString lines;
        const int count = static_cast<int>(book.sheetNames().size());
        for (int i = 0; i < count; ++i) {
            const data::Worksheet sheet = book.sheet(i);
            lines += tsvField(sheet.name()) + u'\t' + QString::number(sheet.rowCount()) + u'\t' +
                     QString::number(sheet.columnCount()) + (book.isHidden(i) ? QStringLiteral("\t隐藏") : QString()) +
                     u'\n';
        }
        console.out << lines;
        return 0;
    } catch (const data::WorkbookError& error) {
        return parser.failure(error.reason());
    } catch (const data::SheetError& error) {
        return parser.failure(error.reason());
    }
}
