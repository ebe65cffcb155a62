#pragma once
// A product list written by the tests themselves: a one-sheet .xlsx (the sheet "S") of the rows as inline texts,
// an empty cell for an empty text.

#include "../worksheet/PackageBuilder.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QTest>

namespace enginetest {

inline void writeListWorkbook(const QString& path, const QList<QStringList>& rows)
{
    QByteArray data;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        data += "<row r=\"" + QByteArray::number(r + 1) + "\">";
        for (const QString& cell : rows[r]) {
            data += cell.isEmpty() ? QByteArray("<c/>")
                                   : "<c t=\"inlineStr\"><is><t>" + cell.toHtmlEscaped().toUtf8() + "</t></is></c>";
        }
        data += "</row>";
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(packagebuilder::zip(packagebuilder::oneSheetParts(data)));
}

} // namespace enginetest
