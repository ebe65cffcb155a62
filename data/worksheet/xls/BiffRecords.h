#pragma once
// BIFF records of an Excel 97-2003 (BIFF8) or Excel 5/95 (BIFF5) workbook stream: walking the records with bounds
// checks, and reading values and strings that may run on into CONTINUE records.

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace data::biff {

enum RecordId : std::uint16_t {
    rFormula = 0x0006,
    rEof = 0x000A,
    rDateMode = 0x0022,
    rFilePass = 0x002F,
    rContinue = 0x003C,
    rCodePage = 0x0042,
    rBoundSheet = 0x0085,
    rMulRk = 0x00BD,
    rMulBlank = 0x00BE,
    rRString = 0x00D6,
    rXf = 0x00E0,
    rSst = 0x00FC,
    rLabelSst = 0x00FD,
    rDimensions = 0x0200,
    rBlank = 0x0201,
    rNumber = 0x0203,
    rLabel = 0x0204,
    rBoolErr = 0x0205,
    rString = 0x0207,
    rRk = 0x027E,
    rFormula4 = 0x0406,
    rFormat = 0x041E,
    rBof = 0x0809,
    rBof2 = 0x0009,
    rBof3 = 0x0209,
    rBof4 = 0x0409,
};

// Raised for any record that does not hold together; the caller turns it into a workbook or sheet error.
class FormatError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct Record;
// The error's text with the record it was found in, for the message that reports a damaged file.
std::string inRecord(const FormatError& error, const Record& record);

inline std::uint16_t u16(const unsigned char* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t u32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
double f64(const unsigned char* p);

struct Record
{
    std::uint16_t id = 0;
    std::uint32_t offset = 0; // of the record header in the stream
    const unsigned char* data = nullptr;
    std::uint32_t size = 0;
};

// Walks the records of a stream from a given offset. A header or body that runs past the end is an error.
class RecordWalker
{
public:
    RecordWalker(const QByteArray& stream, std::uint32_t offset);
    bool next(Record& record); // false at the end of the stream
    // The record that next() would return, without moving on; false at the end.
    bool peek(Record& record) const;
    std::uint32_t position() const { return pos_; }

private:
    const unsigned char* base_;
    std::uint32_t size_;
    std::uint32_t pos_;
};

// One record and the CONTINUE records that follow it, read as one sequence of bytes, except that a BIFF8
// string's characters re-read their compressed/uncompressed flag at each CONTINUE they cross.
class ContinuedReader
{
public:
    // Takes the record and consumes the CONTINUE records after it from the walker.
    ContinuedReader(const Record& first, RecordWalker& walker);
    // Only the given record; running past its end is an error.
    explicit ContinuedReader(const Record& only);

    bool atEnd() const;
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    void skip(std::uint32_t bytes);
    // BIFF8 string characters after their header; flags bit 0 says 16-bit characters.
    void unicodeChars(std::uint32_t count, bool wide, QString& out);
    // A whole BIFF8 string: count of lengthBytes (1 or 2), flags, optional runs and phonetic block (skipped).
    void unicodeString(int lengthBytes, QString& out, bool mayBeRich);
    // BIFF5 8-bit string of count bytes in the workbook's code page.
    void byteChars(std::uint32_t count, QStringDecoder& decoder, QString& out);

private:
    struct Part
    {
        const unsigned char* data;
        std::uint32_t size;
    };
    void advancePart(); // to the next part; error if none
    std::uint32_t available() const { return parts_[part_].size - pos_; }
    std::vector<Part> parts_;
    std::size_t part_ = 0;
    std::uint32_t pos_ = 0;
};

// The reader's name for the 16-bit code page number of a CODEPAGE record; empty if unknown.
QByteArray codecNameForCodePage(int codePage);

} // namespace data::biff
