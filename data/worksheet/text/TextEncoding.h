#pragma once
// The encodings a text file (a CSV export, an HTML table) comes in, told by its bytes: a byte order mark, else UTF-8
// when the bytes are valid UTF-8, else GB18030 (which includes GBK and GB2312, what Chinese Windows writes). And the
// decoding of a field's bytes into the UTF-16 the cell model keeps, which says when a byte does not belong.

#include <QString>

#include <cstddef>
#include <memory>
#include <string_view>

namespace data::text {

enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Gb18030 };

// The byte order mark's length for the encoding (0 without one).
std::size_t bomLength(Encoding encoding);
bool isUtf16(Encoding encoding);
// For the clerk: "UTF-8", "UTF-16", "GB18030".
QString encodingName(Encoding encoding);

// The encoding of a text whose first bytes these are (a sample: a character cut at its end does not count).
Encoding detectEncoding(std::string_view firstBytes, bool wholeFile);

// The encoding a name in <meta charset> or an XML declaration says (case aside: "utf-8", "gbk", "gb2312", "utf-16");
// false for a name not known here.
bool encodingNamed(std::string_view name, Encoding& encoding);

// Whether the bytes are valid UTF-8 (a character cut at the very end counts as valid unless wholeFile).
bool isValidUtf8(std::string_view bytes, bool wholeFile);

// Decodes 8-bit text (UTF-8 or GB18030) to UTF-16, appending to `to`. False, with `to` as it was, when a byte does
// not belong to the encoding. One decoder per thread: the GB18030 one keeps a converter of the C library.
class ByteDecoder
{
public:
    explicit ByteDecoder(Encoding encoding);
    ~ByteDecoder();
    ByteDecoder(const ByteDecoder&) = delete;
    ByteDecoder& operator=(const ByteDecoder&) = delete;

    bool append(std::string_view bytes, QString& to);
    Encoding encoding() const { return encoding_; }

private:
    bool appendGb18030(std::string_view bytes, QString& to);
    struct Converter;
    Encoding encoding_;
    std::unique_ptr<Converter> converter_;
};

// Appends UTF-16 code units, false for an unpaired surrogate (`to` is then as it was).
bool appendUtf16(std::u16string_view units, QString& to);

} // namespace data::text
