// product-import-cli: the command-line companion of the import window.

#include "Verbs.h"

#include <QCoreApplication>
#include <QTextStream>

#include <array>
#include <cstdio>

namespace {

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
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty())
        return usage(stderr);
    const QString verbName = arguments.takeFirst();
    if (verbName == QLatin1String("--help") || verbName == QLatin1String("-h"))
        return usage(stdout);
    for (const Verb& verb : kVerbs) {
        if (verbName == QLatin1String(verb.name))
            return verb.run(arguments);
    }
    QTextStream(stderr) << "product-import-cli: unknown verb \"" << verbName << "\"\n";
    return usage(stderr);
}
