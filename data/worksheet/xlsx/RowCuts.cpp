#include "worksheet/xlsx/RowCuts.h"

#include <algorithm>
#include <cctype>

namespace data::xlsx {

namespace {

// A head longer than this (column widths, sheet views, ...) is not worth waiting for.
constexpr std::size_t kMaxHead = std::size_t(4) << 20;

bool endsName(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '>' || c == '/';
}

bool isNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The encoding an XML declaration names; empty when it names none.
std::string_view declaredEncoding(std::string_view declaration)
{
    const std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return {};
    const std::size_t quote = declaration.find_first_of("\"'", at);
    if (quote == std::string_view::npos)
        return "?";
    const std::size_t end = declaration.find(declaration[quote], quote + 1);
    if (end == std::string_view::npos)
        return "?";
    return declaration.substr(quote + 1, end - quote - 1);
}

SheetHead verdict(SheetHead::Verdict verdict)
{
    SheetHead head;
    head.verdict = verdict;
    return head;
}

} // namespace

SheetHead findSheetHead(std::string_view bytes, bool complete)
{
    using Verdict = SheetHead::Verdict;
    const SheetHead needMore = verdict(complete || bytes.size() > kMaxHead ? Verdict::NotCuttable : Verdict::NeedMore);
    std::size_t at = 0;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        at = 3;
    else if (!bytes.empty() && bytes[0] != '<')
        return verdict(Verdict::NotCuttable); // UTF-16 or another encoding: bytes cannot be cut blind
    if (bytes.substr(at).starts_with("<?xml")) {
        const std::size_t end = bytes.find("?>", at);
        if (end == std::string_view::npos)
            return needMore;
        const std::string_view encoding = declaredEncoding(bytes.substr(at, end - at));
        if (!encoding.empty() && !equalsIgnoringCase(encoding, "UTF-8"))
            return verdict(Verdict::NotCuttable);
        at = end + 2;
    }

    // The sheetData start tag, "<sheetData" or "<x:sheetData", gives the prefix of the row tags.
    const std::size_t name = bytes.find("sheetData", at);
    if (name == std::string_view::npos || name + 9 >= bytes.size())
        return needMore;
    std::size_t open = name;
    while (open > at && isNameChar(bytes[open - 1]))
        --open;
    std::string prefix;
    if (open > at && bytes[open - 1] == ':' && open - 1 > at) {
        std::size_t prefixStart = open - 1;
        while (prefixStart > at && isNameChar(bytes[prefixStart - 1]))
            --prefixStart;
        prefix = std::string(bytes.substr(prefixStart, open - 1 - prefixStart)) + ':';
        open = prefixStart;
    }
    if (open == at || bytes[open - 1] != '<' || open + prefix.size() != name || !endsName(bytes[name + 9]))
        return verdict(Verdict::NotCuttable); // the name stands somewhere other than in the start tag
    const std::size_t tagEnd = bytes.find('>', name);
    if (tagEnd == std::string_view::npos)
        return needMore;
    if (bytes[tagEnd - 1] == '/')
        return verdict(Verdict::NotCuttable); // an empty sheet

    SheetHead head;
    head.rowTag = '<' + prefix + "row";
    head.firstRow = nextRowStart(bytes, tagEnd, head.rowTag);
    if (head.firstRow == std::string_view::npos)
        return needMore;
    // Every "<" of the head must open an element: a comment or the like could hide what looks like a row.
    const std::string_view rest = bytes.substr(at, head.firstRow - at);
    if (rest.find("<!") != std::string_view::npos || rest.find("<?") != std::string_view::npos)
        return verdict(Verdict::NotCuttable);
    head.verdict = Verdict::Cuttable;
    return head;
}

std::size_t nextRowStart(std::string_view bytes, std::size_t from, std::string_view rowTag)
{
    for (std::size_t row = bytes.find(rowTag, from); row != std::string_view::npos; row = bytes.find(rowTag, row + 1)) {
        if (row + rowTag.size() >= bytes.size())
            return std::string_view::npos;
        if (endsName(bytes[row + rowTag.size()]))
            return row;
    }
    return std::string_view::npos;
}

} // namespace data::xlsx
