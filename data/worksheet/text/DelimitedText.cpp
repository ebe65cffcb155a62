// Delimited text: sniffing the encoding and the delimiter, cutting the text into pieces of whole records outside
// quotes, and parsing each piece into cells on the reader threads.

#include "worksheet/text/DelimitedText.h"

#include "queue/BoundedQueue.h"
#include "queue/Quantities.h"
#include "worksheet/CellFormats.h"
#include "worksheet/text/RecordScanner.h"
#include "worksheet/WorkbookErrors.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>

namespace data::text {

namespace {

constexpr std::uint32_t kMaxRows = 1048576;
constexpr std::uint32_t kMaxColumns = 16384;
constexpr std::size_t kMaxCells = std::size_t(1) << 25;
constexpr qint64 kSampleBytes = qint64(4) << 20; // what the encoding and the delimiter are told from
constexpr std::size_t kReadBytes = std::size_t(1) << 20;

// The file's bytes after the byte order mark, a chunk at a time.
class ByteChunks
{
public:
    explicit ByteChunks(const DelimitedFile& file) : file_(file), position_(qint64(bomLength(file.encoding)))
    {
        if (!file.path.isEmpty()) {
            disk_.setFileName(file.path);
            if (!disk_.open(QIODevice::ReadOnly) || !disk_.seek(position_))
                throw SheetError(QStringLiteral("文件“%1”无法打开：%2").arg(file.path, disk_.errorString()));
        }
    }
    // Empty at the end.
    std::string next()
    {
        if (file_.path.isEmpty()) {
            const qint64 size = std::min<qint64>(qint64(kReadBytes), file_.bytes.size() - position_);
            std::string chunk(file_.bytes.constData() + position_, static_cast<std::size_t>(std::max<qint64>(size, 0)));
            position_ += qint64(chunk.size());
            return chunk;
        }
        std::string chunk(kReadBytes, '\0');
        const qint64 read = disk_.read(chunk.data(), qint64(chunk.size()));
        if (read < 0)
            throw SheetError(QStringLiteral("文件“%1”读取出错：%2").arg(file_.fileName, disk_.errorString()));
        chunk.resize(static_cast<std::size_t>(read));
        return chunk;
    }

private:
    const DelimitedFile& file_;
    QFile disk_;
    qint64 position_;
};

// The chunks as units: bytes as they are, UTF-16 in the machine's order.
template <typename Unit> class UnitChunks
{
public:
    explicit UnitChunks(const DelimitedFile& file) : bytes_(file), bigEndian_(file.encoding == Encoding::Utf16Be) {}
    std::basic_string<Unit> next()
    {
        std::string chunk = bytes_.next();
        if constexpr (sizeof(Unit) == 1) {
            return chunk;
        } else {
            if (chunk.empty()) {
                oddByteAtEnd = carry_.has_value();
                return {};
            }
            if (carry_) {
                chunk.insert(chunk.begin(), *carry_);
                carry_.reset();
            }
            if (chunk.size() % 2) {
                carry_ = chunk.back();
                chunk.pop_back();
            }
            std::basic_string<Unit> units(chunk.size() / 2, Unit(0));
            for (std::size_t i = 0; i < units.size(); ++i) {
                const auto a = static_cast<unsigned char>(chunk[2 * i]);
                const auto b = static_cast<unsigned char>(chunk[2 * i + 1]);
                units[i] = bigEndian_ ? Unit((a << 8) | b) : Unit((b << 8) | a);
            }
            if (units.empty()) // a lone byte read: not the end yet
                return next();
            return units;
        }
    }
    bool oddByteAtEnd = false;

private:
    ByteChunks bytes_;
    bool bigEndian_;
    std::optional<char> carry_;
};

struct Problem
{
    std::uint32_t record; // 0-based, within the piece (or the file, for the cutter's)
    QString reason;
};

struct PieceResult
{
    WorksheetData sheet; // rows from 0 within the piece
    std::uint32_t records = 0;
    std::optional<Problem> problem;
};

// A field's text as a number cell when the number writes back as exactly the same text (so it reads the same and
// costs no string): "12", "-3.5", not "0123", "1.50" or "1e5".
std::optional<double> plainNumber(const char16_t* units, std::size_t size)
{
    if (size == 0 || size > 17)
        return std::nullopt;
    char digits[20];
    for (std::size_t i = 0; i < size; ++i) {
        const char16_t u = units[i];
        if (!((u >= u'0' && u <= u'9') || u == u'-' || u == u'.'))
            return std::nullopt;
        digits[i] = char(u);
    }
    double value = 0;
    const auto result = std::from_chars(digits, digits + size, value);
    if (result.ec != std::errc() || result.ptr != digits + size)
        return std::nullopt;
    ValueChars chars;
    const QStringView written = generalNumberText(value, u'.', chars);
    if (written.size() != qsizetype(size) ||
        !std::equal(written.begin(), written.end(), units, [](QChar a, char16_t b) { return a.unicode() == b; }))
        return std::nullopt;
    return value;
}

// The cells of a piece of whole records.
template <typename Unit> class FieldSink
{
public:
    FieldSink(PieceResult& result, Encoding encoding) : result_(result), decoder_(encoding) {}

    void text(const Unit* begin, const Unit* end) { field_.append(begin, end); }
    void endField()
    {
        if (!result_.problem)
            addCell();
        field_.clear();
        ++column_;
        inRecord_ = true;
    }
    bool endRecord(std::size_t)
    {
        ++result_.records;
        column_ = 0;
        inRecord_ = false;
        return true;
    }
    bool inRecord() const { return inRecord_; }

private:
    void fail(const QString& reason)
    {
        if (!result_.problem)
            result_.problem = Problem{result_.records, reason};
    }

    void addCell()
    {
        if (field_.empty())
            return;
        if (column_ >= kMaxColumns)
            return fail(QStringLiteral("多于 %1 列，超出工作表能容纳的列数").arg(kMaxColumns));
        if (result_.sheet.cells.size() >= kMaxCells)
            return fail(QStringLiteral("单元格太多，超出一张工作表能容纳的数量"));
        if (std::find(field_.begin(), field_.end(), Unit(0)) != field_.end())
            return fail(QStringLiteral("含有 NUL 字节（文件已损坏，或不是文本文件）"));
        // ="0123": the spreadsheet way of writing a text that looks like a number.
        std::basic_string_view<Unit> value(field_);
        bool forcedText = false;
        if (value.size() >= 3 && value[0] == Unit('=') && value[1] == Unit('"') && value.back() == Unit('"')) {
            unquoted_.clear();
            for (std::size_t i = 2; i + 1 < value.size(); ++i) {
                unquoted_.push_back(value[i]);
                if (value[i] == Unit('"') && i + 2 < value.size() && value[i + 1] == Unit('"'))
                    ++i;
            }
            value = unquoted_;
            forcedText = true;
        }
        StringTable& texts = result_.sheet.texts;
        QString& chars = texts.buffer();
        const qsizetype before = chars.size();
        bool decoded;
        if constexpr (sizeof(Unit) == 1)
            decoded = decoder_.append(std::string_view(value.data(), value.size()), chars);
        else
            decoded = appendUtf16(std::u16string_view(value.data(), value.size()), chars);
        if (!decoded)
            return fail(QStringLiteral("有不属于 %1 编码的字节（文件可能已损坏，或混用了几种编码）")
                            .arg(encodingName(decoder_.encoding())));
        const auto* written = reinterpret_cast<const char16_t*>(chars.constData()) + before;
        const std::size_t length = static_cast<std::size_t>(chars.size() - before);
        if (!forcedText) {
            if (const std::optional<double> number = plainNumber(written, length)) {
                chars.truncate(before);
                result_.sheet.cells.push_back(
                    Cell::make(result_.records, static_cast<std::uint16_t>(column_), CellKind::Number, *number));
                return;
            }
        }
        result_.sheet.cells.push_back(
            Cell{result_.records, static_cast<std::uint16_t>(column_), CellKind::Text, sharedText(texts, before), 0});
    }

    // The index of the text just written at `from`: of an earlier text of the piece where a short one repeats (units,
    // pack sizes, codes of a kind repeat down a column), so that it costs no characters and no offset again; a
    // small direct-mapped cache, no allocation.
    std::uint32_t sharedText(StringTable& texts, qsizetype from)
    {
        QString& chars = texts.buffer();
        const QStringView text(chars.constData() + from, chars.size() - from);
        if (text.size() > kShortText)
            return texts.close();
        std::uint32_t hash = 2166136261u;
        for (const QChar c : text)
            hash = (hash ^ c.unicode()) * 16777619u;
        std::uint32_t& slot = recent_[hash % recent_.size()];
        if (slot != 0 && texts.view(slot - 1) == text) {
            chars.truncate(from);
            return slot - 1;
        }
        slot = texts.close() + 1;
        return slot - 1;
    }

    PieceResult& result_;
    ByteDecoder decoder_;
    std::basic_string<Unit> field_;
    std::basic_string<Unit> unquoted_;
    std::uint32_t column_ = 0;
    bool inRecord_ = false;
    static constexpr qsizetype kShortText = 24;
    std::array<std::uint32_t, 4096> recent_{}; // text index + 1 by hash, 0 for none
};

// One piece of whole records (the last may lack its line break) into cells.
template <typename Unit> PieceResult parsePiece(const std::basic_string<Unit>& units, Encoding encoding, Unit delimiter)
{
    PieceResult result;
    result.sheet.cells.reserve(units.size() / 8 + 16);
    FieldSink<Unit> sink(result, encoding);
    ScanState state;
    scanRecords(units.data(), units.size(), 0, state, delimiter, encoding == Encoding::Gb18030, true, sink);
    if (state.at != ScanState::At::FieldStart || sink.inRecord()) {
        sink.endField();
        sink.endRecord(units.size());
    }
    result.sheet.texts.squeeze();
    return result;
}

// Finds where records end, for the cuts; counts them, for the messages.
struct RecordEnds
{
    std::size_t cutFrom = 0; // the first record end at or after this stops the scan
    std::size_t lastEnd = 0;
    std::uint32_t records = 0;
    std::size_t maxLine = 0;
    std::optional<std::uint32_t> tooLong; // the first record longer than maxLine
    template <typename Unit> void text(const Unit*, const Unit*) {}
    void endField() {}
    bool endRecord(std::size_t after)
    {
        if (after - lastEnd > maxLine && !tooLong)
            tooLong = records;
        lastEnd = after;
        ++records;
        return after < cutFrom;
    }
};

// Parsing threads that take pieces from one queue as each is free; results are handed out in the order given.
class PieceParsers
{
public:
    using Parse = std::function<PieceResult(std::size_t)>;
    explicit PieceParsers(int threads) : pieces_(sizes::kPiecesQueued), results_(sizes::kPiecesQueued)
    {
        results_.produce(
            [this](std::stop_token stop) {
                while (std::optional<Piece> piece = pieces_.pop(stop)) {
                    if (!results_.push(Parsed{piece->index, piece->parse()}, stop))
                        return;
                }
            },
            threads);
    }
    ~PieceParsers() { pieces_.close(); }
    PieceParsers(const PieceParsers&) = delete;
    PieceParsers& operator=(const PieceParsers&) = delete;

    void add(std::function<PieceResult()> parse) { pieces_.push(Piece{added_++, std::move(parse)}); }
    std::size_t outstanding() const { return added_ - taken_; }
    PieceResult takeNext()
    {
        auto found = early_.find(taken_);
        while (found == early_.end()) {
            std::optional<Parsed> parsed = results_.pop();
            if (!parsed)
                throw std::logic_error("a piece was taken that was never given");
            const std::size_t index = parsed->index;
            early_.emplace(index, std::move(parsed->result));
            found = early_.find(taken_);
        }
        PieceResult result = std::move(found->second);
        early_.erase(found);
        ++taken_;
        return result;
    }

private:
    struct Piece
    {
        std::size_t index;
        std::function<PieceResult()> parse;
    };
    struct Parsed
    {
        std::size_t index;
        PieceResult result;
    };
    std::size_t added_ = 0;
    std::size_t taken_ = 0;
    std::map<std::size_t, PieceResult> early_;
    BoundedQueue<Piece> pieces_;
    BoundedQueue<Parsed> results_; // last: its parsers stop before the pieces go
};

QString rowLabel(std::uint32_t record)
{
    return QStringLiteral("第 %1 行").arg(qulonglong(record) + 1);
}

template <typename Unit>
void readPieces(const DelimitedFile& file, WorksheetData& sheet, const SheetReading& reading, int threads)
{
    const Unit delimiter = Unit(file.delimiter);
    const bool gb18030 = file.encoding == Encoding::Gb18030;
    const std::size_t pieceUnits = std::max<std::size_t>(reading.pieceBytes / sizeof(Unit), 1);
    const std::size_t maxLineUnits = kMaxLineBytes / sizeof(Unit);
    const auto refuse = [&](std::uint32_t record, const QString& reason) {
        return SheetError(QStringLiteral("“%1”%2%3，无法读取。请在原来的程序中重新导出，或用文本编辑器改正后再导入。")
                              .arg(file.fileName, rowLabel(record), reason));
    };

    std::uint32_t rows = 0;
    const auto take = [&](PieceResult piece) {
        if (piece.problem)
            throw refuse(rows + piece.problem->record, piece.problem->reason);
        if (std::size_t(rows) + piece.records > kMaxRows)
            throw refuse(kMaxRows, QStringLiteral("之后还有行：超出一张工作表能容纳的 %1 行").arg(kMaxRows));
        if (sheet.cells.size() + piece.sheet.cells.size() > kMaxCells)
            throw refuse(rows, QStringLiteral("起单元格太多，超出一张工作表能容纳的数量"));
        const std::uint32_t firstText = sheet.texts.append(piece.sheet.texts);
        for (Cell cell : piece.sheet.cells) {
            if (cell.kind == CellKind::Text)
                cell.low += firstText;
            cell.row += rows;
            sheet.cells.push_back(cell);
        }
        rows += piece.records;
    };

    std::optional<PieceParsers> parsers;
    if (threads > 1)
        parsers.emplace(threads);
    const auto give = [&](std::basic_string<Unit> units) {
        if (!parsers)
            return take(parsePiece(units, file.encoding, delimiter));
        parsers->add([units = std::move(units), encoding = file.encoding, delimiter] {
            return parsePiece(units, encoding, delimiter);
        });
        while (parsers->outstanding() > static_cast<std::size_t>(threads) + sizes::kPiecesAhead)
            take(parsers->takeNext());
    };
    const auto drain = [&] {
        while (parsers && parsers->outstanding() > 0)
            take(parsers->takeNext());
    };

    UnitChunks<Unit> chunks(file);
    std::basic_string<Unit> pending;
    ScanState state;
    RecordEnds ends;
    std::size_t scanned = 0;
    std::uint32_t recordsBefore = 0; // records of the pieces given
    bool complete = false;
    while (!complete) {
        const std::basic_string<Unit> chunk = chunks.next();
        complete = chunk.empty();
        pending += chunk;
        for (;;) {
            ends.cutFrom = pieceUnits;
            ends.maxLine = maxLineUnits;
            scanned = scanRecords(pending.data(), pending.size(), scanned, state, delimiter, gb18030, complete, ends);
            if (ends.tooLong) {
                drain();
                throw refuse(recordsBefore + *ends.tooLong, QStringLiteral("长于 1 MiB，不像是表格的一行"));
            }
            if (ends.lastEnd < pieceUnits || ends.lastEnd == 0)
                break;
            // A piece: the records up to the first end at or after pieceUnits.
            give(pending.substr(0, ends.lastEnd));
            pending.erase(0, ends.lastEnd);
            scanned -= ends.lastEnd;
            recordsBefore += ends.records;
            ends = RecordEnds{};
        }
        if (scanned - ends.lastEnd > maxLineUnits) {
            drain();
            if (state.at == ScanState::At::Quoted)
                throw refuse(recordsBefore + ends.records,
                             QStringLiteral("起有一个引号没有配对，其后 1 MiB 以上的文字都在引号里"));
            throw refuse(recordsBefore + ends.records, QStringLiteral("长于 1 MiB，不像是表格的一行"));
        }
    }
    if (state.at == ScanState::At::Quoted) {
        drain();
        throw refuse(recordsBefore + ends.records,
                     QStringLiteral("起有一个引号没有配对，直到文件末尾都在引号里（文件不完整，或引号写错了）"));
    }
    if constexpr (sizeof(Unit) == 2) {
        if (chunks.oddByteAtEnd) {
            drain();
            throw refuse(recordsBefore + ends.records,
                         QStringLiteral("之后文件末尾多出半个 UTF-16 字符（文件不完整）"));
        }
    }
    if (!pending.empty())
        give(std::move(pending));
    drain();
}

QString delimiterName(char16_t delimiter)
{
    switch (delimiter) {
    case u'\t':
        return QStringLiteral("制表符分隔");
    case u';':
        return QStringLiteral("分号分隔");
    case u'|':
        return QStringLiteral("竖线分隔");
    default:
        return QStringLiteral("逗号分隔");
    }
}

// Counts the fields of each record.
struct FieldCounts
{
    std::vector<int> counts;
    int fields = 0;
    std::size_t maxRecords = 50;
    template <typename Unit> void text(const Unit*, const Unit*) {}
    void endField() { ++fields; }
    bool endRecord(std::size_t)
    {
        counts.push_back(fields);
        fields = 0;
        return counts.size() < maxRecords;
    }
};

// The delimiter that splits the first records most alike into two fields or more: of the candidates, the one whose
// most common field count (at least two) the most records share; comma first where they tie.
template <typename Unit> char16_t sniffDelimiter(const std::basic_string<Unit>& sample, Encoding encoding, bool whole)
{
    char16_t best = u',';
    std::size_t bestShare = 0;
    for (const char16_t candidate : {u',', u'\t', u';', u'|'}) {
        FieldCounts counts;
        ScanState state;
        scanRecords(sample.data(), sample.size(), 0, state, Unit(candidate), encoding == Encoding::Gb18030, whole,
                    counts);
        if (whole && counts.fields > 0 && counts.counts.size() < counts.maxRecords)
            counts.endRecord(0);
        std::map<int, std::size_t> tally;
        for (const int n : counts.counts) {
            if (n >= 2)
                ++tally[n];
        }
        for (const auto& [fields, share] : tally) {
            if (share > bestShare) {
                best = candidate;
                bestShare = share;
            }
        }
    }
    return best;
}

template <typename Unit> std::basic_string<Unit> sampleUnits(const DelimitedFile& file, bool& whole)
{
    UnitChunks<Unit> chunks(file);
    std::basic_string<Unit> sample;
    whole = false;
    while (sample.size() * sizeof(Unit) < std::size_t(1) << 16) {
        const std::basic_string<Unit> chunk = chunks.next();
        if (chunk.empty()) {
            whole = true;
            break;
        }
        sample += chunk;
    }
    return sample;
}

} // namespace

bool looksLikeText(const QByteArray& firstBytes)
{
    if (firstBytes.startsWith("\xFF\xFE") || firstBytes.startsWith("\xFE\xFF"))
        return true;
    if (firstBytes.isEmpty())
        return false;
    qsizetype controls = 0;
    for (const char c : firstBytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1A)
            ++controls;
    }
    return controls <= 2 || controls * 100 <= firstBytes.size(); // a stray NUL or control byte in text
}

std::shared_ptr<const WorkbookData> readDelimitedWorkbook(DelimitedFile file)
{
    QByteArray sample;
    if (file.path.isEmpty()) {
        sample = file.bytes.left(kSampleBytes);
    } else {
        QFile disk(file.path);
        if (!disk.open(QIODevice::ReadOnly))
            throw WorkbookError(QStringLiteral("文件“%1”无法打开：%2").arg(file.path, disk.errorString()));
        sample = disk.read(kSampleBytes);
    }
    if (sample.isEmpty())
        throw WorkbookError(QStringLiteral("“%1”是空文件，其中没有可以导入的内容。").arg(file.fileName));
    const bool wholeSample =
        file.path.isEmpty() ? sample.size() == file.bytes.size() : sample.size() == QFileInfo(file.path).size();
    file.encoding = detectEncoding(std::string_view(sample.constData(), std::size_t(sample.size())), wholeSample);
    bool whole = false;
    if (isUtf16(file.encoding))
        file.delimiter = sniffDelimiter(sampleUnits<char16_t>(file, whole), file.encoding, whole);
    else
        file.delimiter = sniffDelimiter(sampleUnits<char>(file, whole), file.encoding, whole);

    auto book = std::make_shared<WorkbookData>();
    book->format = WorkbookFormat::DelimitedText;
    book->formatNote =
        QStringLiteral("CSV 文本，%1 编码，%2").arg(encodingName(file.encoding), delimiterName(file.delimiter));
    QString sheetName = QFileInfo(file.fileName).completeBaseName();
    if (sheetName.isEmpty())
        sheetName = file.fileName;
    book->sheets.push_back(SheetEntry{sheetName, 0, {}});
    book->delimited = std::make_shared<const DelimitedFile>(std::move(file));
    return book;
}

std::shared_ptr<const WorksheetData> readDelimitedSheet(const std::shared_ptr<const WorkbookData>& book,
                                                        const SheetEntry& entry, const SheetReading& reading)
{
    const DelimitedFile& file = *book->delimited;
    const auto sheet = emptyWorksheet(book, entry.name);
    sheet->decimalPoint = u'.'; // numbers are kept only where they write back as the text itself
    const qint64 size = file.path.isEmpty() ? file.bytes.size() : QFileInfo(file.path).size();
    // Reserved, not touched: pages cost memory only as cells fill them. A cell takes two bytes at least ("1,").
    sheet->cells.reserve(std::min<std::size_t>(std::size_t(std::max<qint64>(size, 0)) / 2 + 16, kMaxCells));
    // So are the texts (never more characters than bytes, texts than half of them): growing them piece by piece
    // would copy them each time their storage doubles, and the copies would be the peak of the reading.
    sheet->texts.reserve(std::size_t(std::max<qint64>(size, 0)) / 2 + 16, std::max<qint64>(size, 0) + 16);
    const int threads = reading.threads > 0 ? reading.threads : static_cast<int>(std::thread::hardware_concurrency());
    const bool inPieces = std::size_t(std::max<qint64>(size, 0)) >= reading.piecesFrom && threads >= 2;
    if (isUtf16(file.encoding))
        readPieces<char16_t>(file, *sheet, reading, inPieces ? threads : 1);
    else
        readPieces<char>(file, *sheet, reading, inPieces ? threads : 1);
    indexCells(*sheet, true);
    sheet->texts.squeeze();
    return sheet;
}

} // namespace data::text
