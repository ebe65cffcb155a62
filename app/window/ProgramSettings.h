#pragma once
// What the window remembers between runs of the program: product-import.ini in the program folder, an INI file that
// QSettings reads and writes. A missing file or key means the default.

#include "engine/sheet/SheetLayout.h"
#include "engine/writes/RunChoices.h"

#include <QString>
#include <QVariant>
#include <QStringList>

#include <optional>

class ProgramSettings
{
public:
    // programFolder ends with '/'.
    explicit ProgramSettings(const QString& programFolder);

    QString filePath() const { return filePath_; }

    // [mnemonic] phrases: a blank 助记码 read by whole words (人参 RS, not RC). Off by default.
    bool phraseMnemonics() const;
    // Written at once. False when the file could not be written (a read-only folder): the choice then holds only
    // until the program ends.
    bool setPhraseMnemonics(bool on);

    // [import] existing: what a run does with a row whose product the store holds already. Add and skip are kept;
    // update, which writes over stored products, lasts until the program ends and is never found preset (an
    // "update" in the file, from an earlier version or written by hand, reads as add). Add by default, and for a
    // value the program does not know.
    importer::ExistingChoice existingChoice() const;
    // Written at once (nothing is written for update); false when it could not be.
    bool setExistingChoice(importer::ExistingChoice choice);
    // Repeated codes are not kept: a merge changes stored stock, lasts until the program ends and is never found
    // preset.

    // [columns]: the columns the clerk chose for a sheet whose header row reads the same (headerRowTexts: the cells
    // of that row). Nothing when none was kept.
    std::optional<importer::ColumnChoice> columnChoice(const QStringList& headerRowTexts) const;
    bool setColumnChoice(const QStringList& headerRowTexts, const importer::SheetLayout& layout);

private:
    // Writes one key at once; false when the file could not be written.
    bool writeValue(const QString& key, const QVariant& value) const;

    QString filePath_;
};
