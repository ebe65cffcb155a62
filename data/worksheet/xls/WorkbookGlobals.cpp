// The workbook globals: code page, date system, number formats, cell formats, shared strings and the sheet list.

#include "worksheet/ReadableFormats.h"
#include "worksheet/WorkbookErrors.h"
#include "worksheet/xls/BiffReader.h"
#include "worksheet/xls/BiffRecords.h"

#include <QStringDecoder>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace data::biff {

namespace {

void readSharedStrings(const Record& record, RecordWalker& walker, StringTable& table, std::uint32_t streamSize)
{
    ContinuedReader reader(record, walker);
    reader.u32(); // total references, not needed
    const std::uint32_t unique = reader.u32();
    // Every string takes at least three bytes, so the count cannot ask for more than the stream holds.
    table.reserve(std::min<std::uint32_t>(unique, streamSize / 3), 0);
    for (std::uint32_t i = 0; i < unique && !reader.atEnd(); ++i) {
        reader.unicodeString(2, table.buffer(), true);
        table.close();
    }
    table.squeeze();
}

// Some writers count one character more than the record holds; a format string is only looked at for date
// parts, so the characters that are there are enough.
QString formatString(const Record& record, int biffVersion, QStringDecoder& decoder)
{
    const unsigned char* p = record.data + 2;
    std::uint32_t left = record.size - 2;
    QString text;
    if (biffVersion == 8) {
        if (left < 3)
            return text;
        const std::uint32_t count = u16(p);
        const bool wide = p[2] & 0x01;
        p += 3;
        left -= 3;
        const std::uint32_t n = std::min(count, wide ? left / 2 : left);
        text.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i)
            text += wide ? QChar(u16(p + 2 * i)) : QChar(p[i]);
    } else {
        if (left < 1)
            return text;
        const std::uint32_t n = std::min<std::uint32_t>(p[0], left - 1);
        text = decoder.decode(QByteArrayView(p + 1, n));
    }
    return text;
}

SheetEntry sheetEntry(const Record& record, int biffVersion, QStringDecoder& decoder, bool& isWorksheet)
{
    ContinuedReader reader(record);
    SheetEntry entry;
    entry.offset = reader.u32();
    entry.hidden = (reader.u8() & 0x03) != 0; // 1 hidden, 2 very hidden
    isWorksheet = reader.u8() == 0;           // 1 macro sheet, 2 chart, 6 VB module
    if (biffVersion == 8)
        reader.unicodeString(1, entry.name, false);
    else
        reader.byteChars(reader.u8(), decoder, entry.name);
    return entry;
}

int biffVersionOf(const Record& bof)
{
    if (bof.id == rBof2 || bof.id == rBof3 || bof.id == rBof4)
        return 4;
    if (bof.id != rBof || bof.size < 4)
        return 0;
    switch (u16(bof.data)) {
    case 0x0600:
        return 8;
    case 0x0500:
        return 5;
    default:
        return 0;
    }
}

} // namespace

std::shared_ptr<WorkbookData> readWorkbookGlobals(QByteArray stream, bool excel5Name)
{
    auto book = std::make_shared<WorkbookData>();
    book->stream = std::move(stream);
    const auto streamSize = static_cast<std::uint32_t>(book->stream.size());
    RecordWalker walker(book->stream, 0);
    Record record;
    if (!walker.next(record) || (record.id != rBof && record.id != rBof2 && record.id != rBof3 && record.id != rBof4))
        throw WorkbookError(QStringLiteral("工作簿数据不以 BOF 记录开始，文件已损坏或不是 Excel 工作簿。"));
    book->biffVersion = biffVersionOf(record);
    if (book->biffVersion == 4)
        throw WorkbookError(QStringLiteral("这是 Excel 2.x-4.x 的工作表，不支持。") + saveAsReadableFormat());
    if (book->biffVersion == 0) {
        throw WorkbookError(QStringLiteral("工作簿的版本（BOF %1）无法识别%2。")
                                .arg(record.size >= 2 ? u16(record.data) : 0, 4, 16, QLatin1Char('0'))
                                .arg(excel5Name ? QStringLiteral("（Excel 5/95 格式）") : QString()) +
                            saveAsReadableFormat());
    }
    if (record.size >= 4 && u16(record.data + 2) != 0x0005)
        throw WorkbookError(QStringLiteral("工作簿数据的第一部分不是工作簿全局信息，文件已损坏。"));

    int codePage = 1252;
    std::unordered_map<int, bool> formatIsDate;
    std::vector<std::uint16_t> xfFormats;
    std::unordered_set<std::uint32_t> sheetOffsets;
    QStringDecoder decoder; // set once the code page is known (Excel 5/95 only)
    auto ensureDecoder = [&] {
        if (decoder.isValid())
            return;
        book->codecName = codecNameForCodePage(codePage);
        if (book->codecName.isEmpty())
            book->codecName = "windows-1252";
        // Stateless: a lead byte cut off at the end of one string must not swallow the next string's first byte.
        decoder = QStringDecoder(book->codecName.constData(), QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            throw WorkbookError(QStringLiteral("不支持工作簿的代码页 %1。").arg(codePage));
    };

    bool ended = false;
    while (!ended && walker.next(record)) {
        try {
            switch (record.id) {
            case rEof:
                ended = true;
                break;
            case rFilePass:
                throw WorkbookError(
                    QStringLiteral("工作簿设有打开密码（已加密），无法读取。请在 Excel 中取消密码后另存，"
                                   "再导入。"));
            case rCodePage:
                if (record.size >= 2)
                    codePage = u16(record.data);
                break;
            case rDateMode:
                if (record.size >= 2 && u16(record.data) == 1)
                    book->dateSystem = DateSystem::From1904;
                break;
            case rFormat: {
                if (record.size < 2)
                    throw FormatError("FORMAT record too short");
                if (book->biffVersion == 5)
                    ensureDecoder();
                const int index = u16(record.data);
                formatIsDate[index] = isDateFormatString(formatString(record, book->biffVersion, decoder));
                break;
            }
            case rXf:
                if (record.size < 4)
                    throw FormatError("XF record too short");
                xfFormats.push_back(u16(record.data + 2));
                break;
            case rSst:
                if (book->biffVersion == 8 && book->sharedStrings.count() == 0)
                    readSharedStrings(record, walker, book->sharedStrings, streamSize);
                break;
            case rBoundSheet: {
                if (book->biffVersion == 5)
                    ensureDecoder();
                bool isWorksheet = false;
                SheetEntry entry = sheetEntry(record, book->biffVersion, decoder, isWorksheet);
                // Two sheets cannot share their records; a file that says so is damaged (and reading the same
                // records once per name would let a small file cost any amount of time).
                if (!sheetOffsets.insert(entry.offset).second)
                    throw FormatError("two sheets at the same place in the workbook");
                if (isWorksheet)
                    book->sheets.push_back(std::move(entry));
                break;
            }
            default:
                break;
            }
        } catch (const FormatError& error) {
            throw FormatError(inRecord(error, record));
        }
    }
    book->xfIsDate.reserve(xfFormats.size());
    for (const std::uint16_t format : xfFormats) {
        const auto custom = formatIsDate.find(format);
        book->xfIsDate.push_back(custom != formatIsDate.end() ? custom->second : isBuiltInDateFormat(format));
    }
    return book;
}

} // namespace data::biff
