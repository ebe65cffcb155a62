#include "worksheet/xls/BiffRecords.h"

#include <QtEndian>

#include <array>
#include <cstdio>
#include <cstring>

namespace data::biff {

double f64(const unsigned char* p)
{
    const std::uint64_t bits = std::uint64_t(u32(p)) | (std::uint64_t(u32(p + 4)) << 32);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string inRecord(const FormatError& error, const Record& record)
{
    char where[64];
    std::snprintf(where, sizeof where, " (record 0x%04X at offset %u)", unsigned(record.id), unsigned(record.offset));
    return error.what() + std::string(where);
}

RecordWalker::RecordWalker(const QByteArray& stream, std::uint32_t offset)
    : base_(reinterpret_cast<const unsigned char*>(stream.constData())),
      size_(static_cast<std::uint32_t>(stream.size())), pos_(offset)
{
    if (offset > size_)
        throw FormatError("record offset past the end of the stream");
}

bool RecordWalker::peek(Record& record) const
{
    if (pos_ == size_)
        return false;
    if (size_ - pos_ < 4)
        throw FormatError("truncated record header");
    const std::uint32_t length = u16(base_ + pos_ + 2);
    if (size_ - pos_ - 4 < length)
        throw FormatError("truncated record");
    record.id = u16(base_ + pos_);
    record.offset = pos_;
    record.data = base_ + pos_ + 4;
    record.size = length;
    return true;
}

bool RecordWalker::next(Record& record)
{
    if (!peek(record))
        return false;
    pos_ += 4 + record.size;
    return true;
}

ContinuedReader::ContinuedReader(const Record& first, RecordWalker& walker)
{
    parts_.push_back({first.data, first.size});
    Record more;
    while (walker.peek(more) && more.id == rContinue) {
        walker.next(more);
        parts_.push_back({more.data, more.size});
    }
}

ContinuedReader::ContinuedReader(const Record& only)
{
    parts_.push_back({only.data, only.size});
}

bool ContinuedReader::atEnd() const
{
    for (std::size_t i = part_; i < parts_.size(); ++i) {
        if ((i == part_ ? parts_[i].size - pos_ : parts_[i].size) != 0)
            return false;
    }
    return true;
}

void ContinuedReader::advancePart()
{
    if (part_ + 1 >= parts_.size())
        throw FormatError("record ends in the middle of a value");
    ++part_;
    pos_ = 0;
}

std::uint8_t ContinuedReader::u8()
{
    while (available() == 0)
        advancePart();
    return parts_[part_].data[pos_++];
}

std::uint16_t ContinuedReader::u16()
{
    if (available() >= 2) {
        const std::uint16_t value = biff::u16(parts_[part_].data + pos_);
        pos_ += 2;
        return value;
    }
    const std::uint16_t low = u8();
    return std::uint16_t(low | (u8() << 8));
}

std::uint32_t ContinuedReader::u32()
{
    if (available() >= 4) {
        const std::uint32_t value = biff::u32(parts_[part_].data + pos_);
        pos_ += 4;
        return value;
    }
    const std::uint32_t low = u16();
    return low | (std::uint32_t(u16()) << 16);
}

void ContinuedReader::skip(std::uint32_t bytes)
{
    while (bytes > 0) {
        while (available() == 0)
            advancePart();
        const std::uint32_t step = std::min(bytes, available());
        pos_ += step;
        bytes -= step;
    }
}

void ContinuedReader::unicodeChars(std::uint32_t count, bool wide, QString& out)
{
    while (count > 0) {
        if (available() == 0) {
            // The characters go on in the next CONTINUE, which starts with a flags byte of its own.
            advancePart();
            if (available() > 0)
                wide = (parts_[part_].data[pos_++] & 0x01) != 0;
            continue;
        }
        const unsigned char* p = parts_[part_].data + pos_;
        const qsizetype old = out.size();
        if (wide) {
            const std::uint32_t n = std::min(count, available() / 2);
            if (n == 0) {
                // One byte left: the writer (gnumeric does) split a character between records and goes on with
                // the raw bytes, without a flags byte.
                const char16_t low = *p;
                ++pos_;
                advancePart();
                if (available() == 0)
                    throw FormatError("a 16-bit character split between records");
                out += QChar(char16_t(low | (parts_[part_].data[pos_++] << 8)));
                --count;
                continue;
            }
            out.resize(old + n);
            qFromLittleEndian<char16_t>(p, n, out.data() + old);
            pos_ += n * 2;
            count -= n;
        } else {
            const std::uint32_t n = std::min(count, available());
            out.resize(old + n);
            QChar* dst = out.data() + old;
            for (std::uint32_t i = 0; i < n; ++i)
                dst[i] = QChar(p[i]);
            pos_ += n;
            count -= n;
        }
    }
}

void ContinuedReader::unicodeString(int lengthBytes, QString& out, bool mayBeRich)
{
    const std::uint32_t count = lengthBytes == 1 ? u8() : u16();
    if (count == 0 && atEnd())
        return; // some writers leave out the flags byte of an empty text that ends its record
    const std::uint8_t flags = u8();
    std::uint32_t runs = 0;
    std::uint32_t phonetic = 0;
    if (mayBeRich && (flags & 0x08))
        runs = u16();
    if (mayBeRich && (flags & 0x04))
        phonetic = u32();
    unicodeChars(count, (flags & 0x01) != 0, out);
    if (runs > 0)
        skip(runs * 4);
    if (phonetic > 0)
        skip(phonetic);
}

void ContinuedReader::byteChars(std::uint32_t count, QStringDecoder& decoder, QString& out)
{
    QByteArray bytes;
    bytes.reserve(count);
    while (count > 0) {
        while (available() == 0)
            advancePart();
        const std::uint32_t n = std::min(count, available());
        bytes.append(reinterpret_cast<const char*>(parts_[part_].data + pos_), n);
        pos_ += n;
        count -= n;
    }
    out += decoder.decode(bytes);
}

QByteArray codecNameForCodePage(int codePage)
{
    struct Known
    {
        int codePage;
        const char* name;
    };
    static constexpr std::array kKnown{
        Known{367, "US-ASCII"},
        Known{437, "IBM437"},
        Known{720, "windows-720"},
        Known{737, "ibm-737"},
        Known{775, "ibm-775"},
        Known{850, "IBM850"},
        Known{852, "IBM852"},
        Known{855, "IBM855"},
        Known{857, "IBM857"},
        Known{858, "IBM00858"},
        Known{860, "IBM860"},
        Known{861, "IBM861"},
        Known{862, "IBM862"},
        Known{863, "IBM863"},
        Known{864, "IBM864"},
        Known{865, "IBM865"},
        Known{866, "IBM866"},
        Known{869, "IBM869"},
        Known{874, "windows-874"},
        Known{932, "Shift_JIS"},
        Known{936, "GBK"},
        Known{949, "windows-949"},
        Known{950, "Big5"},
        Known{1250, "windows-1250"},
        Known{1251, "windows-1251"},
        Known{1252, "windows-1252"},
        Known{1253, "windows-1253"},
        Known{1254, "windows-1254"},
        Known{1255, "windows-1255"},
        Known{1256, "windows-1256"},
        Known{1257, "windows-1257"},
        Known{1258, "windows-1258"},
        Known{1361, "ibm-1361"},
        Known{10000, "macintosh"},
        Known{10006, "x-mac-greek"},
        Known{10007, "x-mac-cyrillic"},
        Known{10029, "x-mac-centraleurroman"},
        Known{10079, "x-mac-icelandic"},
        Known{10081, "x-mac-turkish"},
        Known{32768, "macintosh"},
        Known{32769, "windows-1252"},
    };
    for (const Known& known : kKnown) {
        if (known.codePage == codePage)
            return known.name;
    }
    return {};
}

} // namespace data::biff
