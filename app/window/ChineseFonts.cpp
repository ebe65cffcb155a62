#include "window/ChineseFonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

void installChineseFontSubstitutes()
{
    const QStringList installed = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    const QString simSun = QStringLiteral("SimSun");
    const QString songTi = QString::fromUtf16(kWindowFontFamily);
    if (installed.contains(simSun) || installed.contains(songTi))
        return;

    // Faces that Debian ships, the closest in look first.
    static const QStringList preferred = {
        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("Noto Serif CJK SC"),   QStringLiteral("AR PL UMing CN"),
        QStringLiteral("WenQuanYi Zen Hei"),   QStringLiteral("Droid Sans Fallback"),
    };
    QStringList substitutes;
    for (const QString& family : preferred) {
        if (installed.contains(family))
            substitutes << family;
    }
    if (substitutes.isEmpty() && !installed.isEmpty())
        substitutes << installed.constFirst();
    if (substitutes.isEmpty())
        return;
    QFont::insertSubstitutions(songTi, substitutes);
    QFont::insertSubstitutions(simSun, substitutes);
}
