// Placeholder: the verb "sheets" is not built yet.
#include "../Verbs.h"

#include <QTextStream>

int cli::runSheets(const QStringList&)
{
    QTextStream(stderr) << "product-import-cli: the verb \"sheets\" is not available yet\n";
    return 2;
}
