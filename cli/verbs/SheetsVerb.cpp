// product-import-cli sheets WORKBOOK: one line per worksheet, "name TAB rows TAB columns".
#include "../Verbs.h"
#include "TsvText.h"

#include "Workbook.h"

#include <QTextStream>

int cli::runSheets(const QStringList& arguments)
{
    QTextStream err(stderr);
    if (arguments.size() != 1 || (arguments.front().startsWith(u'-') && arguments.front() != u"-")) {
        if (!arguments.isEmpty() && arguments.front().startsWith(u'-'))
            err << "product-import-cli sheets: unknown option \"" << arguments.front() << "\"\n";
        err << "usage: product-import-cli sheets WORKBOOK\n";
        return 2;
    }
    try {
        const data::Workbook book = data::Workbook::open(arguments.front());
        QString lines;
        const int count = static_cast<int>(book.sheetNames().size());
        for (int i = 0; i < count; ++i) {
            const data::Worksheet sheet = book.sheet(i);
            lines += tsvField(sheet.name()) + u'\t' + QString::number(sheet.rowCount()) + u'\t' +
                     QString::number(sheet.columnCount()) + u'\n';
        }
        QTextStream(stdout) << lines;
        return 0;
    } catch (const data::WorkbookError& error) {
        err << "product-import-cli sheets: " << error.reason() << '\n';
    } catch (const data::SheetError& error) {
        err << "product-import-cli sheets: " << error.reason() << '\n';
    }
    return 1;
}
