// product-import-cli: the command-line companion of the import window.

#include "cli/Verbs.h"
#include "engine/program/HeapSettings.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#define PI_ISATTY _isatty
#define PI_FILENO _fileno
#else
#include <unistd.h>
#define PI_ISATTY isatty
#define PI_FILENO fileno
#endif

namespace {

// The ODBC driver reports every failed statement on stderr as well; the verbs report failures themselves, in words
// a clerk can act on, so those lines are only noise. PI_DEBUG=1 keeps them.
void quietDriverWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QODBC")))
        return;
    if (type == QtDebugMsg)
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, message) << '\n';
}

} // namespace

int main(int argc, char* argv[])
{
    importer::settleHeap(); // before anything allocates much, and before the first thread
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIntValue("PI_DEBUG") == 0)
        qInstallMessageHandler(quietDriverWarnings);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    cli::Console console{out, err, in, PI_ISATTY(PI_FILENO(stderr)) != 0};
    return cli::runCommandLine(QCoreApplication::arguments().mid(1), console);
}
