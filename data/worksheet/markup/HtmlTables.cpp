// HTML tables as sheets, through libxml2's HTML parser (which mends the markup as a browser does): rows, cells and
// their spans, the text a browser shows (entities decoded, <br> a line break, runs of blanks one blank), Excel's
// x:num values as numbers unless the cell is formatted as text (mso-number-format:"\@").

#include "worksheet/markup/MarkupWorkbooks.h"
#include "worksheet/ReadableFormats.h"
#include "worksheet/text/TextEncoding.h"
#include "worksheet/WorkbookErrors.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <QStringList>

#include <algorithm>
#include <cctype>
#include <climits>
#include <charconv>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace data::markup {

namespace {

constexpr std::uint32_t kMaxRows = 1048576;
constexpr std::uint32_t kMaxColumns = 16384;
constexpr int kMaxSpan = 1000;
constexpr std::size_t kMaxCells = std::size_t(1) << 25;

struct DocFree
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

bool named(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && node->name &&
           xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

std::string attribute(const xmlNode* node, const char* name)
{
    for (const xmlAttr* attr = node->properties; attr; attr = attr->next) {
        if (attr->name && xmlStrcasecmp(attr->name, reinterpret_cast<const xmlChar*>(name)) == 0) {
            xmlChar* value = xmlNodeListGetString(node->doc, attr->children, 1);
            std::string text = value ? reinterpret_cast<const char*>(value) : "";
            xmlFree(value);
            return text;
        }
    }
    return {};
}

int span(const xmlNode* cell, const char* name)
{
    const std::string text = attribute(cell, name);
    int value = 1;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || value < 1)
        return 1;
    return std::min(value, kMaxSpan);
}

// The text a browser shows for the cell: blanks collapsed, <br> and block ends as line breaks, tables inside left
// to their own sheets.
void collectText(const xmlNode* node, std::string& text)
{
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            for (const xmlChar* c = child->content; c && *c; ++c) {
                const bool blank = *c == ' ' || *c == '\t' || *c == '\n' || *c == '\r' || *c == '\f';
                if (!blank)
                    text.push_back(char(*c));
                else if (!text.empty() && text.back() != ' ' && text.back() != '\n')
                    text.push_back(' ');
            }
        } else if (child->type == XML_ELEMENT_NODE) {
            if (named(child, "table") || named(child, "script") || named(child, "style"))
                continue;
            if (named(child, "br")) {
                while (!text.empty() && text.back() == ' ')
                    text.pop_back();
                text.push_back('\n');
                continue;
            }
            const bool block = named(child, "p") || named(child, "div") || named(child, "li");
            if (block && !text.empty() && text.back() != '\n') {
                while (!text.empty() && text.back() == ' ')
                    text.pop_back();
                text.push_back('\n');
            }
            collectText(child, text);
        }
    }
}

QString cellText(const xmlNode* cell)
{
    std::string text;
    collectText(cell, text);
    QString value = QString::fromUtf8(text);
    value.replace(QChar(0x00A0), u' ');
    // No blanks at the ends or around line breaks: a browser shows none.
    QStringList lines = value.split(u'\n');
    for (QString& line : lines)
        line = line.trimmed();
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    while (!lines.isEmpty() && lines.front().isEmpty())
        lines.removeFirst();
    return lines.join(u'\n');
}

bool formattedAsText(const xmlNode* cell)
{
    const std::string style = attribute(cell, "style");
    const std::size_t at = style.find("mso-number-format");
    return at != std::string::npos && style.find('@', at) != std::string::npos;
}

// The rows of this table, not of a table inside one of its cells.
void collectRows(const xmlNode* node, std::vector<const xmlNode*>& rows)
{
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (named(child, "tr"))
            rows.push_back(child);
        else if (child->type == XML_ELEMENT_NODE && !named(child, "table") && !named(child, "td") &&
                 !named(child, "th"))
            collectRows(child, rows);
    }
}

void collectTables(const xmlNode* node, std::vector<const xmlNode*>& tables)
{
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (named(child, "table"))
            tables.push_back(child);
        collectTables(child, tables);
    }
}

QString captionOf(const xmlNode* table)
{
    for (const xmlNode* child = table->children; child; child = child->next) {
        if (named(child, "caption"))
            return cellText(child).replace(u'\n', u' ');
    }
    return {};
}

std::shared_ptr<const WorksheetData> readTable(const xmlNode* table, const QString& name)
{
    auto sheet = emptyWorksheet(nullptr, name);
    std::vector<const xmlNode*> rows;
    collectRows(table, rows);
    std::vector<std::uint32_t> coveredUntil; // per column: the first row no rowspan above covers any more
    std::uint32_t row = 0;
    for (const xmlNode* tr : rows) {
        if (row >= kMaxRows)
            break;
        std::uint32_t column = 0;
        for (const xmlNode* td = tr->children; td; td = td->next) {
            if (!named(td, "td") && !named(td, "th"))
                continue;
            while (column < coveredUntil.size() && coveredUntil[column] > row)
                ++column;
            if (column >= kMaxColumns)
                break;
            const int across = span(td, "colspan");
            const int down = span(td, "rowspan");
            const std::uint32_t end = std::min<std::uint32_t>(column + std::uint32_t(across), kMaxColumns);
            if (coveredUntil.size() < end)
                coveredUntil.resize(end, 0);
            for (std::uint32_t c = column; c < end; ++c)
                coveredUntil[c] = std::max(coveredUntil[c], row + std::uint32_t(down));
            if (sheet->cells.size() >= kMaxCells)
                throw WorkbookError(QStringLiteral("表格“%1”的单元格太多，超出一张工作表能容纳的数量。").arg(name));
            const std::string number = attribute(td, "x:num");
            double value = 0;
            const bool isNumber = !number.empty() && !formattedAsText(td) &&
                                  std::from_chars(number.data(), number.data() + number.size(), value).ptr ==
                                      number.data() + number.size();
            if (isNumber) {
                sheet->cells.push_back(Cell::make(row, std::uint16_t(column), CellKind::Number, value));
            } else if (const QString text = cellText(td); !text.isEmpty()) {
                sheet->texts.buffer() += text;
                sheet->cells.push_back(Cell{row, std::uint16_t(column), CellKind::Text, sheet->texts.close(), 0});
            }
            column = end;
        }
        ++row;
    }
    indexCells(*sheet, true);
    sheet->texts.squeeze();
    return sheet;
}

// The charset a <meta> names in the first bytes; empty when none does.
std::string metaCharset(const QByteArray& bytes)
{
    const QByteArray head = bytes.left(8192).toLower();
    const qsizetype at = head.indexOf("charset=");
    if (at < 0)
        return {};
    qsizetype begin = at + 8;
    while (begin < head.size() && (head[begin] == '"' || head[begin] == '\'' || head[begin] == ' '))
        ++begin;
    qsizetype end = begin;
    while (end < head.size() &&
           (std::isalnum(static_cast<unsigned char>(head[end])) || head[end] == '-' || head[end] == '_'))
        ++end;
    return head.mid(begin, end - begin).toStdString();
}

void quiet(void*, const char*, ...) {}

// The page as UTF-8 for the parser: in the charset its <meta> names where the bytes are of it, else in the encoding
// its bytes show (a page that says GB2312 and is UTF-8 is common). Throws WorkbookError for bytes of neither.
QByteArray decodedPage(const QByteArray& bytes, const QString& fileName, text::Encoding& encoding)
{
    using text::Encoding;
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    const Encoding byContent = text::detectEncoding(view, true);
    std::vector<Encoding> candidates;
    Encoding said;
    if (!text::isUtf16(byContent) && byContent != Encoding::Utf8Bom && text::encodingNamed(metaCharset(bytes), said))
        candidates.push_back(said);
    candidates.push_back(byContent);
    for (const Encoding candidate : candidates) {
        QString page;
        bool decoded;
        if (text::isUtf16(candidate)) {
            std::u16string units;
            for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
                const auto a = static_cast<unsigned char>(bytes[i]);
                const auto b = static_cast<unsigned char>(bytes[i + 1]);
                units.push_back(candidate == Encoding::Utf16Be ? char16_t((a << 8) | b) : char16_t((b << 8) | a));
            }
            decoded = text::appendUtf16(units, page);
        } else {
            text::ByteDecoder decoder(candidate == Encoding::Utf8Bom ? Encoding::Utf8 : candidate);
            decoded = decoder.append(view.substr(text::bomLength(candidate)), page);
        }
        if (decoded) {
            encoding = candidate;
            return page.toUtf8();
        }
    }
    throw WorkbookError(QStringLiteral("“%1”是网页文件，但其中有不属于 %2 编码的字节（文件可能已损坏），无法读取。")
                            .arg(fileName, text::encodingName(candidates.back())));
}

} // namespace

std::shared_ptr<const WorkbookData> readHtmlTables(const QByteArray& bytes, const QString& fileName)
{
    text::Encoding encoding = text::Encoding::Utf8;
    const QByteArray page = decodedPage(bytes, fileName, encoding);
    xmlSetGenericErrorFunc(nullptr, quiet); // the parser's complaints about the markup are no use to a clerk
    const std::unique_ptr<xmlDoc, DocFree> doc(
        htmlReadMemory(page.constData(), int(std::min<qsizetype>(page.size(), INT_MAX)), nullptr, "UTF-8",
                       HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
    if (!doc)
        throw WorkbookError(QStringLiteral("“%1”是网页文件，但已损坏，无法读取。").arg(fileName) +
                            saveAsReadableFormat());
    std::vector<const xmlNode*> tables;
    collectTables(reinterpret_cast<const xmlNode*>(doc.get()), tables);
    if (tables.empty())
        throw WorkbookError(QStringLiteral("“%1”是网页文件，但其中没有表格。").arg(fileName) + saveAsReadableFormat());

    auto book = std::make_shared<WorkbookData>();
    book->format = WorkbookFormat::HtmlTables;
    book->formatNote = QStringLiteral("网页表格（HTML），%1 编码").arg(text::encodingName(encoding));
    QStringList names;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        QString name = captionOf(tables[i]);
        if (name.isEmpty())
            name = QStringLiteral("表%1").arg(i + 1);
        for (int n = 2; names.contains(name); ++n)
            name = QStringLiteral("%1 (%2)")
                       .arg(captionOf(tables[i]).isEmpty() ? QStringLiteral("表%1").arg(i + 1) : captionOf(tables[i]))
                       .arg(n);
        names << name;
        book->sheets.push_back(SheetEntry{name, 0, {}});
        book->readSheets.push_back(readTable(tables[i], name));
    }
    return book;
}

} // namespace data::markup
