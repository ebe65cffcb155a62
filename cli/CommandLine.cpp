// The verb dispatch of product-import-cli.

#include "cli/CliHelpTexts.h"
#include "cli/Verbs.h"

#include <array>
#include <exception>

namespace cli {

namespace {

struct Verb
{
    const char* name;
    int (*run)(const QStringList&, Console&);
    const char* synopsis;
};

constexpr std::array kVerbs{
    Verb{"mnemonic", runMnemonic, "mnemonic [--options N] [--max N] TEXT|-"},
    Verb{"init-store", runInitStore, "init-store [--store FILE]"},
    Verb{"kinds", runKinds, "kinds [--store FILE | --odbc CONNSTR]"},
    Verb{"sheets", runSheets, "sheets WORKBOOK"},
    Verb{"preview", runPreview,
         "preview WORKBOOK [--sheet NAME] [--map FIELD=HEADER]... [--header-row N] [--raw] [--phrase-mnemonics]"},
    Verb{"import", runImport,
         "import WORKBOOK --category KINID [--sheet NAME] [--map FIELD=HEADER]... [--header-row N] "
         "[--store FILE | --odbc CONNSTR] [--log FILE] [--phrase-mnemonics] [--dry-run] "
         "[--existing add|skip|update] [--repeats fail|merge] [--failed-rows FILE.xlsx]"},
};

int usage(QTextStream& stream, int status)
{
    stream << versionLine() << ": imports a product list from an Excel workbook into the store\n";
    stream << "usage: product-import-cli VERB [ARGUMENTS]\n";
    for (const Verb& verb : kVerbs)
        stream << "  product-import-cli " << verb.synopsis << '\n';
    stream << "  product-import-cli --version\n";
    stream << "\"product-import-cli VERB --help\" says more of each: its exit statuses, its defaults and an example.\n"
              "Exit status: 0 success, 1 failure, 2 usage error; import also 3 when some rows failed.\n"
           << placesText() << '\n';
    return status;
}

} // namespace

QString verbSynopsis(const QString& verb)
{
    for (const Verb& entry : kVerbs) {
        if (verb == QLatin1String(entry.name))
            return QString::fromUtf8(entry.synopsis);
    }
    return verb;
}

int runCommandLine(const QStringList& arguments, Console& console)
{
    if (arguments.isEmpty())
        return usage(console.err, 2);
    const QString verbName = arguments.constFirst();
    if (verbName == QLatin1String("--help") || verbName == QLatin1String("-h"))
        return usage(console.out, 0);
    if (verbName == QLatin1String("--version")) {
        console.out << versionLine() << '\n';
        return 0;
    }
    for (const Verb& verb : kVerbs) {
        if (verbName != QLatin1String(verb.name))
            continue;
        try {
            return verb.run(arguments.mid(1), console);
        } catch (const std::exception& error) {
            // The verbs report what they expect; anything else still ends with a word, not an abort.
            console.err << "product-import-cli: " << QString::fromUtf8(error.what()) << '\n';
            return 1;
        }
    }
    console.err << "product-import-cli: unknown verb \"" << verbName << "\"\n";
    return usage(console.err, 2);
}

} // namespace cli
