// product-import-cli mnemonic: prints the mnemonic code of TEXT, or of every line of standard input for "-", one
// code per line.
#include "cli/VerbParser.h"
#include "cli/Verbs.h"
#include "mnemonic/MnemonicCode.h"

#include <optional>

namespace {

constexpr int kDefaultOptions = mnemonic::moMarkMissing;
constexpr int kDefaultMaxLength = 255;

const QString kOptions = QStringLiteral("options");
const QString kMax = QStringLiteral("max");

std::optional<int> parseNumber(const QString& value)
{
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    return ok ? std::optional<int>(number) : std::nullopt;
}

} // namespace

int cli::runMnemonic(const QStringList& arguments, Console& console)
{
    VerbParser parser(console, QStringLiteral("mnemonic"));
    parser.addOption(QCommandLineOption(kOptions,
                                        QStringLiteral("sum of 1 (whole syllables), 2 (\"?\" for characters without a "
                                                       "reading), 4 (keep symbols) and 8 (read whole words: 人参 RS, "
                                                       "not RC); default 2"),
                                        QStringLiteral("N")));
    parser.addOption(
        QCommandLineOption(kMax, QStringLiteral("longest code in bytes; default 255"), QStringLiteral("N")));
    parser.setDetails(QStringLiteral("Exit status: 0 the codes were printed, 2 usage error.\n"
                                     "Example: product-import-cli mnemonic 阿莫西林胶囊   (prints AMXLJN)"));
    if (const std::optional<int> status = parser.parse(arguments))
        return *status;

    int values[2] = {kDefaultOptions, kDefaultMaxLength};
    const QString names[2] = {kOptions, kMax};
    for (int i = 0; i < 2; ++i) {
        if (!parser.isSet(names[i]))
            continue;
        // A negative value is a value, never taken for an option.
        const std::optional<int> number = parseNumber(parser.value(names[i]));
        if (!number)
            return parser.usageError(
                QStringLiteral("--%1 needs a whole number from -2147483648 to 2147483647, not \"%2\"")
                    .arg(names[i], parser.value(names[i])));
        values[i] = *number;
    }
    const int options = values[0];
    const int maxLength = values[1];

    const QStringList texts = parser.positional();
    if (texts.isEmpty())
        return parser.usageError(QStringLiteral("no TEXT given (use \"-\" to read lines from standard input)"));
    if (texts.size() > 1)
        return parser.usageError(QStringLiteral("more than one TEXT given (quote a text that holds spaces; put \"--\" "
                                                "before a text that begins with \"-\")"));
    // "-" after "--" is a text of its own, not standard input.
    const bool fromStandardInput =
        texts.constFirst() == QLatin1String("-") && !arguments.contains(QStringLiteral("--"));
    if (!fromStandardInput) {
        console.out << mnemonic::BuildMnemonicCode(texts.constFirst(), options, maxLength) << '\n';
        return 0;
    }
    QString line;
    while (console.in.readLineInto(&line)) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        console.out << mnemonic::BuildMnemonicCode(line, options, maxLength) << '\n';
    }
    return 0;
}
