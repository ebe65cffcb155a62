// product-import: the import window.

#include "engine/program/HeapSettings.h"
#include "engine/program/ProgramPlaces.h"
#include "window/ChineseFonts.h"
#include "window/QtChineseTexts.h"
#include "window/TFmain.h"
#include "window/WindowResources.h"

#include <QApplication>
#include <QTextStream>

#include <optional>
#include <string_view>

namespace {

// --help and --version are answered on standard output without a display (the manual page is made from them).
std::optional<int> answerAsked(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument != "--help" && argument != "-h" && argument != "--version")
            continue;
        const QCoreApplication app(argc, argv); // the program folder comes from it
        QTextStream out(stdout);
        out << "product-import " PI_VERSION;
        if (argument == "--version") {
            out << "\n";
            return 0;
        }
        out << ": the window that imports a product list from an Excel workbook into the store\n"
            << "usage: product-import [--help | --version] [Qt's own options, such as -platform NAME]\n"
            << "\n"
            << "Pick the workbook (.xls, .xlsx or .xlsm) and its worksheet, the product type and the category, and\n"
            << "press the OK button: every row of the sheet becomes a product of the store, and the status line "
               "counts\n"
            << "them; a click on it shows the rows that failed, with the reason of each. The same import on the\n"
            << "command line, with a dry run: product-import-cli --help.\n"
            << "\n"
            << "  -h, --help     show this help and end\n"
            << "  --version      show the version and end\n"
            << "\n"
            << "The store, log.txt and product-import.ini are kept in "
            << importer::ProgramPlaces::ofThisProgram().describe() << ".\n";
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[])
{
    importer::settleHeap(); // before anything allocates much, and before the first thread
    if (const std::optional<int> answered = answerAsked(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    installChineseFontSubstitutes();
    installQtChineseTexts();
    QApplication::setWindowIcon(programIcon());
    TFmain window;
    window.show();
    return QApplication::exec();
}
