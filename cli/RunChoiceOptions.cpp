#include "cli/RunChoiceOptions.h"

namespace cli {

namespace {

const QString kExisting = QStringLiteral("existing");
const QString kRepeats = QStringLiteral("repeats");

QString badValue(const QString& option, const QString& value, const QStringList& accepted)
{
    return QStringLiteral("--%1 takes %2, not \"%3\"").arg(option, accepted.join(QLatin1String(", ")), value);
}

} // namespace

void addRunChoiceOptions(VerbParser& parser)
{
    parser.addOption(QCommandLineOption(
        kExisting,
        QStringLiteral("a row whose product the store holds already (its code, or a letter A-Z and its code): add "
                       "it as a new product (the default), skip it, or update the stored product with the row"),
        importer::existingChoiceNames().join(u'|')));
    parser.addOption(QCommandLineOption(
        kRepeats,
        QStringLiteral("a row that repeats an earlier row's code: fail it (the default), or merge it, adding its "
                       "stock to the earlier row's product"),
        importer::repeatChoiceNames().join(u'|')));
}

bool takeRunChoices(const VerbParser& parser, importer::ImportRequest& request, QString& problem)
{
    const auto take = [&](const QString& option, auto named, const QStringList& accepted, auto& choice) {
        if (!parser.isSet(option))
            return true;
        const QString value = parser.value(option);
        const auto found = named(value);
        if (!found) {
            problem = badValue(option, value, accepted);
            return false;
        }
        choice = *found;
        return true;
    };
    return take(kExisting, importer::existingChoiceNamed, importer::existingChoiceNames(), request.existing) &&
           take(kRepeats, importer::repeatChoiceNamed, importer::repeatChoiceNames(), request.repeats);
}

int importExitStatus(const importer::ImportOutcome& outcome)
{
    switch (outcome.end) {
    case importer::ImportOutcome::End::Refused:
        return 2;
    case importer::ImportOutcome::End::EndedEarly:
        return 1;
    case importer::ImportOutcome::End::Completed:
        break;
    }
    // Only a failed row makes a completed run's status 3: skipped, updated and merged rows are done.
    return outcome.counts.failed > 0 ? 3 : 0;
}

} // namespace cli
