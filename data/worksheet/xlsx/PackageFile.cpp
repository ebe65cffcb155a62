#include "worksheet/xlsx/PackageFile.h"

#include "worksheet/ReadableFormats.h"
#include "worksheet/WorkbookErrors.h"
#include "worksheet/xlsx/InflatingReader.h"

#include <gsf/gsf-infile-zip.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace data::xlsx {

using gsf::InfilePtr;
using gsf::InputPtr;

namespace {

// What a package may inflate to: every part together at most this multiple of the file's size (beyond a
// allowance that any real small workbook stays under), one part at most kMaxPartSize. Deflate reaches about
// 1000:1 on crafted data; real sheets stay far below the ratio.
constexpr qint64 kMaxInflationRatio = 500;
constexpr qint64 kInflationAllowance = qint64(16) << 20;
constexpr qint64 kMaxPartSize = (qint64(1) << 31) - 1;
constexpr int kMaxZipEntries = 100000;
constexpr int kMaxFolderDepth = 64;
constexpr std::size_t kChunk = 1 << 16;
// Parts at least this large (a sheet of some thousand rows) are inflated on a thread of their own.
constexpr std::size_t kInflateAheadSize = std::size_t(1) << 20;

constexpr const char* kOfficeDocument =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
constexpr const char* kStrictOfficeDocument = "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument";

// The part names of [Content_Types].xml, lower case without the leading "/", and the default type by extension.
class ContentTypes : public XmlHandler
{
public:
    std::unordered_map<std::string, std::string> overrides;
    std::unordered_map<std::string, std::string> defaults;

    void startElement(const XmlName& name, const XmlAttributes& attributes) override
    {
        if (name.local == "Override") {
            const char* part = attributes.value("PartName");
            const char* type = attributes.value("ContentType");
            if (part && type && overrides.size() < kMaxZipEntries)
                overrides.emplace(normalized(part), type);
        } else if (name.local == "Default") {
            const char* extension = attributes.value("Extension");
            const char* type = attributes.value("ContentType");
            if (extension && type && defaults.size() < kMaxZipEntries)
                defaults.emplace(lower(extension), type);
        }
    }
    void endElement(const XmlName&) override {}
    void characters(std::string_view) override {}

    std::string typeOf(const std::string& target) const
    {
        const std::string part = normalized(target);
        if (const auto found = overrides.find(part); found != overrides.end())
            return found->second;
        const std::size_t dot = part.rfind('.');
        if (dot != std::string::npos) {
            if (const auto found = defaults.find(part.substr(dot + 1)); found != defaults.end())
                return found->second;
        }
        return {};
    }

private:
    static std::string lower(std::string text)
    {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : char(c); });
        return text;
    }
    static std::string normalized(std::string_view name)
    {
        while (!name.empty() && name.front() == '/')
            name.remove_prefix(1);
        return lower(std::string(name));
    }
};

// The part's name in the zip: the names of its folders and its own, joined by "/".
std::string nameOf(GsfInput* part)
{
    std::string path;
    for (GsfInput* at = part; at && gsf_input_container(at); at = GSF_INPUT(gsf_input_container(at))) {
        const char* name = gsf_input_name(at);
        path.insert(0, (name ? std::string(name) : std::string()) + (path.empty() ? "" : "/"));
    }
    return path.empty() ? std::string("a part") : path;
}

// An entry that is sound but that this reader cannot read: said as what it is, not as damage.
WorkbookError unreadableEntry(const QString& fileName, const std::string& partName, const ZipEntry& entry)
{
    const QString part = QString::fromStdString(partName);
    if (entry.encrypted)
        return WorkbookError(QStringLiteral("“%1”中的“%2”是加密的（ZIP 密码），无法读取。请在 Excel 中打开它并另存为"
                                            "“Excel 工作簿(*.xlsx)”（不设密码）再导入。")
                                 .arg(fileName, part));
    return WorkbookError(QStringLiteral("“%1”中的“%2”是用 Deflate64 压缩的，本程序无法读取。请在 Excel 中打开它并另存为"
                                        "“Excel 工作簿(*.xlsx)”再导入。")
                             .arg(fileName, part));
}

bool sameName(std::string_view one, std::string_view other)
{
    return one.size() == other.size() &&
           std::equal(one.begin(), one.end(), other.begin(), [](unsigned char a, unsigned char b) {
               return (a >= 'A' && a <= 'Z' ? a + 32 : a) == (b >= 'A' && b <= 'Z' ? b + 32 : b);
           });
}

// The folder's entry of that name, its letters' case aside, as Excel finds it; of two entries of one name the one
// the zip's directory names last, as other readers take it. nullptr when there is none.
InputPtr childNamed(GsfInfile* folder, std::string_view name)
{
    for (int i = gsf_infile_num_children(folder) - 1; i >= 0; --i) {
        const char* childName = gsf_infile_name_by_index(folder, i);
        if (childName && sameName(childName, name))
            return InputPtr(gsf_infile_child_by_index(folder, i));
    }
    return nullptr;
}

bool isFolder(GsfInput* input)
{
    return GSF_IS_INFILE(input) && gsf_infile_num_children(GSF_INFILE(input)) >= 0;
}

// The relationships of one part (the package's own, "_rels/.rels", for the root).
class Relationships : public XmlHandler
{
public:
    std::vector<PackageFile::Relation> relations;

    void startElement(const XmlName& name, const XmlAttributes& attributes) override
    {
        if (name.local != "Relationship" || relations.size() >= kMaxZipEntries)
            return;
        const char* id = attributes.value("Id");
        const char* type = attributes.value("Type");
        const char* target = attributes.value("Target");
        const char* mode = attributes.value("TargetMode");
        if (id && type && target)
            relations.push_back({id, type, target, mode && std::string_view(mode) == "External"});
    }
    void endElement(const XmlName&) override {}
    void characters(std::string_view) override {}
};

bool endsWith(const std::string& text, std::string_view suffix)
{
    return std::string_view(text).ends_with(suffix);
}

} // namespace

bool PackageFile::hasZipSignature(const char* firstBytes, qint64 size)
{
    // A local file header, or the end record of an empty zip.
    return size >= 4 && firstBytes[0] == 'P' && firstBytes[1] == 'K' &&
           ((firstBytes[2] == 3 && firstBytes[3] == 4) || (firstBytes[2] == 5 && firstBytes[3] == 6));
}

PackageFile::PackageFile(InputPtr source, InfilePtr zip, const QString& fileName, const QByteArray& fileBytes,
                         ZipDirectory directory)
    : fileBytes_(fileBytes), source_(std::move(source)), zip_(std::move(zip)), fileName_(fileName),
      directory_(std::move(directory))
{
}

std::shared_ptr<const PackageFile> PackageFile::open(InputPtr source, const QString& fileName,
                                                     const QByteArray& fileBytes)
{
    gsf::readyLibgsf();
    const gsf::QuietUnnamedLogDomain quiet;
    // libgsf checks no CRC and keeps the directory to itself: it is read here once more, before libgsf reads.
    ZipDirectory directory;
    directory.read(source.get());
    GError* rawError = nullptr;
    InfilePtr zip(gsf_infile_zip_new(source.get(), &rawError));
    const gsf::ErrorPtr error(rawError);
    if (!zip) {
        throw WorkbookError(QStringLiteral("“%1”已损坏：ZIP 包不完整或有错（%2），无法读取。")
                                .arg(fileName, gsf::describe(error.get())) +
                            saveAsReadableFormat());
    }
    std::shared_ptr<PackageFile> package(
        new PackageFile(std::move(source), std::move(zip), fileName, fileBytes, std::move(directory)));
    package->checkInflatedSizes();
    package->findWorkbookPart();
    return package;
}

void PackageFile::checkInflatedSizes() const
{
    qint64 total = 0;
    int entries = 0;
    const qint64 fileSize = gsf_input_size(source_.get());
    const qint64 cap = kInflationAllowance + kMaxInflationRatio * std::max<qint64>(fileSize, 0);
    const auto damaged = [this](const QString& why) {
        return WorkbookError(QStringLiteral("“%1”已损坏或是恶意构造的文件（%2），无法读取。").arg(fileName_, why));
    };
    const auto walk = [&](auto& self, GsfInfile* folder, int depth) -> void {
        if (depth > kMaxFolderDepth)
            throw damaged(QStringLiteral("folders nested too deep"));
        const int children = gsf_infile_num_children(folder);
        for (int i = 0; i < children; ++i) {
            if (++entries > kMaxZipEntries)
                throw damaged(QStringLiteral("too many zip entries"));
            const InputPtr child(gsf_infile_child_by_index(folder, i));
            if (!child)
                continue;
            if (GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0) {
                self(self, GSF_INFILE(child.get()), depth + 1);
                continue;
            }
            const qint64 size = gsf_input_size(child.get());
            if (size > kMaxPartSize)
                throw damaged(QStringLiteral("a part of %1 bytes").arg(size));
            total += std::max<qint64>(size, 0);
            if (total > cap)
                throw damaged(QStringLiteral("inflates to more than %1 times its size").arg(kMaxInflationRatio));
            const std::string partName = nameOf(child.get());
            if (const ZipEntry* entry = directory_.find(partName); entry && (entry->encrypted || entry->method == 9))
                throw unreadableEntry(fileName_, partName, *entry);
        }
    };
    walk(walk, zip_.get(), 0);
}

void PackageFile::findWorkbookPart()
{
    const auto notAWorkbook = [this](const QString& what) {
        return WorkbookError(QStringLiteral("“%1”是 ZIP 压缩包，但不是 Excel 工作簿（%2）。").arg(fileName_, what) +
                             saveAsReadableFormat());
    };
    if (findOpenDocumentContent())
        return;
    const InputPtr contentTypesPart = childNamed(zip_.get(), "[Content_Types].xml");
    if (!contentTypesPart)
        throw notAWorkbook(QStringLiteral("没有 [Content_Types].xml"));
    ContentTypes types;
    try {
        parse(contentTypesPart.get(), types);
    } catch (const PackageError& error) {
        throw WorkbookError(
            QStringLiteral("“%1”已损坏，无法读取（%2）。").arg(fileName_, QString::fromUtf8(error.what())));
    }

    GsfInput* root = GSF_INPUT(zip_.get());
    std::vector<Relation> rootRelations;
    try {
        rootRelations = relationsOf(root);
    } catch (const PackageError& error) {
        throw WorkbookError(
            QStringLiteral("“%1”已损坏，无法读取（%2）。").arg(fileName_, QString::fromUtf8(error.what())));
    }
    const auto relationOfType = [&](const char* type) -> const Relation* {
        for (const Relation& relation : rootRelations) {
            if (!relation.external && relation.type == type)
                return &relation;
        }
        return nullptr;
    };
    const Relation* relation = relationOfType(kOfficeDocument);
    if (!relation && relationOfType(kStrictOfficeDocument)) {
        throw WorkbookError(QStringLiteral("“%1”是“Strict Open XML 电子表格”格式，不支持。请在 Excel 中把它另存为"
                                           "“Excel 工作簿(*.xlsx)”再导入。")
                                .arg(fileName_));
    }
    if (relation) {
        const std::string& target = relation->target;
        const std::string type = types.typeOf(target);
        if (type == "application/vnd.ms-excel.sheet.binary.macroEnabled.main" || endsWith(target, ".bin")) {
            throw WorkbookError(QStringLiteral("“%1”是 Excel 二进制工作簿(*.xlsb)，不支持。请在 Excel 中把它另存为"
                                               "“Excel 工作簿(*.xlsx)”或“Excel 97-2003 工作簿(*.xls)”再导入。")
                                    .arg(fileName_));
        }
        if (!type.empty() && type.find("spreadsheetml") == std::string::npos &&
            type.find("ms-excel") == std::string::npos)
            throw notAWorkbook(QStringLiteral("其中是 %1").arg(QString::fromStdString(type)));
        workbook_ = resolve(root, target);
        if (!workbook_ || isFolder(workbook_.get())) {
            throw WorkbookError(QStringLiteral("“%1”已损坏：找不到工作簿部分（%2），无法读取。")
                                    .arg(fileName_, QString::fromStdString(target)));
        }
        return;
    }
    // Without the package's relationship, the workbook part where every writer puts it.
    workbook_ = resolve(root, "xl/workbook.xml");
    if (!workbook_ || isFolder(workbook_.get()))
        throw notAWorkbook(QStringLiteral("没有工作簿部分"));
}

// An OpenDocument package says what it is in its first entry, "mimetype"; one without it (some writers leave it out)
// has a content.xml and no [Content_Types].xml. Throws WorkbookError for an OpenDocument of another kind (a text, a
// presentation) and for a spreadsheet without its content.
bool PackageFile::findOpenDocumentContent()
{
    std::string mimetype;
    if (const InputPtr part = childNamed(zip_.get(), "mimetype"); part && !isFolder(part.get())) {
        const qint64 size = std::min<qint64>(gsf_input_size(part.get()), 200);
        mimetype.resize(static_cast<std::size_t>(std::max<qint64>(size, 0)));
        if (size > 0 && !gsf_input_read(part.get(), size, reinterpret_cast<guint8*>(mimetype.data())))
            mimetype.clear();
    }
    const std::string_view type(mimetype);
    if (type.starts_with("application/vnd.oasis.opendocument") &&
        !type.starts_with("application/vnd.oasis.opendocument.spreadsheet")) {
        throw WorkbookError(QStringLiteral("“%1”是 OpenDocument 文件，但不是电子表格（其中是 %2）。")
                                .arg(fileName_, QString::fromStdString(mimetype)) +
                            saveAsReadableFormat());
    }
    const bool spreadsheet = type.starts_with("application/vnd.oasis.opendocument.spreadsheet");
    if (!spreadsheet && childNamed(zip_.get(), "[Content_Types].xml"))
        return false;
    InputPtr content = childNamed(zip_.get(), "content.xml");
    if (!content || isFolder(content.get())) {
        if (!spreadsheet)
            return false;
        throw WorkbookError(
            QStringLiteral("“%1”已损坏：OpenDocument 电子表格中没有 content.xml，无法读取。").arg(fileName_));
    }
    workbook_ = std::move(content);
    openDocument_ = true;
    return true;
}

// The part that a relationship's target names: from the source's folder, or from the root for "/...", every name
// found its letters' case aside. nullptr when a folder or the part is missing.
InputPtr PackageFile::resolve(GsfInput* from, const std::string& target) const
{
    GsfInfile* root = zip_.get();
    std::vector<GsfInfile*> folders; // the way from the root
    if (target.empty() || target.front() != '/') {
        std::vector<GsfInfile*> up;
        GsfInfile* folder = from == GSF_INPUT(root) ? root : gsf_input_container(from);
        for (; folder && folder != root; folder = gsf_input_container(GSF_INPUT(folder)))
            up.push_back(folder);
        folders.assign(up.rbegin(), up.rend());
    }
    std::vector<InputPtr> held; // the folders walked into stay alive during the walk
    std::string_view rest(target);
    InputPtr found;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view element = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (element.empty() || element == ".")
            continue;
        if (element == "..") {
            if (!folders.empty())
                folders.pop_back();
            continue;
        }
        InputPtr child = childNamed(folders.empty() ? root : folders.back(), element);
        if (!child)
            return nullptr;
        if (rest.empty())
            return child;
        if (!isFolder(child.get()))
            return nullptr;
        folders.push_back(GSF_INFILE(child.get()));
        held.push_back(std::move(child));
    }
    return nullptr;
}

// The relationships of the part (or, for the root, of the package), read once. Throws PackageError for a
// relationships part that is damaged.
std::vector<PackageFile::Relation> PackageFile::relationsOf(GsfInput* from) const
{
    const bool isRoot = from == GSF_INPUT(zip_.get());
    const std::string key = isRoot ? std::string() : nameOf(from);
    {
        const std::lock_guard lock(relationsMutex_);
        if (const auto known = relations_.find(key); known != relations_.end())
            return known->second;
    }
    Relationships relationships;
    if (isRoot || gsf_input_name(from)) {
        const std::string partName = isRoot ? std::string() : gsf_input_name(from);
        GsfInfile* folder = isRoot ? zip_.get() : gsf_input_container(from);
        if (folder) {
            if (const InputPtr rels = childNamed(folder, "_rels"); rels && isFolder(rels.get())) {
                if (const InputPtr part = childNamed(GSF_INFILE(rels.get()), partName + ".rels");
                    part && !isFolder(part.get()))
                    parse(part.get(), relationships);
            }
        }
    }
    const std::lock_guard lock(relationsMutex_);
    return relations_.emplace(key, std::move(relationships.relations)).first->second;
}

InputPtr PackageFile::relatedPart(GsfInput* from, const char* relationType) const
{
    for (const Relation& relation : relationsOf(from)) {
        if (!relation.external && relation.type == relationType) {
            InputPtr part = resolve(from, relation.target);
            return part && !isFolder(part.get()) ? std::move(part) : nullptr;
        }
    }
    return nullptr;
}

QByteArray PackageFile::relationType(GsfInput* from, const QByteArray& id) const
{
    for (const Relation& relation : relationsOf(from)) {
        if (relation.id == id.toStdString())
            return relation.external ? QByteArray() : QByteArray::fromStdString(relation.type);
    }
    return {};
}

InputPtr PackageFile::partById(GsfInput* from, const QByteArray& id) const
{
    for (const Relation& relation : relationsOf(from)) {
        if (relation.id == id.toStdString()) {
            if (relation.external)
                return nullptr;
            InputPtr part = resolve(from, relation.target);
            return part && !isFolder(part.get()) ? std::move(part) : nullptr;
        }
    }
    return nullptr;
}

qint64 PackageFile::partSize(GsfInput* part)
{
    return gsf_input_size(part);
}

namespace {

// The part's size, once it is known to be within the cap; the part is rewound to its start.
std::size_t rewound(GsfInput* part, const std::string& partName)
{
    gsf_input_seek(part, 0, G_SEEK_SET);
    const qint64 size = gsf_input_size(part);
    if (size < 0 || size > kMaxPartSize)
        throw PackageError(partName + ": a part too large");
    return static_cast<std::size_t>(size);
}

} // namespace

const ZipEntry* PackageFile::readableEntry(const std::string& partName) const
{
    const ZipEntry* entry = directory_.find(partName);
    if (!entry)
        return nullptr;
    if (entry->encrypted)
        throw PackageError(partName + ": the zip entry is encrypted (a password-protected zip)");
    if (entry->method == 9)
        throw PackageError(partName + ": the zip entry is compressed with Deflate64, which this reader does not "
                                      "read; save the workbook again in Excel");
    if (entry->method != 0 && entry->method != 8)
        throw PackageError(partName + ": the zip entry is compressed with method " + std::to_string(entry->method) +
                           ", which this reader does not read; save the workbook again in Excel");
    return entry;
}

PartStream PackageFile::stream(GsfInput* part) const
{
    PartStream stream{nameOf(part), nullptr};
    const ZipEntry* entry = readableEntry(stream.name);
    stream.chunks = std::make_unique<InflatingReader>(part, rewound(part, stream.name),
                                                      entry ? std::optional(entry->crc) : std::nullopt);
    return stream;
}

void PackageFile::parse(GsfInput* part, XmlHandler& handler) const
{
    const std::string partName = nameOf(part);
    const ZipEntry* entry = readableEntry(partName);
    std::size_t remaining = rewound(part, partName);
    // expat's word for it ("no element found") says nothing to a clerk.
    if (remaining == 0)
        throw PackageError(partName + ": the part is empty, without any XML");
    XmlPartParser parser(handler, partName);
    if (remaining >= kInflateAheadSize) {
        InflatingReader reader(part, remaining, entry ? std::optional(entry->crc) : std::nullopt);
        // Only the reader's errors need the part's name: the parser's name it already.
        const auto next = [&] {
            try {
                return reader.next();
            } catch (const PackageError& error) {
                throw PackageError(partName + ": " + error.what());
            }
        };
        for (std::vector<char> chunk = next(); !chunk.empty(); chunk = next())
            parser.parse(chunk.data(), chunk.size());
        parser.finish();
        return;
    }
    Crc32 crc;
    while (remaining > 0) {
        const std::size_t chunk = std::min(remaining, kChunk);
        char* buffer = parser.buffer(chunk);
        if (!gsf_input_read(part, chunk, reinterpret_cast<guint8*>(buffer)))
            throw PackageError(partName + ": " + kDamagedEntry);
        if (entry) {
            crc.add(buffer, chunk);
            if (remaining == chunk && crc.value() != entry->crc)
                throw PackageError(partName + ": " + kWrongCrc);
        }
        parser.parse(chunk);
        remaining -= chunk;
    }
    parser.finish();
}

} // namespace data::xlsx
