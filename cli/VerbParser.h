#pragma once
// The arguments of one verb, parsed by QCommandLineParser: options anywhere, "--opt value" and "--opt=value",
// "--" before an argument that begins with "-", and "-" as an ordinary argument. Usage errors and failures are
// worded the same way for every verb.

#include "cli/Console.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

#include <optional>

namespace cli {

class VerbParser
{
public:
    // The usage line is the verb's synopsis in the verb table (verbSynopsis).
    VerbParser(Console& console, const QString& verb);

    void addOption(const QCommandLineOption& option);
    // Shown by --help after the options: the exit statuses, the defaults that need words, an example.
    void setDetails(const QString& details) { details_ = details; }
    // Parses the arguments after the verb. Returns the exit status to end with (0 after --help, 2 after a usage
    // error), or nothing when the verb goes on.
    std::optional<int> parse(const QStringList& arguments);

    bool isSet(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    QStringList values(const QString& name) const { return parser_.values(name); } // a repeated option
    QStringList positional() const { return parser_.positionalArguments(); }

    // "product-import-cli VERB: problem" and the usage on the error stream; returns 2.
    int usageError(const QString& problem) const;
    // "product-import-cli VERB: message" on the error stream; returns 1.
    int failure(const QString& message) const;
    void printUsage(QTextStream& stream) const;

private:
    Console& console_;
    QString verb_;
    QString synopsis_;
    QString details_;
    QList<QCommandLineOption> options_;
    QCommandLineParser parser_;
};

} // namespace cli
