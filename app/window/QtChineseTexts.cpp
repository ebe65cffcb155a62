#include "window/QtChineseTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

void installQtChineseTexts()
{
    auto texts = std::make_unique<QTranslator>();
    if (!texts->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(texts.get());
    // The application keeps it for as long as it runs.
    texts.release()->setParent(QCoreApplication::instance());
}
