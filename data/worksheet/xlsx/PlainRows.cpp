#include "PlainRows.h"

#include <string>
#include <utility>
#include <vector>

namespace data::xlsx {

namespace {

// Rows, cells, values and rich text nest a few levels; anything deeper is left to expat and its limit.
constexpr std::size_t kMaxDepth = 32;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

// Character data expat hands over as written: printable ASCII, tabs and line feeds; no markup, no reference, no
// "]]>", and no carriage return (expat makes it a line feed).
bool isPlainText(char c)
{
    return (c >= 0x20 && c < 0x7f && c != '&' && c != '<' && c != ']') || c == '\t' || c == '\n';
}

// An attribute value's character that expat passes as written (it makes tabs and line ends blanks).
bool isPlainValue(char c, char quote)
{
    return c >= 0x20 && c < 0x7f && c != '&' && c != '<' && c != quote;
}

} // namespace

bool readPlainRows(std::string_view bytes, XmlHandler& handler)
{
    std::string tag; // the names and values of the tag read last, each ended by a NUL, as expat gives them
    std::vector<std::pair<std::size_t, std::size_t>> attributes; // where each name and value begins in tag
    std::vector<const char*> pairs;
    std::vector<std::string_view> open; // the names of the elements open, for their end tags
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        if (*p != '<') {
            const char* const text = p;
            for (; p < end && *p != '<'; ++p) {
                if (!isPlainText(*p))
                    return false;
            }
            handler.characters(std::string_view(text, std::size_t(p - text)));
            continue;
        }
        if (++p == end)
            return false;
        if (*p == '/') {
            const char* const name = ++p;
            while (p < end && isNameChar(*p))
                ++p;
            const std::string_view closing(name, std::size_t(p - name));
            while (p < end && isSpace(*p))
                ++p;
            if (p == end || *p != '>' || open.empty() || open.back() != closing)
                return false;
            ++p;
            open.pop_back();
            tag.assign(closing);
            handler.endElement(splitName(tag.c_str()));
            continue;
        }
        if (!isNameStart(*p))
            return false; // a comment, CDATA section, processing instruction or stray "<"
        const char* const name = p;
        while (p < end && isNameChar(*p))
            ++p;
        const std::string_view elementName(name, std::size_t(p - name));
        tag.assign(elementName);
        tag.push_back('\0');
        attributes.clear();
        bool empty = false;
        for (;;) {
            const char* const space = p;
            while (p < end && isSpace(*p))
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
            if (p == space || !isNameStart(*p))
                return false; // attributes stand apart by white space
            const char* const attribute = p;
            while (p < end && isNameChar(*p))
                ++p;
            const std::string_view attributeName(attribute, std::size_t(p - attribute));
            while (p < end && isSpace(*p))
                ++p;
            if (p == end || *p != '=')
                return false;
            ++p;
            while (p < end && isSpace(*p))
                ++p;
            if (p == end || (*p != '"' && *p != '\''))
                return false;
            const char quote = *p++;
            const char* const value = p;
            for (; p < end && *p != quote; ++p) {
                if (!isPlainValue(*p, quote))
                    return false;
            }
            if (p == end)
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
        const XmlName xmlName = splitName(tag.c_str());
        handler.startElement(xmlName, XmlAttributes(pairs.data()));
        if (empty)
            handler.endElement(xmlName);
        else
            open.push_back(elementName);
    }
    return open.empty();
}

} // namespace data::xlsx
