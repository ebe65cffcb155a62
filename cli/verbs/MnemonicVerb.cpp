// product-import-cli mnemonic [--options N] [--max N] TEXT|-
// Prints the mnemonic code of TEXT, or of every line of standard input for "-", one code per line.

#include "../Verbs.h"

#include "MnemonicCode.h"

#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

constexpr int kDefaultOptions = mnemonic::moMarkMissing;
constexpr int kDefaultMaxLength = 255;

struct MnemonicRequest
{
    int options = kDefaultOptions;
    int maxLength = kDefaultMaxLength;
    QString text;
    bool fromStandardInput = false;
};

void printUsage(QTextStream& stream)
{
    stream << "usage: product-import-cli mnemonic [--options N] [--max N] TEXT|-\n"
           << "  --options N  sum of 1 (whole syllables), 2 (\"?\" for characters without a reading)"
           << " and 4 (keep symbols); default 2\n"
           << "  --max N      longest code in bytes; default 255\n"
           << "  TEXT         the text to convert; \"-\" converts each line of standard input;\n"
           << "               put \"--\" before a text that begins with \"-\"\n";
}

int usageError(const QString& problem)
{
    QTextStream err(stderr);
    err << "product-import-cli mnemonic: " << problem << '\n';
    printUsage(err);
    return 2;
}

std::optional<int> parseNumber(const QString& value)
{
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    return ok ? std::optional<int>(number) : std::nullopt;
}

// Fills request from the arguments; returns an error text for the user, or an empty one.
QString parseArguments(const QStringList& arguments, MnemonicRequest& request)
{
    std::optional<QString> text;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool looksLikeOption = argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-");
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !looksLikeOption) {
            if (text)
                return QStringLiteral("more than one TEXT given (quote a text that holds spaces)");
            text = argument;
            continue;
        }
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (name != QLatin1String("--options") && name != QLatin1String("--max"))
            return QStringLiteral("unknown option \"%1\"").arg(argument);
        QString value;
        if (argument.contains(QLatin1Char('='))) {
            value = argument.section(QLatin1Char('='), 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments.at(++i); // may be negative, so never taken for an option
        } else {
            return QStringLiteral("%1 needs a number").arg(name);
        }
        const std::optional<int> number = parseNumber(value);
        if (!number)
            return QStringLiteral("%1 needs a whole number from -2147483648 to 2147483647, not \"%2\"")
                .arg(name, value);
        (name == QLatin1String("--options") ? request.options : request.maxLength) = *number;
    }
    if (!text)
        return QStringLiteral("no TEXT given (use \"-\" to read lines from standard input)");
    request.fromStandardInput = !optionsEnded && *text == QLatin1String("-");
    request.text = *text;
    return {};
}

} // namespace

int cli::runMnemonic(const QStringList& arguments)
{
    if (arguments == QStringList{QStringLiteral("--help")} || arguments == QStringList{QStringLiteral("-h")}) {
        QTextStream out(stdout);
        printUsage(out);
        return 0;
    }
    MnemonicRequest request;
    if (const QString problem = parseArguments(arguments, request); !problem.isEmpty())
        return usageError(problem);

    QTextStream out(stdout);
    if (!request.fromStandardInput) {
        out << mnemonic::BuildMnemonicCode(request.text, request.options, request.maxLength) << '\n';
        return 0;
    }
    QTextStream in(stdin);
    QString line;
    while (in.readLineInto(&line)) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        out << mnemonic::BuildMnemonicCode(line, request.options, request.maxLength) << '\n';
    }
    return 0;
}
