#include "ProgramSettings.h"

#include <QSettings>

namespace {

const QString kPhraseMnemonicsKey = QStringLiteral("mnemonic/phrases");

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
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.setValue(kPhraseMnemonicsKey, on);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
