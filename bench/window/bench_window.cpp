// bench_window WORKBOOK [--sheet NAME] [--category KINID]
// Imports WORKBOOK three ways into fresh demo stores and prints the wall time of each:
//   window  the real window (OK pressed), repainting its status line and bar as the rows go;
//   engine  the same run in this process with a reporter that shows nothing;
//   cli     product-import-cli import, a process of its own (start-up included).
// Runs on the platform Qt picks (QT_QPA_PLATFORM=offscreen works without a display).

#include "db/Connection.h"
#include "db/Query.h"
#include "engine/program/HeapSettings.h"
#include "engine/run/ImportRun.h"
#include "store/DemoStore.h"
#include "store/ProductKinds.h"
#include "store/StoreConnection.h"
#include "window/ChineseFonts.h"
#include "window/TFmain.h"
#include "window/WindowDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

class SilentDialogs final : public WindowDialogs
{
public:
    QStringList shown;
    void showInformation(QWidget*, const QString&, const QString& text, const QString&) override { shown << text; }
    void showError(QWidget*, const QString&, const QString& text) override { shown << text; }
    std::optional<QString> chooseWorkbook(QWidget*, const QString&) override { return std::nullopt; }
    bool openWithDesktop(const QUrl&) override { return false; }
    std::optional<importer::SheetLayout> chooseColumns(QWidget*, const data::Worksheet&,
                                                       const importer::SheetLayout& preset, bool,
                                                       const QStringList&) override
    {
        return preset;
    }
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    void showLog(QWidget*, const QString&, const QString&, const std::function<void(QWidget*)>&) override {}
    std::optional<QString> chooseFailedRowsFile(QWidget*, const QString&) override { return std::nullopt; }
    void requestQuit() override {}
};

class SilentReporter final : public importer::ImportReporter
{
public:
    void notice(importer::ImportNotice, const QString&, const QString&) override {}
    void runStarted() override {}
    void codeLetterChosen(const QString&) override {}
    void rowsCounted(int) override {}
    void rowHandled(int rowsDone, const importer::ImportCounts&) override { rows = rowsDone; }
    void runEnded() override {}
    int rows = 0;
};

QString freshFolder(const QTemporaryDir& root, const QString& name)
{
    const QString folder = root.filePath(name) + u'/';
    data::createDemoStore(data::storeFilePath(folder));
    return folder;
}

int indexOfKind(const data::ProductKindList& kinds, const QString& kinid)
{
    const auto found = std::find_if(kinds.begin(), kinds.end(), [&](const auto& kind) { return kind.kindId == kinid; });
    return found == kinds.end() ? -1 : int(found - kinds.begin());
}

} // namespace

int main(int argc, char* argv[])
{
    importer::settleHeap(); // as the window's own program does
    QApplication app(argc, argv);
    installChineseFontSubstitutes();
    QTextStream out(stdout);
    QStringList args = QApplication::arguments().mid(1);
    if (args.isEmpty()) {
        QTextStream(stderr) << "usage: bench_window WORKBOOK [--sheet NAME] [--category KINID]\n";
        return 2;
    }
    const QString workbook = QFileInfo(args.takeFirst()).absoluteFilePath();
    QString sheet = QStringLiteral("Sheet1");
    QString typeKinid = QStringLiteral("01");
    QString categoryKinid = QStringLiteral("0102");
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--sheet")
            sheet = args[i + 1];
        else if (args[i] == u"--category")
            categoryKinid = args[i + 1];
    }
    QTemporaryDir root;

    // The window.
    double windowSeconds = 0;
    QString windowStatus;
    {
        auto dialogs = std::make_unique<SilentDialogs>();
        SilentDialogs* shown = dialogs.get();
        TFmain window(std::move(dialogs), freshFolder(root, QStringLiteral("window")));
        window.show();
        QApplication::processEvents();
        auto* types = window.findChild<QComboBox*>(QStringLiteral("RzComboBox1"));
        types->setCurrentIndex(indexOfKind(window.productTypes(), typeKinid));
        window.RzComboBox1Select(types->currentIndex());
        auto* categories = window.findChild<QComboBox*>(QStringLiteral("splb_com"));
        categories->setCurrentIndex(indexOfKind(window.categories(), categoryKinid));
        window.findChild<QLineEdit*>(QStringLiteral("excel"))->setText(workbook);
        // The sheet box is an editable combo box now: the name goes in as typed.
        window.findChild<QComboBox*>(QStringLiteral("RzEdit2"))->setEditText(sheet);
        QElapsedTimer timer;
        timer.start();
        window.RzBitBtn1Click();
        windowSeconds = timer.nsecsElapsed() / 1e9;
        windowStatus = window.findChild<QLabel*>(QStringLiteral("RzURLLabel1"))->text();
        if (!shown->shown.isEmpty())
            out << "window showed: " << shown->shown.join(QStringLiteral(" | ")) << '\n';
    }

    // The engine without a window.
    double engineSeconds = 0;
    SilentReporter silent;
    {
        const QString folder = freshFolder(root, QStringLiteral("engine"));
        data::Connection store;
        data::connectStore(store, folder, QString());
        data::Query query(store);
        const data::ProductKindList categories = data::loadCategories(query, typeKinid);
        importer::ImportSession session{store, query, folder + QStringLiteral("log.txt"), {}};
        const int category = indexOfKind(categories, categoryKinid);
        importer::ImportRequest request;
        request.workbookPath = workbook;
        request.sheetName = sheet;
        if (category >= 0)
            request.category = categories.at(category);
        QElapsedTimer timer;
        timer.start();
        importer::runImport(session, request, silent);
        engineSeconds = timer.nsecsElapsed() / 1e9;
    }

    // The command line.
    double cliSeconds = -1;
    {
        const QString folder = freshFolder(root, QStringLiteral("cli"));
        QProcess cli;
        QElapsedTimer timer;
        timer.start();
        cli.start(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("product-import-cli")),
                  {QStringLiteral("import"), workbook, QStringLiteral("--category"), categoryKinid,
                   QStringLiteral("--sheet"), sheet, QStringLiteral("--store"), data::storeFilePath(folder),
                   QStringLiteral("--log"), folder + QStringLiteral("log.txt")});
        if (cli.waitForFinished(600000) && cli.exitStatus() == QProcess::NormalExit)
            cliSeconds = timer.nsecsElapsed() / 1e9;
        out << "cli said: " << QString::fromUtf8(cli.readAllStandardOutput()).trimmed() << " (exit " << cli.exitCode()
            << ")\n";
    }

    out << "platform: " << QGuiApplication::platformName() << '\n';
    out << "window status: " << windowStatus << '\n';
    out << "engine rows: " << silent.rows << '\n';
    out << QStringLiteral("window %1 s, engine %2 s, cli %3 s; window/cli %4, window/engine %5\n")
               .arg(windowSeconds, 0, 'f', 3)
               .arg(engineSeconds, 0, 'f', 3)
               .arg(cliSeconds, 0, 'f', 3)
               .arg(cliSeconds > 0 ? windowSeconds / cliSeconds : 0, 0, 'f', 2)
               .arg(windowSeconds / engineSeconds, 0, 'f', 2);
    return 0;
}
