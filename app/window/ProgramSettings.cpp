#include "window/ProgramSettings.h"

#include <QCryptographicHash>
#include <QSettings>

namespace {

const QString kPhraseMnemonicsKey = QStringLiteral("mnemonic/phrases");
const QString kExistingKey = QStringLiteral("import/existing");
// A further column of the store's Cpxm, by its name after this.
const QString kFurtherPrefix = QStringLiteral("further-");
// The fields' keys in product-import.ini, in the order of the template's columns.
const char* const kFieldKeys[importer::kProductColumnCount] = {
    "code", "name", "unit", "costPrice", "salePrice", "minDiscount", "stock", "itemDiscount", "mnemonic"};

// A sheet's header row as a key: a digest of its cells, so that any text can stand in it.
QString columnsGroup(const QStringList& headerRowTexts)
{
    const QByteArray digest =
        QCryptographicHash::hash(headerRowTexts.join(u'\t').toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("columns-") + QString::fromLatin1(digest);
}

} // namespace

ProgramSettings::ProgramSettings(const QString& programFolder)
    : filePath_(programFolder + QStringLiteral("product-import.ini"))
{
}

bool ProgramSettings::phraseMnemonics() const
{
    return QSettings(filePath_, QSettings::IniFormat).value(kPhraseMnemonicsKey, false).toBool();
}

bool ProgramSettings::setPhraseMnemonics(bool on)
{
    return writeValue(kPhraseMnemonicsKey, on);
}

importer::ExistingChoice ProgramSettings::existingChoice() const
{
    const QString name = QSettings(filePath_, QSettings::IniFormat).value(kExistingKey).toString();
    const importer::ExistingChoice kept = importer::existingChoiceNamed(name).value_or(importer::ExistingChoice::Add);
    // Writing over stored products is chosen afresh each time the program runs, never found preset.
    return kept == importer::ExistingChoice::Update ? importer::ExistingChoice::Add : kept;
}

bool ProgramSettings::setExistingChoice(importer::ExistingChoice choice)
{
    if (choice == importer::ExistingChoice::Update)
        return true; // lasts until the program ends; the kept choice stays as it was
    return writeValue(kExistingKey, importer::choiceName(choice));
}

std::optional<importer::ColumnChoice> ProgramSettings::columnChoice(const QStringList& headerRowTexts) const
{
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.beginGroup(columnsGroup(headerRowTexts));
    if (!settings.contains(QStringLiteral("headerRow")))
        return std::nullopt;
    importer::ColumnChoice choice;
    choice.headerRow = settings.value(QStringLiteral("headerRow")).toInt() - 1;
    for (importer::ProductColumn field : importer::kProductColumns) {
        const QString letter = settings.value(QLatin1String(kFieldKeys[importer::indexOf(field)])).toString();
        const std::optional<int> column = importer::columnFromLetter(letter);
        choice.columns[field] = letter == importer::kAutoNumberText ? importer::ColumnRef::autoNumber()
                                : column                            ? importer::ColumnRef::byColumn(*column)
                                                                    : importer::ColumnRef::none();
    }
    for (const QString& key : settings.childKeys()) {
        if (!key.startsWith(kFurtherPrefix))
            continue;
        if (const std::optional<int> column = importer::columnFromLetter(settings.value(key).toString()))
            choice.further[key.mid(kFurtherPrefix.size())] = importer::ColumnRef::byColumn(*column);
    }
    return choice;
}

bool ProgramSettings::setColumnChoice(const QStringList& headerRowTexts, const importer::SheetLayout& layout)
{
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.beginGroup(columnsGroup(headerRowTexts));
    settings.setValue(QStringLiteral("headerRow"), layout.headerRow + 1);
    for (importer::ProductColumn field : importer::kProductColumns) {
        const int column = layout.column(field);
        settings.setValue(QLatin1String(kFieldKeys[importer::indexOf(field)]),
                          column == importer::kAutoNumber ? importer::kAutoNumberText
                          : column < 0                    ? QString()
                                                          : importer::columnLetter(column));
    }
    for (const QString& key : settings.childKeys()) {
        if (key.startsWith(kFurtherPrefix))
            settings.remove(key);
    }
    for (const auto& [name, column] : layout.further)
        settings.setValue(kFurtherPrefix + name, importer::columnLetter(column));
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool ProgramSettings::writeValue(const QString& key, const QVariant& value) const
{
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
