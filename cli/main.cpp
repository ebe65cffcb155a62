// product-import-cli: the command-line companion of the import window.

#include "Verbs.h"

#include <QCoreApplication>
#include <QTextStream>

#include <array>
#include <cstdio>
#include <exception>

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

struct Verb
{
    const char* name;
    int (*run)(const QStringList&);
    const char* usage;
};

constexpr std::array kVerbs{
    Verb{"mnemonic", cli::runMnemonic, "mnemonic [--options N] [--max N] TEXT|-"},
    Verb{"kinds", cli::runKinds, "kinds [--store FILE | --odbc CONNSTR]"},
    Verb{"sheets", cli::runSheets, "sheets WORKBOOK"},
    Verb{"preview", cli::runPreview, "preview WORKBOOK [--sheet NAME] [--raw]"},
    Verb{"import", cli::runImport,
         "import WORKBOOK --category KINID [--sheet NAME] [--store FILE | --odbc CONNSTR] [--log FILE]"},
};

int usage(FILE* stream)
{
    QTextStream out(stream);
    out << "usage: product-import-cli VERB [ARGUMENTS]\n";
    for (const Verb& verb : kVerbs)
        out << "  product-import-cli " << verb.usage << '\n';
    return stream == stdout ? 0 : 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIntValue("PI_DEBUG") == 0)
        qInstallMessageHandler(quietDriverWarnings);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty())
        return usage(stderr);
    const QString verbName = arguments.takeFirst();
    if (verbName == QLatin1String("--help") || verbName == QLatin1String("-h"))
        return usage(stdout);
    for (const Verb& verb : kVerbs) {
        if (verbName == QLatin1String(verb.name)) {
            try {
                return verb.run(arguments);
            } catch (const std::exception& error) {
                // The verbs report what they expect; anything else still ends with a word, not an abort.
                QTextStream(stderr) << "product-import-cli: " << QString::fromUtf8(error.what()) << '\n';
                return 1;
            }
        }
    }
    QTextStream(stderr) << "product-import-cli: unknown verb \"" << verbName << "\"\n";
    return usage(stderr);
}
