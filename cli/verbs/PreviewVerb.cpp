// Placeholder: the verb "preview" is not built yet.
#include "../Verbs.h"

#include <QTextStream>

int cli::runPreview(const QStringList&)
{
    QTextStream(stderr) << "product-import-cli: the verb \"preview\" is not available yet\n";
    return 2;
}
