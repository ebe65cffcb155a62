#pragma once
// An Office Open XML workbook package (.xlsx, .xlsm) opened through libgsf's zip reader: the workbook part found
// through the package's relationships, the parts related to it, and every XML part streamed through expat within
// caps on its inflated size, so that a crafted zip costs no more than a bounded multiple of its own size.

#include "worksheet/GsfSupport.h"
#include "worksheet/xlsx/XmlParts.h"
#include "worksheet/xlsx/ZipDirectory.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <mutex>
#include <vector>
#include <string>

namespace data::xlsx {

class InflatingReader;

// A part's bytes as they are inflated, on a thread of their own, for a reader that takes them in chunks.
struct PartStream
{
    std::string name; // for messages
    std::unique_ptr<InflatingReader> chunks;
};

class PackageFile
{
public:
    // A relationship of a part, as its relationships part states it.
    struct Relation
    {
        std::string id;
        std::string type;
        std::string target;
        bool external = false;
    };

    // A zip whose first bytes say so. Throws WorkbookError with the clerk's message for a damaged zip, a zip that
    // is no workbook, a binary (.xlsb) or a strict-namespace workbook.
    // fileBytes: the bytes a memory input reads in place, kept as long as the package.
    static std::shared_ptr<const PackageFile> open(gsf::InputPtr source, const QString& fileName,
                                                   const QByteArray& fileBytes = {});

    const QString& fileName() const { return fileName_; }
    GsfInput* workbookPart() const { return workbook_.get(); }
    // The first part that `from` relates to with this relationship type; nullptr when there is none.
    gsf::InputPtr relatedPart(GsfInput* from, const char* relationType) const;
    // The relationship's type and its part; an empty type and nullptr when `from` has no such relationship.
    QByteArray relationType(GsfInput* from, const QByteArray& id) const;
    gsf::InputPtr partById(GsfInput* from, const QByteArray& id) const;
    // The part's inflated size as its zip entry gives it (what parse() reads at most).
    static qint64 partSize(GsfInput* part);
    // Streams the part's XML to the handler. Throws PackageError for damage (bytes that do not match the CRC-32
    // of their zip entry among it); the handler's own exceptions pass.
    void parse(GsfInput* part, XmlHandler& handler) const;
    // The part's bytes from its start, their CRC-32 checked at the end. Throws PackageError for a part too large,
    // or one that cannot be read (encrypted, compressed in a way zip readers rarely know).
    PartStream stream(GsfInput* part) const;

    static bool hasZipSignature(const char* firstBytes, qint64 size);

    // An OpenDocument spreadsheet (.ods) rather than an Office Open XML workbook: workbookPart() is its content.xml.
    bool isOpenDocument() const { return openDocument_; }

private:
    PackageFile(gsf::InputPtr source, gsf::InfilePtr zip, const QString& fileName, const QByteArray& fileBytes,
                ZipDirectory directory);
    void checkInflatedSizes() const;
    // The part's zip entry; nullptr when the directory does not name it. Throws PackageError for an entry that
    // cannot be read.
    const ZipEntry* readableEntry(const std::string& partName) const;
    gsf::InputPtr resolve(GsfInput* from, const std::string& target) const;
    std::vector<Relation> relationsOf(GsfInput* from) const;
    void findWorkbookPart();
    bool findOpenDocumentContent();

    QByteArray fileBytes_;
    gsf::InputPtr source_;
    gsf::InfilePtr zip_;
    gsf::InputPtr workbook_;
    QString fileName_;
    ZipDirectory directory_;
    bool openDocument_ = false;
    mutable std::mutex relationsMutex_;
    mutable std::map<std::string, std::vector<Relation>> relations_; // by part name, "" for the package's own
};

} // namespace data::xlsx
