// product-import-cli kinds: the product types and, under each, the categories the window offers for it, with their
// kinid and Remark. Without an option the store is found as the window finds it.
#include "cli/CliHelpTexts.h"
#include "cli/StoreChoice.h"
#include "cli/VerbParser.h"
#include "cli/Verbs.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "engine/run/OfferedCategories.h"

int cli::runKinds(const QStringList& arguments, Console& console)
{
    VerbParser parser(console, QStringLiteral("kinds"));
    addStoreOptions(parser);
    parser.setDetails(QStringLiteral("Exit status: 0 listed, 1 the store cannot be reached, 2 usage error.\n") +
                      defaultStoreText() + u'\n' + placesText() +
                      QStringLiteral("\nExample: product-import-cli kinds --store database/Member.dat"));
    if (const std::optional<int> status = parser.parse(arguments))
        return *status;
    if (!parser.positional().isEmpty())
        return parser.usageError(QStringLiteral("unknown argument \"%1\"").arg(parser.positional().constFirst()));
    if (const QString problem = storeChoiceProblem(parser); !problem.isEmpty())
        return parser.usageError(problem);

    data::Connection connection;
    try {
        connectChosenStore(parser, connection);
    } catch (const data::DatabaseError& error) {
        return parser.failure(QStringLiteral("cannot connect to the store database\n  ") + error.message());
    }

    data::Query query(connection);
    const data::ProductKindList types = importer::offeredTypes(query);
    if (types.isEmpty())
        console.err << "product-import-cli kinds: no product types were read: ProdKind is missing, unreadable or has "
                       "no row with leve 0\n";
    for (const data::ProductKind& type : types) {
        console.out << type.kindId << '\t' << type.name << '\n';
        for (const data::ProductKind& category : importer::offeredCategories(query, type.kindId))
            console.out << "  " << category.kindId << '\t' << category.name << "\tRemark=" << category.remark << '\n';
    }
    return 0;
}
