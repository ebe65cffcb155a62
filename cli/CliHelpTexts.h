#pragma once
// Texts that more than one verb's help shares: the program's version and where the default store and log are.

#include <QString>

namespace cli {

// "product-import-cli 1.0".
QString versionLine();
// Where this program keeps the store, log.txt and product-import.ini: the program folder or the user's data folder.
QString placesText();
// Which store a verb uses without --store or --odbc, with the path of the store file on this computer.
QString defaultStoreText();
// Where the import writes its log of failed rows without --log.
QString defaultLogText();

} // namespace cli
