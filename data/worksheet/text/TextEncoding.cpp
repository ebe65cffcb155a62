#include "worksheet/text/TextEncoding.h"

#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cerrno>
#include <iconv.h>
#include <string>

namespace data::text {

std::size_t bomLength(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8Bom:
        return 3;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
        return 2;
    case Encoding::Utf8:
    case Encoding::Gb18030:
        return 0;
    }
    return 0;
}

bool isUtf16(Encoding encoding)
{
    return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
}

QString encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::Utf8Bom:
        return QStringLiteral("UTF-8（带 BOM）");
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
        return QStringLiteral("UTF-16");
    case Encoding::Gb18030:
        return QStringLiteral("GB18030（GBK）");
    }
    return {};
}

namespace {

// The length of the UTF-8 sequence starting at bytes[i], 0 when it is not a valid one, -1 when it is cut short by
// the end of the bytes.
int utf8Sequence(const unsigned char* bytes, std::size_t i, std::size_t size)
{
    const unsigned char lead = bytes[i];
    if (lead < 0x80)
        return 1;
    int length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (i + k >= size)
            return -1;
        const unsigned char next = bytes[i + k];
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

bool isValidUtf8(std::string_view text, bool wholeFile)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        // Runs of ASCII go eight bytes at a time.
        while (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            if (word & 0x8080808080808080ULL)
                break;
            i += 8;
        }
        if (i >= size)
            break;
        const int length = utf8Sequence(bytes, i, size);
        if (length == 0)
            return false;
        if (length < 0)
            return !wholeFile;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

Encoding detectEncoding(std::string_view bytes, bool wholeFile)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return Encoding::Utf8Bom;
    if (bytes.starts_with("\xFF\xFE"))
        return Encoding::Utf16Le;
    if (bytes.starts_with("\xFE\xFF"))
        return Encoding::Utf16Be;
    return isValidUtf8(bytes, wholeFile) ? Encoding::Utf8 : Encoding::Gb18030;
}

bool encodingNamed(std::string_view name, Encoding& encoding)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : char(c); });
    if (lower == "utf-8" || lower == "utf8") {
        encoding = Encoding::Utf8;
        return true;
    }
    if (lower == "gbk" || lower == "gb2312" || lower == "gb18030" || lower == "cp936" || lower == "x-gbk" ||
        lower == "euc-cn") {
        encoding = Encoding::Gb18030;
        return true;
    }
    return false;
}

struct ByteDecoder::Converter
{
    iconv_t handle = reinterpret_cast<iconv_t>(-1);
    std::u16string units;
};

ByteDecoder::ByteDecoder(Encoding encoding) : encoding_(encoding)
{
    if (encoding_ == Encoding::Gb18030) {
        converter_ = std::make_unique<Converter>();
        converter_->handle = iconv_open(Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE", "GB18030");
    }
}

ByteDecoder::~ByteDecoder()
{
    if (converter_ && converter_->handle != reinterpret_cast<iconv_t>(-1))
        iconv_close(converter_->handle);
}

bool ByteDecoder::append(std::string_view text, QString& to)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    const qsizetype before = to.size();
    // ASCII is the same in both, and most fields (codes, numbers) are nothing else.
    std::size_t ascii = 0;
    while (ascii < size && bytes[ascii] < 0x80)
        ++ascii;
    to.resize(before + static_cast<qsizetype>(ascii));
    char16_t* out = reinterpret_cast<char16_t*>(to.data()) + before;
    for (std::size_t i = 0; i < ascii; ++i)
        out[i] = bytes[i];
    if (ascii == size)
        return true;
    if (encoding_ == Encoding::Gb18030) {
        if (appendGb18030(text.substr(ascii), to))
            return true;
        to.truncate(before);
        return false;
    }
    // UTF-8: at most one UTF-16 unit per byte.
    const qsizetype start = to.size();
    to.resize(start + static_cast<qsizetype>(size - ascii));
    out = reinterpret_cast<char16_t*>(to.data()) + start;
    std::size_t n = 0;
    for (std::size_t i = ascii; i < size;) {
        const int length = utf8Sequence(bytes, i, size);
        if (length <= 0) {
            to.truncate(before);
            return false;
        }
        char32_t c = bytes[i];
        if (length == 2)
            c = ((c & 0x1F) << 6) | (bytes[i + 1] & 0x3F);
        else if (length == 3)
            c = ((c & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F);
        else if (length == 4)
            c = ((c & 0x07) << 18) | ((bytes[i + 1] & 0x3F) << 12) | ((bytes[i + 2] & 0x3F) << 6) |
                (bytes[i + 3] & 0x3F);
        if (c >= 0x10000) {
            out[n++] = char16_t(0xD800 + ((c - 0x10000) >> 10));
            out[n++] = char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out[n++] = char16_t(c);
        }
        i += static_cast<std::size_t>(length);
    }
    to.truncate(start + static_cast<qsizetype>(n));
    return true;
}

bool ByteDecoder::appendGb18030(std::string_view bytes, QString& to)
{
    if (!converter_ || converter_->handle == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv(converter_->handle, nullptr, nullptr, nullptr, nullptr);
    // GB18030 takes one or two UTF-16 units for every one to four bytes: never more units than bytes.
    std::u16string& units = converter_->units;
    units.resize(bytes.size() + 1);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* out = reinterpret_cast<char*>(units.data());
    std::size_t outLeft = units.size() * sizeof(char16_t);
    if (iconv(converter_->handle, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
        return false;
    const std::size_t produced = units.size() - outLeft / sizeof(char16_t);
    to.append(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(produced));
    return true;
}

bool appendUtf16(std::u16string_view units, QString& to)
{
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    to.append(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
    return true;
}

} // namespace data::text
