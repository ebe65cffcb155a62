#pragma once
// Builds small workbooks record by record, wrapped in a real compound file through libgsf, for the cases no
// spreadsheet program writes on purpose: damaged records, odd record boundaries, Excel 5/95 text, encryption.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>

#include <cstdint>
#include <cstring>

namespace biffbuilder {

inline QByteArray u8(int value)
{
    return QByteArray(1, char(value));
}
inline QByteArray u16(int value)
{
    QByteArray bytes(2, 0);
    qToLittleEndian<std::uint16_t>(std::uint16_t(value), bytes.data());
    return bytes;
}
inline QByteArray u32(std::uint32_t value)
{
    QByteArray bytes(4, 0);
    qToLittleEndian<std::uint32_t>(value, bytes.data());
    return bytes;
}
inline QByteArray f64(double value)
{
    QByteArray bytes(8, 0);
    std::memcpy(bytes.data(), &value, 8); // little-endian hosts only, like the fixtures' writers
    return bytes;
}
inline QByteArray record(int id, const QByteArray& data)
{
    return u16(id) + u16(int(data.size())) + data;
}

// The characters of a BIFF8 string: compressed (one byte each) when every character fits, else UTF-16.
inline QByteArray chars8(const QString& text, bool wide)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes += wide ? u16(c.unicode()) : u8(c.unicode());
    return bytes;
}
inline bool needsWide(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return true;
    }
    return false;
}
// XLUnicodeString with a 16-bit count (cells, STRING, FORMAT) or an 8-bit one (sheet names).
inline QByteArray string8(const QString& text, int countBytes = 2)
{
    const bool wide = needsWide(text);
    return (countBytes == 1 ? u8(int(text.size())) : u16(int(text.size()))) + u8(wide ? 1 : 0) + chars8(text, wide);
}

inline QByteArray bof(int type, int version = 0x0600)
{
    return record(0x0809, u16(version) + u16(type) + QByteArray(12, 0));
}
inline QByteArray eof()
{
    return record(0x000A, {});
}
inline QByteArray cellHeader(int row, int column, int xf = 0)
{
    return u16(row) + u16(column) + u16(xf);
}
inline QByteArray number(int row, int column, double value, int xf = 0)
{
    return record(0x0203, cellHeader(row, column, xf) + f64(value));
}
inline QByteArray label(int row, int column, const QString& text)
{
    return record(0x0204, cellHeader(row, column) + string8(text));
}
inline QByteArray labelSst(int row, int column, std::uint32_t index)
{
    return record(0x00FD, cellHeader(row, column) + u32(index));
}

struct Sheet
{
    QString name;
    QByteArray records; // between the sheet's BOF and EOF
    int type = 0;       // BOUNDSHEET type: 0 worksheet, 2 chart
    int visibility = 0; // BOUNDSHEET state: 0 visible, 1 hidden, 2 very hidden
};

// A BIFF8 (or, with version 0x0500, BIFF5) workbook stream: globals, then each sheet, offsets filled in.
inline QByteArray workbookStream(const QByteArray& globals, const QList<Sheet>& sheets, int version = 0x0600)
{
    QList<QByteArray> boundSheets;
    for (const Sheet& sheet : sheets) {
        QByteArray name =
            version == 0x0600 ? string8(sheet.name, 1) : u8(int(sheet.name.toLatin1().size())) + sheet.name.toLatin1();
        boundSheets << name;
    }
    qsizetype offset = bof(0x0005, version).size() + globals.size() + eof().size();
    for (const QByteArray& name : boundSheets)
        offset += 4 + 6 + name.size();
    QByteArray stream = bof(0x0005, version) + globals;
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        stream +=
            record(0x0085, u32(std::uint32_t(offset)) + u8(sheets[i].visibility) + u8(sheets[i].type) + boundSheets[i]);
        offset += bof(0x0010, version).size() + sheets[i].records.size() + eof().size();
    }
    stream += eof();
    for (const Sheet& sheet : sheets)
        stream += bof(0x0010, version) + sheet.records + eof();
    return stream;
}

// The stream as the one child of a compound file.
inline QByteArray compoundFile(const QByteArray& stream, const char* streamName = "Workbook")
{
    GsfOutput* sink = gsf_output_memory_new();
    GsfOutfile* container = gsf_outfile_msole_new(sink);
    GsfOutput* child = gsf_outfile_new_child(container, streamName, FALSE);
    gsf_output_write(child, size_t(stream.size()), reinterpret_cast<const guint8*>(stream.constData()));
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(container));
    g_object_unref(container);
    const QByteArray bytes(reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink))),
                           qsizetype(gsf_output_size(sink)));
    g_object_unref(sink);
    return bytes;
}

} // namespace biffbuilder
