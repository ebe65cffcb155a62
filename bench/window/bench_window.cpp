// bench_window WORKBOOK [--sheet NAME] [--category KINID] [--repeat N]
// Imports WORKBOOK three ways into fresh demo stores, N times in turn (default 5), and prints the median wall time of
// each and the median of the paired ratios:
//   window  the real window, from 确定 pressed until log.txt is written, repainting its status line and bar as
//           the rows go (how often it repainted them is printed too);
//   engine  the same run in this process with a reporter that shows nothing;
//   cli     product-import-cli import, a process of its own (start-up included), as a clerk would run it.
// It runs on a real X display: the one DISPLAY names, else a virtual one it starts itself through xvfb-run -a
// (Debian's xvfb), since what the window costs is the painting. QT_QPA_PLATFORM=offscreen measures without a
// display, where nothing reaches a screen.

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
#include <QEvent>
#include <QFile>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>

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

// Counts the paint events of the widgets it watches.
class PaintCounter final : public QObject
{
public:
    int paints = 0;
    int statusLinePaints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Without a display and without a platform asked for, the program runs itself again on a virtual X display.
void onADisplay(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        qEnvironmentVariableIsSet("PI_BENCH_NO_XVFB"))
        return;
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty()) {
        std::fprintf(stderr, "bench_window: no DISPLAY and no xvfb-run (Debian package xvfb, scripts/setup --tools); "
                             "QT_QPA_PLATFORM=offscreen measures without painting\n");
        std::exit(2);
    }
    qputenv("PI_BENCH_NO_XVFB", "1"); // once: a display that xvfb-run cannot start is not looked for again
    std::vector<QByteArray> storage{QFile::encodeName(xvfbRun), "-a", "-s", "-screen 0 1024x768x24"};
    for (int i = 0; i < argc; ++i)
        storage.emplace_back(argv[i]);
    std::vector<char*> arguments;
    for (QByteArray& argument : storage)
        arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    execv(arguments[0], arguments.data());
    std::perror("bench_window: xvfb-run");
    std::exit(2);
}

} // namespace

int main(int argc, char* argv[])
{
    onADisplay(argc, argv);
    importer::settleHeap(); // as the window's own program does
    QApplication app(argc, argv);
    installChineseFontSubstitutes();
    QTextStream out(stdout);
    QStringList args = QApplication::arguments().mid(1);
    if (args.isEmpty()) {
        QTextStream(stderr) << "usage: bench_window WORKBOOK [--sheet NAME] [--category KINID] [--repeat N]\n";
        return 2;
    }
    const QString workbook = QFileInfo(args.takeFirst()).absoluteFilePath();
    QString sheet = QStringLiteral("Sheet1");
    QString typeKinid = QStringLiteral("01");
    QString categoryKinid = QStringLiteral("0102");
    int repeat = 5;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--sheet")
            sheet = args[i + 1];
        else if (args[i] == u"--category")
            categoryKinid = args[i + 1];
        else if (args[i] == u"--repeat")
            repeat = std::max(1, args[i + 1].toInt());
    }
    QTemporaryDir root;
    std::vector<double> windowRuns, engineRuns, cliRuns, windowPerCli, windowPerEngine;
    QString windowStatus, cliSaid;
    int paints = 0;
    int statusLinePaints = 0;
    SilentReporter silent;

    for (int r = 0; r < repeat; ++r) {
        // The window.
        double windowSeconds = 0;
        {
            auto dialogs = std::make_unique<SilentDialogs>();
            SilentDialogs* shown = dialogs.get();
            TFmain window(std::move(dialogs), freshFolder(root, QStringLiteral("window-%1").arg(r)));
            window.show();
            // A window not yet on the screen paints nothing: the click waits for it, as a clerk's does.
            QElapsedTimer mapping;
            mapping.start();
            while (!(window.windowHandle() && window.windowHandle()->isExposed()) && mapping.elapsed() < 5000)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            auto* types = window.findChild<QComboBox*>(QStringLiteral("RzComboBox1"));
            types->setCurrentIndex(indexOfKind(window.productTypes(), typeKinid));
            window.RzComboBox1Select(types->currentIndex());
            auto* categories = window.findChild<QComboBox*>(QStringLiteral("splb_com"));
            categories->setCurrentIndex(indexOfKind(window.categories(), categoryKinid));
            window.findChild<QLineEdit*>(QStringLiteral("excel"))->setText(workbook);
            // The sheet box is an editable combo box now: the name goes in as typed.
            window.findChild<QComboBox*>(QStringLiteral("RzEdit2"))->setEditText(sheet);
            QApplication::processEvents();
            PaintCounter statusPaints, barPaints;
            auto* statusLine = window.findChild<QLabel*>(QStringLiteral("RzURLLabel1"));
            statusLine->installEventFilter(&statusPaints);
            window.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->installEventFilter(&barPaints);
            QElapsedTimer timer;
            timer.start();
            window.RzBitBtn1Click();
            windowSeconds = timer.nsecsElapsed() / 1e9;
            paints = statusPaints.paints + barPaints.paints;
            statusLinePaints = statusPaints.paints;
            windowStatus = statusLine->text();
            if (!shown->shown.isEmpty())
                out << "window showed: " << shown->shown.join(QStringLiteral(" | ")) << '\n';
        }

        // The engine without a window.
        double engineSeconds = 0;
        {
            const QString folder = freshFolder(root, QStringLiteral("engine-%1").arg(r));
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
            const QString folder = freshFolder(root, QStringLiteral("cli-%1").arg(r));
            QProcess cli;
            QElapsedTimer timer;
            timer.start();
            cli.start(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("product-import-cli")),
                      {QStringLiteral("import"), workbook, QStringLiteral("--category"), categoryKinid,
                       QStringLiteral("--sheet"), sheet, QStringLiteral("--store"), data::storeFilePath(folder),
                       QStringLiteral("--log"), folder + QStringLiteral("log.txt")});
            if (cli.waitForFinished(600000) && cli.exitStatus() == QProcess::NormalExit)
                cliSeconds = timer.nsecsElapsed() / 1e9;
            cliSaid = QString::fromUtf8(cli.readAllStandardOutput()).trimmed() +
                      QStringLiteral(" (exit %1)").arg(cli.exitCode());
        }
        windowRuns.push_back(windowSeconds);
        engineRuns.push_back(engineSeconds);
        cliRuns.push_back(cliSeconds);
        if (cliSeconds > 0)
            windowPerCli.push_back(windowSeconds / cliSeconds);
        windowPerEngine.push_back(windowSeconds / engineSeconds);
    }

    const double windowSeconds = median(windowRuns);
    out << "platform: " << QGuiApplication::platformName() << '\n';
    out << "window status: " << windowStatus << '\n';
    out << "cli said: " << cliSaid << '\n';
    out << "engine rows: " << silent.rows << '\n';
    out << QStringLiteral("window painted its status line and bar %1 times (%2 a second; the status line %3)\n")
               .arg(paints)
               .arg(paints / windowRuns.back(), 0, 'f', 0)
               .arg(statusLinePaints);
    out << QStringLiteral("medians of %1 runs: window %2 s, engine %3 s, cli %4 s; window/cli %5, window/engine %6\n")
               .arg(repeat)
               .arg(windowSeconds, 0, 'f', 3)
               .arg(median(engineRuns), 0, 'f', 3)
               .arg(median(cliRuns), 0, 'f', 3)
               .arg(median(windowPerCli), 0, 'f', 2)
               .arg(median(windowPerEngine), 0, 'f', 2);
    return 0;
}
