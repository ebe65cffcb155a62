// How long finding a sheet's layout takes: the header row searched, each header cell read once, the content of the
// candidate columns profiled. Over every sheet of the real workbooks beside the checkout (the slowest is named), and
// over crafted sheets: 30 rows x 400 columns sharing one 32,000-character text, and 30 rows x 16,384 short headers.
//
// usage: bench_layout [CORPUS_FOLDER ...]   (default: the .xls and .xlsx corpora beside the checkout)
#include "engine/sheet/ProductSheet.h"
#include "engine/sheet/SheetLayout.h"
#include "PackageBuilder.h"
#include "worksheet/Workbook.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

// Milliseconds to find the layout (or to be refused: that is a layout search too).
double layoutMillis(const data::Worksheet& sheet)
{
    QElapsedTimer timer;
    timer.start();
    try {
        importer::findSheetLayout(sheet);
    } catch (const std::exception&) {
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

data::Worksheet craftedSheet(int columns, const QString& text)
{
    QByteArray rows;
    for (int row = 1; row <= 30; ++row) {
        rows += "<row r=\"" + QByteArray::number(row) + "\">";
        for (int column = 0; column < columns; ++column)
            rows += "<c t=\"s\"><v>" + QByteArray::number(text.isEmpty() ? column : 0) + "</v></c>";
        rows += "</row>";
    }
    QByteArray strings;
    if (text.isEmpty()) {
        for (int column = 0; column < columns; ++column)
            strings += "<si><t>列" + QByteArray::number(column) + "</t></si>";
    } else {
        strings = "<si><t>" + text.toUtf8() + "</t></si>";
    }
    return data::Workbook::openBytes(packagebuilder::oneSheet(rows, strings)).sheet(QStringLiteral("S"));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList folders = app.arguments().mid(1);
    if (folders.isEmpty())
        folders = {QStringLiteral(PI_XLS_CORPUS_DIR), QStringLiteral(PI_XLSX_CORPUS_DIR)};

    int sheets = 0;
    double total = 0;
    double slowest = 0;
    QString slowestName;
    for (const QString& folder : folders) {
        QDirIterator files(folder, {"*.xls", "*.xlsx", "*.xlsm"}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            try {
                const data::Workbook book = data::Workbook::open(path);
                for (int i = 0; i < book.sheetNames().size(); ++i) {
                    const data::Worksheet sheet = book.sheet(i);
                    const double ms = layoutMillis(sheet);
                    ++sheets;
                    total += ms;
                    if (ms > slowest) {
                        slowest = ms;
                        slowestName = path.section(u'/', -1) + u':' + sheet.name();
                    }
                }
            } catch (const std::exception&) {
                // A workbook the reader refuses has no layout to find.
            }
        }
    }
    out << QStringLiteral("corpus: %1 sheets, layout found in %2 ms on average, at most %3 ms (%4)\n")
               .arg(sheets)
               .arg(sheets ? total / sheets : 0.0, 0, 'f', 3)
               .arg(slowest, 0, 'f', 2)
               .arg(slowestName);
    out << QStringLiteral("30 x 400 cells of one 32,000-character text: %1 ms\n")
               .arg(layoutMillis(craftedSheet(400, QString(32000, u'名'))), 0, 'f', 1);
    out << QStringLiteral("30 x 16,384 short headers: %1 ms\n").arg(layoutMillis(craftedSheet(16384, {})), 0, 'f', 1);
    return 0;
}
