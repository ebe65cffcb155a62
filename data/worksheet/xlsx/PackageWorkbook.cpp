// The workbook part of a package and the parts it relates to: sheets, date system, styles and shared strings.

#include "worksheet/WorkbookErrors.h"
#include "worksheet/xlsx/InflatingReader.h"
#include "worksheet/xlsx/PackageFile.h"
#include "worksheet/xlsx/PackageReader.h"
#include "worksheet/xlsx/PackageText.h"
#include "worksheet/xlsx/PlainRows.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <unordered_map>

namespace data::xlsx {

namespace {

constexpr const char* kRelations = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr std::string_view kStrictMain = "http://purl.oclc.org/ooxml/spreadsheetml/main";
// Far more than any real workbook holds; past them a file is crafted to cost memory.
constexpr std::size_t kMaxSheets = 65535;
constexpr std::uint32_t kMaxSharedStrings = 1u << 25;
constexpr std::size_t kMaxCellFormats = 1u << 20;

bool isTrue(const char* value)
{
    return value && (std::string_view(value) == "1" || std::string_view(value) == "true");
}

std::optional<std::uint32_t> unsignedNumber(const char* text)
{
    if (!text)
        return std::nullopt;
    const std::string_view view(text);
    std::uint32_t value = 0;
    const auto result = std::from_chars(view.data(), view.data() + view.size(), value);
    if (result.ec != std::errc() || result.ptr != view.data() + view.size())
        return std::nullopt;
    return value;
}

class WorkbookPart : public XmlHandler
{
public:
    struct Sheet
    {
        QString name;
        QByteArray relationId;
        bool hidden = false;
    };
    std::vector<Sheet> sheets;
    bool date1904 = false;
    bool strict = false;

    // Only the workbook's own children count: extension lists hold elements of the same local names
    // (x15:workbookPr) that say other things.
    void startElement(const XmlName& name, const XmlAttributes& attributes) override
    {
        ++depth_;
        if (depth_ == 1)
            strict = attributes.declares(kStrictMain);
        if (depth_ == 2 && name.local == "workbookPr") {
            date1904 = isTrue(attributes.value("date1904"));
        } else if (depth_ == 2 && name.local == "sheets") {
            inSheets_ = true;
        } else if (depth_ == 3 && inSheets_ && name.local == "sheet") {
            const char* sheetName = attributes.value("name");
            const char* id = attributes.value("id");
            if (!sheetName || !id)
                throw PackageError("workbook.xml: a sheet without its name or relationship");
            if (sheets.size() >= kMaxSheets)
                throw PackageError("workbook.xml: too many sheets");
            const char* state = attributes.value("state"); // "hidden" or "veryHidden"
            sheets.push_back(
                {QString::fromUtf8(sheetName), QByteArray(id), state && std::string_view(state) != "visible"});
        }
    }
    void endElement(const XmlName& name) override
    {
        if (depth_-- == 2 && name.local == "sheets")
            inSheets_ = false;
    }
    void characters(std::string_view) override {}

private:
    int depth_ = 0;
    bool inSheets_ = false;
};

// numFmts and cellXfs: whether each cell format shows a date. The differential formats of conditional formatting
// (dxfs) hold numFmt elements too; they number nothing a cell refers to.
class StylesPart : public XmlHandler
{
public:
    std::unordered_map<std::uint32_t, bool> customIsDate;
    std::vector<std::uint32_t> xfFormats;

    void startElement(const XmlName& name, const XmlAttributes& attributes) override
    {
        if (name.local == "cellXfs") {
            inCellXfs_ = true;
        } else if (name.local == "numFmts") {
            inNumFmts_ = true;
        } else if (name.local == "xf" && inCellXfs_) {
            if (xfFormats.size() >= kMaxCellFormats)
                throw PackageError("styles.xml: too many cell formats");
            xfFormats.push_back(unsignedNumber(attributes.value("numFmtId")).value_or(0));
        } else if (name.local == "numFmt" && inNumFmts_) {
            const auto id = unsignedNumber(attributes.value("numFmtId"));
            const char* code = attributes.value("formatCode");
            if (id && code && customIsDate.size() < kMaxCellFormats)
                customIsDate[*id] = isDateFormatString(QString::fromUtf8(code));
        }
    }
    void endElement(const XmlName& name) override
    {
        if (name.local == "cellXfs")
            inCellXfs_ = false;
        else if (name.local == "numFmts")
            inNumFmts_ = false;
    }
    void characters(std::string_view) override {}

private:
    bool inCellXfs_ = false;
    bool inNumFmts_ = false;
};

// Each <si>: its text, or its runs' texts together; phonetic runs (rPh) are left out.
class SharedStringsPart : public XmlHandler
{
public:
    explicit SharedStringsPart(StringTable& table) : table_(table) {}

    void startElement(const XmlName& name, const XmlAttributes&) override
    {
        if (name.local == "si") {
            inItem_ = true;
            text_.clear();
        } else if (name.local == "rPh") {
            ++phonetic_;
        } else if (name.local == "t" && inItem_ && phonetic_ == 0) {
            inText_ = true;
        }
    }
    void endElement(const XmlName& name) override
    {
        if (name.local == "t") {
            inText_ = false;
        } else if (name.local == "rPh") {
            --phonetic_;
        } else if (name.local == "si" && inItem_) {
            if (table_.count() >= kMaxSharedStrings)
                throw PackageError("sharedStrings.xml: too many strings");
            table_.buffer() += decodedText(text_);
            table_.close();
            inItem_ = false;
        }
    }
    void characters(std::string_view text) override
    {
        if (!inText_)
            return;
        if (text_.size() + text.size() > kMaxTextBytes)
            throw PackageError("sharedStrings.xml: a text longer than any cell holds");
        text_.append(text);
    }

private:
    StringTable& table_;
    std::string text_;
    bool inItem_ = false;
    bool inText_ = false;
    int phonetic_ = 0;
};

// Shared strings of this size and more are read without expat where their items have the plain shape: a workbook's
// strings take as long through expat as a third of its sheet's rows.
constexpr qint64 kPlainStringsFrom = qint64(1) << 16;

// Reads the shared strings into handler, the items without expat (PlainRows.h), the declaration and the <sst> tags
// around them through expat, and returns true; false where the part is not of that shape, or anything in it goes
// wrong: the caller reads it afresh through expat alone, which reads it or says what is wrong as it always did.
bool readPlainStrings(const PackageFile& package, GsfInput* part, SharedStringsPart& handler)
{
    try {
        const PartStream stream = package.stream(part);
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(std::max<qint64>(PackageFile::partSize(part), 0)));
        for (std::vector<char> chunk = stream.chunks->next(); !chunk.empty(); chunk = stream.chunks->next())
            bytes.append(chunk.data(), chunk.size());
        // Before the first item only the declaration, in UTF-8, and the start tag of <sst>: no comment, CDATA
        // section or document type in which "<si>" could stand without being an item.
        const std::size_t first = bytes.find("<si>");
        const std::size_t last = bytes.rfind("</si>");
        if (first == std::string::npos || last == std::string::npos || last < first)
            return false;
        const std::string_view head(bytes.data(), first);
        if (head.empty() || head.front() != '<' || head.find("<!") != std::string_view::npos ||
            head.find("<?", 1) != std::string_view::npos)
            return false;
        const std::size_t encoding = head.find("encoding");
        if (encoding != std::string_view::npos) {
            const std::string_view declared = head.substr(encoding);
            if (!declared.starts_with("encoding=\"UTF-8\"") && !declared.starts_with("encoding=\"utf-8\"") &&
                !declared.starts_with("encoding='UTF-8'") && !declared.starts_with("encoding='utf-8'"))
                return false;
        }
        const std::size_t bodyEnd = last + std::string_view("</si>").size();
        XmlPartParser parser(handler, stream.name);
        parser.parse(head.data(), head.size());
        if (!readPlainRows(std::string_view(bytes.data() + first, bodyEnd - first), handler))
            return false;
        parser.parse(bytes.data() + bodyEnd, bytes.size() - bodyEnd);
        parser.finish();
        return true;
    } catch (const PackageError&) {
        return false;
    }
}

std::string relation(const char* name)
{
    return std::string(kRelations) + name;
}

} // namespace

std::shared_ptr<const WorkbookData> readPackageWorkbook(std::shared_ptr<const PackageFile> package)
{
    auto book = std::make_shared<WorkbookData>();
    const QString& fileName = package->fileName();
    GsfInput* workbook = package->workbookPart();
    const gsf::QuietUnnamedLogDomain quiet; // libgsf warns there of damaged zip entries it is asked for
    try {
        WorkbookPart workbookPart;
        package->parse(workbook, workbookPart);
        if (workbookPart.strict) {
            throw WorkbookError(QStringLiteral("“%1”是“Strict Open XML 电子表格”格式，不支持。请在 Excel 中把它另存为"
                                               "“Excel 工作簿(*.xlsx)”再导入。")
                                    .arg(fileName));
        }
        book->dateSystem = workbookPart.date1904 ? DateSystem::From1904 : DateSystem::From1900;
        for (WorkbookPart::Sheet& sheet : workbookPart.sheets) {
            // Chart, dialog and macro sheets hold no rows to import.
            if (package->relationType(workbook, sheet.relationId).endsWith("/worksheet"))
                book->sheets.push_back(SheetEntry{std::move(sheet.name), 0, std::move(sheet.relationId), sheet.hidden});
        }

        if (const gsf::InputPtr styles = package->relatedPart(workbook, relation("styles").c_str())) {
            StylesPart stylesPart;
            package->parse(styles.get(), stylesPart);
            book->xfIsDate.reserve(stylesPart.xfFormats.size());
            for (const std::uint32_t format : stylesPart.xfFormats) {
                const auto custom = stylesPart.customIsDate.find(format);
                book->xfIsDate.push_back(custom != stylesPart.customIsDate.end()
                                             ? custom->second
                                             : isBuiltInDateFormat(static_cast<int>(format)));
            }
        }
        if (const gsf::InputPtr strings = package->relatedPart(workbook, relation("sharedStrings").c_str())) {
            SharedStringsPart plain(book->sharedStrings);
            if (PackageFile::partSize(strings.get()) < kPlainStringsFrom ||
                !readPlainStrings(*package, strings.get(), plain)) {
                book->sharedStrings = StringTable();
                SharedStringsPart stringsPart(book->sharedStrings);
                package->parse(strings.get(), stringsPart);
            }
            book->sharedStrings.squeeze();
        }
    } catch (const PackageError& error) {
        throw WorkbookError(
            QStringLiteral("“%1”已损坏，无法读取（%2）。").arg(fileName, QString::fromUtf8(error.what())));
    }
    book->package = std::move(package);
    return book;
}

} // namespace data::xlsx
