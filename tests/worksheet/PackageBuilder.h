#pragma once
// Workbook packages built in memory, part by part, for what the writers of the fixtures never write: cells without
// references, phonetic runs, absolute targets, refusals and hostile files.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <gsf/gsf-outfile-zip.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>

namespace packagebuilder {

using Parts = QList<QPair<QByteArray, QByteArray>>; // part name, content

inline QByteArray zip(const Parts& parts, bool deflated = true)
{
    GsfOutput* sink = gsf_output_memory_new();
    GsfOutfile* zip = gsf_outfile_zip_new(sink, nullptr);
    for (const auto& [name, bytes] : parts) {
        GsfOutput* child = gsf_outfile_new_child_full(zip, name.constData(), FALSE, "compression-level",
                                                      deflated ? GSF_ZIP_DEFLATED : GSF_ZIP_STORED, nullptr);
        gsf_output_write(child, size_t(bytes.size()), reinterpret_cast<const guint8*>(bytes.constData()));
        gsf_output_close(child);
        g_object_unref(child);
    }
    gsf_output_close(GSF_OUTPUT(zip));
    g_object_unref(zip);
    const QByteArray file(reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink))),
                          qsizetype(gsf_output_size(sink)));
    g_object_unref(sink);
    return file;
}

inline const QByteArray kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const QByteArray kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

inline QByteArray contentTypes(
    const QByteArray& workbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
    const QByteArray& workbookPart = "/xl/workbook.xml")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"xml\" "
           "ContentType=\"application/xml\"/><Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Override PartName=\"" +
           workbookPart + "\" ContentType=\"" + workbookType + "\"/></Types>";
}

// Relationships: (id, type suffix after .../relationships/, target).
inline QByteArray relationships(const QList<QList<QByteArray>>& relations, const QByteArray& typeBase = kRelNs + "/")
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const QList<QByteArray>& r : relations)
        xml += "<Relationship Id=\"" + r[0] + "\" Type=\"" + typeBase + r[1] + "\" Target=\"" + r[2] + "\"/>";
    return xml + "</Relationships>";
}

// workbook.xml with these sheets (name, relationship id) and anything more inside <workbook>.
inline QByteArray workbook(const QList<QPair<QByteArray, QByteArray>>& sheets, const QByteArray& more = {},
                           const QByteArray& ns = kMainNs)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"" + ns + "\" xmlns:r=\"" + kRelNs +
                     "\">" + more + "<sheets>";
    int sheetId = 1;
    for (const auto& [name, id] : sheets)
        xml += "<sheet name=\"" + name + "\" sheetId=\"" + QByteArray::number(sheetId++) + "\" r:id=\"" + id + "\"/>";
    return xml + "</sheets></workbook>";
}

inline QByteArray worksheet(const QByteArray& sheetData)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"" + kMainNs + "\"><sheetData>" + sheetData +
           "</sheetData></worksheet>";
}

inline QByteArray sharedStrings(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"" + kMainNs + "\">" + items + "</sst>";
}

inline QByteArray styles(const QByteArray& inside)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet xmlns=\"" + kMainNs + "\">" + inside +
           "</styleSheet>";
}

// A package of one worksheet "S" with the given sheet data, shared strings and styles (left out when empty).
inline Parts oneSheetParts(const QByteArray& sheetData, const QByteArray& sharedStringItems = {},
                           const QByteArray& stylesInside = {}, const QByteArray& workbookMore = {})
{
    QList<QList<QByteArray>> related{{"rId1", "worksheet", "worksheets/sheet1.xml"}};
    Parts parts{{"[Content_Types].xml", contentTypes()},
                {"_rels/.rels", relationships({{"rId1", "officeDocument", "xl/workbook.xml"}})},
                {"xl/workbook.xml", workbook({{"S", "rId1"}}, workbookMore)},
                {"xl/worksheets/sheet1.xml", worksheet(sheetData)}};
    if (!sharedStringItems.isEmpty()) {
        related.append({"rId2", "sharedStrings", "sharedStrings.xml"});
        parts.append({"xl/sharedStrings.xml", sharedStrings(sharedStringItems)});
    }
    if (!stylesInside.isEmpty()) {
        related.append({"rId3", "styles", "styles.xml"});
        parts.append({"xl/styles.xml", styles(stylesInside)});
    }
    parts.append({"xl/_rels/workbook.xml.rels", relationships(related)});
    return parts;
}

inline QByteArray oneSheet(const QByteArray& sheetData, const QByteArray& sharedStringItems = {},
                           const QByteArray& stylesInside = {}, const QByteArray& workbookMore = {})
{
    return zip(oneSheetParts(sheetData, sharedStringItems, stylesInside, workbookMore));
}

} // namespace packagebuilder
