#include "engine/run/CodeLetterProbe.h"

#include "db/Query.h"
#include "store/StoreStatements.h"

namespace importer {

const QStringList& codeLetters()
{
    static const QStringList letters = [] {
        QStringList all;
        for (char16_t c = u'A'; c <= u'Z'; ++c)
            all.append(QString(QChar(c)));
        return all;
    }();
    return letters;
}

QString probeCodeLetter(data::Query& storeQuery, const QStringList& letters)
{
    for (const QString& letter : letters) {
        storeQuery.close();
        storeQuery.clearSql();
        storeQuery.addSqlLine(data::statements::kCodeLetterProbe);
        storeQuery.bindText(QStringLiteral("aa"), letter + QLatin1Char('%'));
        // One row is enough to know that the letter is taken; a store with many products need not send them all.
        storeQuery.setMaxRows(1);
        storeQuery.open();
        const bool taken = storeQuery.rowCount() > 0;
        storeQuery.close();
        if (!taken)
            return letter;
    }
    return QString();
}

} // namespace importer
