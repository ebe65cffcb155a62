// product-import: the import window.

#include "ChineseFonts.h"
#include "HeapSettings.h"
#include "QtChineseTexts.h"
#include "TFmain.h"
#include "WindowResources.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    importer::settleHeap(); // before anything allocates much, and before the first thread
    QApplication app(argc, argv);
    installChineseFontSubstitutes();
    installQtChineseTexts();
    QApplication::setWindowIcon(programIcon());
    TFmain window;
    window.show();
    return QApplication::exec();
}
