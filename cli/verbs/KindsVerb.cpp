// Placeholder: the verb "kinds" is not built yet.
#include "../Verbs.h"

#include <QTextStream>

int cli::runKinds(const QStringList&)
{
    QTextStream(stderr) << "product-import-cli: the verb \"kinds\" is not available yet\n";
    return 2;
}
