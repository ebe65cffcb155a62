#pragma once
// The code letter of an import run: the first of "A" to "Z" that begins no product code in the store, so that
// the run's products never clash with the codes already there.

#include <QString>
#include <QStringList>

namespace data {
class Query;
}

namespace importer {

// "A" to "Z", in the order they are tried.
const QStringList& codeLetters();

// Asks the store letter by letter, in order, and returns the first letter that no product code begins with;
// empty when every letter is taken. Throws data::DatabaseError when the store cannot be asked.
QString probeCodeLetter(data::Query& storeQuery, const QStringList& letters = codeLetters());

} // namespace importer
