#include "worksheet/xlsx/PlainRows.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace data::xlsx {

namespace {

// Rows, cells, values and rich text nest a few levels; anything deeper is left to expat and its limit.
constexpr std::size_t kMaxDepth = 32;

// What each byte may be, a bit each; one table look-up a byte.
enum : std::uint8_t {
    kSpace = 1,
    kNameStart = 2,
    kName = 4,
    // Character data expat hands over as written: printable ASCII, tabs and line feeds; no markup, no reference, no
    // "]]>", and no carriage return (expat makes it a line feed).
    kText = 8,
    // An attribute value's character that expat passes as written (it makes tabs and line ends blanks), in
    // double or in single quotes.
    kInDoubleQuotes = 16,
    kInSingleQuotes = 32,
};

constexpr std::array<std::uint8_t, 256> classes()
{
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const bool nameStart = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        const bool printable = c >= 0x20 && c < 0x7f && c != '&' && c != '<';
        table[std::size_t(c)] = std::uint8_t(
            (c == ' ' || c == '\t' || c == '\n' || c == '\r' ? kSpace : 0) | (nameStart ? kNameStart : 0) |
            (nameStart || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':' ? kName : 0) |
            ((printable && c != ']') || c == '\t' || c == '\n' ? kText : 0) |
            (printable && c != '"' ? kInDoubleQuotes : 0) | (printable && c != '\'' ? kInSingleQuotes : 0));
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> kClasses = classes();

bool is(char c, std::uint8_t what)
{
    return (kClasses[static_cast<unsigned char>(c)] & what) != 0;
}

// The length of the UTF-8 sequence at p that expat passes as written: a character XML allows, encoded in the fewest
// bytes; 0 for anything else (a stray or missing continuation byte, an overlong form, a surrogate, U+FFFE, U+FFFF,
// past U+10FFFF).
std::size_t utf8Length(const char* p, const char* end)
{
    const auto byte = [&](std::size_t i) { return p + i < end ? static_cast<unsigned char>(p[i]) : 0u; };
    const auto continues = [&](std::size_t i) { return (byte(i) & 0xC0u) == 0x80u; };
    const unsigned lead = byte(0);
    if (lead >= 0xC2 && lead <= 0xDF)
        return continues(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned second = byte(1);
        if (!continues(1) || !continues(2) || (lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F))
            return 0;
        if (lead == 0xEF && second == 0xBF && (byte(2) == 0xBE || byte(2) == 0xBF))
            return 0; // U+FFFE, U+FFFF
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned second = byte(1);
        if (!continues(1) || !continues(2) || !continues(3) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second > 0x8F))
            return 0;
        return 4;
    }
    return 0;
}

// Past the run of characters of the class at p, multi-byte characters included; p itself where a byte ends it
// that is neither.
const char* skip(const char* p, const char* end, std::uint8_t what)
{
    while (p < end) {
        if (is(*p, what)) {
            ++p;
        } else if (static_cast<unsigned char>(*p) >= 0x80) {
            const std::size_t length = utf8Length(p, end);
            if (length == 0)
                return p;
            p += length;
        } else {
            return p;
        }
    }
    return p;
}

// splitName of a name that is not NUL-terminated: the same prefix and local part. Names are a few letters: a loop,
// not a library search.
XmlName splitView(std::string_view name)
{
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == ':')
            return {name.substr(0, i), name.substr(i + 1)};
    }
    return {{}, name};
}

} // namespace

bool readPlainRows(std::string_view bytes, XmlHandler& handler)
{
    std::string tag; // the attributes of the tag read last, names and values each ended by a NUL, as expat gives them
    std::vector<std::pair<std::size_t, std::size_t>> attributes; // where each name and value begins in tag
    std::vector<const char*> pairs;
    std::vector<std::string_view> open; // the names of the elements open, for their end tags
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        if (*p != '<') {
            const char* const text = p;
            p = skip(p, end, kText);
            if (p < end && *p != '<')
                return false;
            handler.characters(std::string_view(text, std::size_t(p - text)));
            continue;
        }
        if (++p == end)
            return false;
        if (*p == '/') {
            const char* const name = ++p;
            while (p < end && is(*p, kName))
                ++p;
            const std::string_view closing(name, std::size_t(p - name));
            while (p < end && is(*p, kSpace))
                ++p;
            if (p == end || *p != '>' || open.empty() || open.back() != closing)
                return false;
            ++p;
            open.pop_back();
            handler.endElement(splitView(closing));
            continue;
        }
        if (!is(*p, kNameStart))
            return false; // a comment, CDATA section, processing instruction or stray "<"
        const char* const name = p;
        while (p < end && is(*p, kName))
            ++p;
        const std::string_view elementName(name, std::size_t(p - name));
        tag.clear();
        attributes.clear();
        bool empty = false;
        for (;;) {
            const char* const space = p;
            while (p < end && is(*p, kSpace))
                ++p;
            if (p == end)
                return false;
            if (*p == '>') {
                ++p;
                break;
            }
            if (*p == '/') {
                if (p + 1 == end || p[1] != '>')
                    return false;
                p += 2;
                empty = true;
                break;
            }
            if (p == space || !is(*p, kNameStart))
                return false; // attributes stand apart by white space
            const char* const attribute = p;
            while (p < end && is(*p, kName))
                ++p;
            const std::string_view attributeName(attribute, std::size_t(p - attribute));
            while (p < end && is(*p, kSpace))
                ++p;
            if (p == end || *p != '=')
                return false;
            ++p;
            while (p < end && is(*p, kSpace))
                ++p;
            if (p == end || (*p != '"' && *p != '\''))
                return false;
            const char quote = *p++;
            const char* const value = p;
            p = skip(p, end, quote == '"' ? kInDoubleQuotes : kInSingleQuotes);
            if (p == end || *p != quote)
                return false;
            const std::string_view attributeValue(value, std::size_t(p - value));
            ++p;
            for (const auto& [nameAt, valueAt] : attributes) {
                if (std::string_view(tag.c_str() + nameAt) == attributeName)
                    return false; // twice: expat refuses it
            }
            attributes.emplace_back(tag.size(), tag.size() + attributeName.size() + 1);
            tag.append(attributeName);
            tag.push_back('\0');
            tag.append(attributeValue);
            tag.push_back('\0');
        }
        if (open.size() >= kMaxDepth)
            return false;
        // The pointers are taken once the tag is whole: appending may have moved its characters.
        pairs.clear();
        for (const auto& [nameAt, valueAt] : attributes) {
            pairs.push_back(tag.c_str() + nameAt);
            pairs.push_back(tag.c_str() + valueAt);
        }
        pairs.push_back(nullptr);
        const XmlName xmlName = splitView(elementName);
        handler.startElement(xmlName, XmlAttributes(pairs.data()));
        if (empty)
            handler.endElement(xmlName);
        else
            open.push_back(elementName);
    }
    return open.empty();
}

} // namespace data::xlsx
