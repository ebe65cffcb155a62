#include "cli/VerbParser.h"

#include "cli/Verbs.h"

namespace cli {

namespace {

const QString kHelp = QStringLiteral("help");

// The first unknown option as the caller typed it ("-x", "--bogus"), not as the parser names it ("x", "bogus").
QString asTyped(const QStringList& unknownNames, const QStringList& arguments)
{
    const QString& name = unknownNames.constFirst();
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        const QString bare = argument.section(u'=', 0, 0);
        if (bare == u'-' + name || bare == QLatin1String("--") + name)
            return bare;
    }
    return QStringLiteral("--") + name;
}

} // namespace

VerbParser::VerbParser(Console& console, const QString& verb)
    : console_(console), verb_(verb), synopsis_(verbSynopsis(verb))
{
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addOption(QCommandLineOption({QStringLiteral("h"), kHelp}, QStringLiteral("show this text")));
}

void VerbParser::addOption(const QCommandLineOption& option)
{
    options_.append(option);
    parser_.addOption(option);
}

std::optional<int> VerbParser::parse(const QStringList& arguments)
{
    // The parser takes the first argument for the program's name.
    if (!parser_.parse(QStringList{QStringLiteral("product-import-cli")} + arguments)) {
        if (!parser_.unknownOptionNames().isEmpty())
            return usageError(
                QStringLiteral("unknown option \"%1\"").arg(asTyped(parser_.unknownOptionNames(), arguments)));
        return usageError(parser_.errorText());
    }
    if (parser_.isSet(kHelp)) {
        printUsage(console_.out);
        if (!details_.isEmpty())
            console_.out << '\n' << details_ << (details_.endsWith(u'\n') ? "" : "\n");
        console_.out.flush();
        return 0;
    }
    return std::nullopt;
}

int VerbParser::usageError(const QString& problem) const
{
    console_.err << "product-import-cli " << verb_ << ": " << problem << '\n';
    printUsage(console_.err);
    return 2;
}

int VerbParser::failure(const QString& message) const
{
    console_.err << "product-import-cli " << verb_ << ": " << message << '\n';
    return 1;
}

void VerbParser::printUsage(QTextStream& stream) const
{
    stream << "usage: product-import-cli " << synopsis_ << '\n';
    for (const QCommandLineOption& option : options_) {
        if (option.names().contains(kHelp))
            continue;
        QString names = QStringLiteral("--") + option.names().constLast();
        if (!option.valueName().isEmpty())
            names += u' ' + option.valueName();
        stream << "  " << names.leftJustified(16) << ' ' << option.description() << '\n';
    }
    stream.flush();
}

} // namespace cli
