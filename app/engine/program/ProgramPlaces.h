#pragma once
// Where the program keeps the files it writes: the store database/Member.dat, log.txt and product-import.ini.
//
// A program run from a folder of its own (a copied folder, a build) keeps them beside itself, as it always has,
// when that folder can be written. An installed program (bin/ with share/product-import/ beside it) and a program
// in a folder the user may not write keep them in the user's data folder instead (~/.local/share/product-import on
// Linux), since its own folder is shared by every user and removed with the package. The choice is made once, at
// start-up; the example workbook is found beside the program or, installed, in share/product-import/.

#include <QString>

namespace importer {

struct ProgramPlaces
{
    enum class DataPlace { ProgramFolder, UserDataFolder };

    QString programFolder; // the running program's folder, ending with '/'
    QString dataFolder;    // where the store, log.txt and product-import.ini are, ending with '/'
    DataPlace place = DataPlace::ProgramFolder;
    QString exampleWorkbook; // the example workbook's path

    // The decision alone: the program folder when it is not an installed one and can be written.
    static DataPlace choose(bool installed, bool programFolderWritable);
    // Looks at the folders: whether programFolder is an installed bin/ and whether a file can be made in it.
    static ProgramPlaces find(const QString& programFolder, const QString& userDataFolder);
    // The running program's places, found at the first call and kept for the rest of the run.
    static const ProgramPlaces& ofThisProgram();

    // "the program folder /opt/x/" or "the user's data folder /home/u/.local/share/product-import/".
    QString describe() const;
};

// The user's data folder for this program: product-import under the generic data location.
QString userDataFolder();

} // namespace importer
