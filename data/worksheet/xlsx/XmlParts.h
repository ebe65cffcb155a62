#pragma once
// Streaming the XML parts of a workbook package through expat: element starts and ends by local name, character
// data in pieces, with the defences a hostile file needs (no DTD, no entity expansion, bounded nesting).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace data::xlsx {

// A package or one of its parts is damaged; the text says what, for the clerk's message (in English, like the
// BIFF reader's technical causes).
class PackageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A cell holds at most 32,767 characters; a text or value far longer than that is a crafted file's way to cost
// memory, and its part is refused.
inline constexpr std::size_t kMaxTextBytes = std::size_t(1) << 20;

// An attribute's whole number of at least 1 (a repeat count, an index from 1): nothing for no attribute, 0 or a text
// that does not begin with a number.
std::optional<std::uint32_t> positiveNumber(const char* text);

// The prefix and local name of an element or attribute ("x:c" is "x" and "c"; the prefix is empty when it has none).
// Names are matched by their local part: writers choose prefixes freely, and the parts of a package use one
// namespace each, so resolving namespaces would cost a fifth of the parse and tell nothing.
struct XmlName
{
    std::string_view prefix;
    std::string_view local;
};

// "x:c" as "x" and "c".
XmlName splitName(const char* name);

// Attributes as expat gives them: name, value, name, value, ..., nullptr.
class XmlAttributes
{
public:
    explicit XmlAttributes(const char** pairs) : pairs_(pairs) {}
    // The value of the attribute with this local name (any prefix), or nullptr.
    const char* value(std::string_view local) const;
    // visit(local name, value) for every attribute, in one pass.
    template <typename Visit> void forEach(Visit visit) const
    {
        for (const char** p = pairs_; *p; p += 2)
            visit(splitName(*p).local, p[1]);
    }
    // Whether an xmlns or xmlns:prefix attribute declares this namespace.
    bool declares(std::string_view ns) const;

private:
    const char** pairs_;
};

class XmlHandler
{
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(const XmlName& name, const XmlAttributes& attributes) = 0;
    virtual void endElement(const XmlName& name) = 0;
    virtual void characters(std::string_view text) = 0;
};

// One part's XML, fed in pieces. Throws PackageError for malformed XML, a DTD, or nesting deeper than the limit;
// exceptions of the handler come out of feed() and finish() unchanged.
class XmlPartParser
{
public:
    XmlPartParser(XmlHandler& handler, std::string partName);
    // A piece of a part read on its own: its bytes are UTF-8 whatever they declare, and its elements count as nested
    // `depth` deep already, as they are in the whole part.
    XmlPartParser(XmlHandler& handler, std::string partName, int depth);
    ~XmlPartParser();
    XmlPartParser(const XmlPartParser&) = delete;
    XmlPartParser& operator=(const XmlPartParser&) = delete;

    // A buffer of at least size bytes to fill, then parse(filled).
    char* buffer(std::size_t size);
    void parse(std::size_t filled);
    // Or parses bytes that lie elsewhere.
    void parse(const char* bytes, std::size_t size);
    void finish();

    // Elements open at the point parsed to.
    int depth() const;

    struct State;

private:
    XmlPartParser(XmlHandler& handler, std::string partName, int depth, const char* encoding);
    std::unique_ptr<State> state_; // expat's user data points at it
};

} // namespace data::xlsx
