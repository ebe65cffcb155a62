#include "worksheet/ContentKind.h"

#include "worksheet/text/DelimitedText.h"
#include "worksheet/xlsx/PackageFile.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace data {

namespace {

// The first characters as lower-case ASCII (other characters as '?'), after a byte order mark; UTF-16 narrowed.
std::string asciiHead(const QByteArray& bytes)
{
    std::string head;
    qsizetype start = 0;
    int step = 1;
    int offset = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        start = 3;
    } else if (bytes.startsWith("\xFF\xFE")) {
        start = 2;
        step = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        start = 2;
        step = 2;
        offset = 1;
    }
    for (qsizetype i = start + offset; i < bytes.size() && head.size() < 4096; i += step) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        head.push_back(c >= 'A' && c <= 'Z' ? char(c + 32) : c < 0x80 ? char(c) : '?');
    }
    return head;
}

bool startsMarkup(std::string_view head, std::string_view tag)
{
    return head.starts_with(tag);
}

} // namespace

ContentKind contentKind(const QByteArray& firstBytes)
{
    if (xlsx::PackageFile::hasZipSignature(firstBytes.constData(), firstBytes.size()))
        return ContentKind::Zip;
    if (firstBytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return ContentKind::CompoundFile;
    if (!text::looksLikeText(firstBytes))
        return firstBytes.startsWith('\x09') ? ContentKind::CompoundFile : ContentKind::Unknown;
    const std::string whole = asciiHead(firstBytes);
    std::string_view head(whole);
    while (!head.empty() && (head.front() == ' ' || head.front() == '\t' || head.front() == '\r' ||
                             head.front() == '\n' || head.front() == '\f'))
        head.remove_prefix(1);
    if (startsMarkup(head, "<?xml") || startsMarkup(head, "<workbook") || startsMarkup(head, "<office:document")) {
        if (head.find("urn:schemas-microsoft-com:office:spreadsheet") != std::string_view::npos)
            return ContentKind::XmlSpreadsheet;
        if (head.find("urn:oasis:names:tc:opendocument:xmlns:office") != std::string_view::npos)
            return ContentKind::FlatOpenDocument;
        if (head.find("<html") != std::string_view::npos)
            return ContentKind::Html;
        return ContentKind::Unknown; // some other XML
    }
    for (const std::string_view tag : {"<html", "<table", "<!doctype html", "<head", "<meta", "<body", "<!--"}) {
        if (startsMarkup(head, tag))
            return ContentKind::Html;
    }
    if (head.find("xmlns:x=\"urn:schemas-microsoft-com:office:excel\"") != std::string_view::npos)
        return ContentKind::Html;
    return ContentKind::Text;
}

} // namespace data
