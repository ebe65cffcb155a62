#pragma once
// A product list written by the tests themselves: a one-sheet .xlsx (the sheet "S") of the rows as inline texts,
// an empty cell for an empty text; or a workbook of several such sheets, some hidden or damaged.

#include "../worksheet/PackageBuilder.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QTest>

namespace enginetest {

inline QByteArray listSheetData(const QList<QStringList>& rows)
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
    return data;
}

inline void writeListWorkbook(const QString& path, const QList<QStringList>& rows)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(packagebuilder::zip(packagebuilder::oneSheetParts(listSheetData(rows))));
}

// One sheet of a workbook of several: its name, rows, whether the workbook hides it, and whether its part is cut
// off in the middle (a damaged sheet).
struct ListSheet
{
    QString name;
    QList<QStringList> rows;
    bool hidden = false;
    bool cutOff = false;
};

inline void writeListWorkbook(const QString& path, const QList<ListSheet>& sheets)
{
    using namespace packagebuilder;
    QByteArray sheetList;
    QList<QList<QByteArray>> related;
    Parts parts{{"[Content_Types].xml", contentTypes()},
                {"_rels/.rels", relationships({{"rId1", "officeDocument", "xl/workbook.xml"}})}};
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        const QByteArray id = "rId" + QByteArray::number(i + 1);
        const QByteArray part = "worksheets/sheet" + QByteArray::number(i + 1) + ".xml";
        // A line break in an attribute is written as a reference, or the parser reads a blank.
        const QByteArray name = sheets[i].name.toHtmlEscaped().toUtf8().replace("\n", "&#10;");
        sheetList += "<sheet name=\"" + name + "\" sheetId=\"" + QByteArray::number(i + 1) + "\" r:id=\"" + id + "\"" +
                     (sheets[i].hidden ? QByteArray(" state=\"hidden\"") : QByteArray()) + "/>";
        related.append({id, "worksheet", part});
        QByteArray xml = worksheet(listSheetData(sheets[i].rows));
        if (sheets[i].cutOff)
            xml.chop(xml.size() / 3);
        parts.append({"xl/" + part, xml});
    }
    parts.append({"xl/workbook.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"" + kMainNs +
                                         "\" xmlns:r=\"" + kRelNs + "\"><sheets>" + sheetList +
                                         "</sheets></workbook>"});
    parts.append({"xl/_rels/workbook.xml.rels", relationships(related)});
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(zip(parts));
}

} // namespace enginetest
