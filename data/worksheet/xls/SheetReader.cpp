// One worksheet's cells, read from its substream into a compact table sorted by row and column.

#include "worksheet/WorkbookErrors.h"
#include "worksheet/xls/BiffReader.h"
#include "worksheet/xls/BiffRecords.h"

#include <QStringDecoder>

#include <cstring>

namespace data::biff {

namespace {

constexpr int kMaxColumns = 256; // columns A to IV
// Charts and other substreams nest inside a worksheet one level deep; a deeper nesting is damage, and the limit
// keeps the cost of reading every sheet proportional to the file.
constexpr int kMaxNesting = 8;

// An RK number: a 30-bit integer or the top 30 bits of a double, either one possibly hundredths.
double rkValue(std::uint32_t rk)
{
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

class SheetBuilder
{
public:
    SheetBuilder(WorksheetData& sheet, const WorkbookData& book) : sheet_(sheet), book_(book)
    {
        if (book.biffVersion == 5)
            decoder_ = QStringDecoder(book.codecName.constData(), QStringConverter::Flag::Stateless); // one cell each
    }

    void read(RecordWalker& walker);
    void finish();

private:
    void add(const Record& record, std::uint32_t minimumSize, CellKind kind, std::uint32_t code)
    {
        if (record.size < minimumSize)
            throw FormatError("cell record too short");
        add(u16(record.data), u16(record.data + 2), Cell{0, 0, kind, code, 0});
    }
    void add(std::uint16_t row, std::uint16_t column, Cell cell)
    {
        if (column >= kMaxColumns)
            throw FormatError("cell beyond column IV");
        cell.row = row;
        cell.column = column;
        std::vector<Cell>& cells = sheet_.cells;
        if (!cells.empty() &&
            (row < cells.back().row || (row == cells.back().row && cell.column <= cells.back().column)))
            inOrder_ = false;
        cells.push_back(cell);
        pendingString_ = -1;
    }
    void addNumber(std::uint16_t row, std::uint16_t column, std::uint16_t xf, double value)
    {
        add(row, column, Cell::make(0, 0, book_.isDateXf(xf) ? CellKind::Date : CellKind::Number, value));
    }
    std::uint32_t readText(ContinuedReader& reader);
    void formula(const Record& record);
    void readCell(const Record& record, RecordWalker& walker);

    WorksheetData& sheet_;
    const WorkbookData& book_;
    QStringDecoder decoder_;
    bool inOrder_ = true;
    long long pendingString_ = -1; // the formula cell whose text result the next STRING record holds
};

// The text of LABEL, RSTRING and STRING records; the formatting runs of RSTRING follow it and are not needed.
std::uint32_t SheetBuilder::readText(ContinuedReader& reader)
{
    QString& buffer = sheet_.texts.buffer();
    if (book_.biffVersion == 8) {
        reader.unicodeString(2, buffer, false);
    } else {
        reader.byteChars(reader.u16(), decoder_, buffer);
    }
    return sheet_.texts.close();
}

void SheetBuilder::formula(const Record& record)
{
    if (record.size < 20)
        throw FormatError("FORMULA record too short");
    const unsigned char* d = record.data;
    const std::uint16_t row = u16(d);
    const std::uint16_t column = u16(d + 2);
    if (u16(d + 12) != 0xFFFF) {
        addNumber(row, column, u16(d + 4), f64(d + 6));
        return;
    }
    switch (d[6]) {
    case 0: // text, in the STRING record that follows
        add(row, column, Cell{0, 0, CellKind::EmptyText, 0, 0});
        pendingString_ = static_cast<long long>(sheet_.cells.size()) - 1;
        break;
    case 1:
        add(row, column, Cell{0, 0, CellKind::Boolean, d[8] ? 1u : 0u, 0});
        break;
    case 2:
        add(row, column, Cell{0, 0, CellKind::Error, d[8], 0});
        break;
    default: // 3: an empty text
        add(row, column, Cell{0, 0, CellKind::EmptyText, 0, 0});
        break;
    }
}

void SheetBuilder::read(RecordWalker& walker)
{
    Record record;
    if (!walker.next(record) || record.id != rBof)
        throw FormatError("no BOF record where the sheet should begin");
    int depth = 1; // charts and other substreams can be nested in a worksheet
    while (walker.next(record)) {
        if (record.id == rBof) {
            if (++depth > kMaxNesting)
                throw FormatError("substreams nested too deep");
            continue;
        }
        if (record.id == rEof) {
            if (--depth == 0)
                return;
            continue;
        }
        if (depth != 1)
            continue;
        try {
            readCell(record, walker);
        } catch (const FormatError& error) {
            throw FormatError(inRecord(error, record));
        }
    }
    throw FormatError("the sheet has no end (EOF record missing)");
}

void SheetBuilder::readCell(const Record& record, RecordWalker& walker)
{
    const unsigned char* d = record.data;
    switch (record.id) {
    case rNumber:
        if (record.size < 14)
            throw FormatError("NUMBER record too short");
        addNumber(u16(d), u16(d + 2), u16(d + 4), f64(d + 6));
        break;
    case rRk:
        if (record.size < 10)
            throw FormatError("RK record too short");
        addNumber(u16(d), u16(d + 2), u16(d + 4), rkValue(u32(d + 6)));
        break;
    case rMulRk: {
        if (record.size < 6)
            throw FormatError("MULRK record too short");
        const std::uint16_t row = u16(d);
        const std::uint16_t first = u16(d + 2);
        const std::uint32_t count = (record.size - 6) / 6;
        if (first + count > kMaxColumns)
            throw FormatError("MULRK beyond column IV");
        for (std::uint32_t i = 0; i < count; ++i) {
            const unsigned char* item = d + 4 + i * 6;
            addNumber(row, static_cast<std::uint16_t>(first + i), u16(item), rkValue(u32(item + 2)));
        }
        break;
    }
    case rLabelSst: {
        if (record.size < 10)
            throw FormatError("LABELSST record too short");
        const std::uint32_t index = u32(d + 6);
        if (index >= book_.sharedStrings.count())
            throw FormatError("LABELSST refers to a shared string that does not exist");
        add(record, 10, CellKind::SharedText, index);
        break;
    }
    case rLabel:
    case rRString: {
        if (record.size < 8)
            throw FormatError("LABEL record too short");
        ContinuedReader reader(record, walker);
        reader.skip(6);
        const std::uint32_t index = readText(reader);
        add(u16(d), u16(d + 2), Cell{0, 0, CellKind::Text, index, 0});
        break;
    }
    case rBoolErr:
        if (record.size < 8)
            throw FormatError("BOOLERR record too short");
        if (d[7])
            add(record, 8, CellKind::Error, d[6]);
        else
            add(record, 8, CellKind::Boolean, d[6] ? 1u : 0u);
        break;
    case rFormula:
    case rFormula4:
        formula(record);
        break;
    case rString: {
        if (pendingString_ < 0)
            break; // a STRING without its formula: nothing to attach it to
        const long long cell = pendingString_;
        ContinuedReader reader(record, walker);
        sheet_.cells[cell].low = readText(reader);
        sheet_.cells[cell].kind = CellKind::Text;
        pendingString_ = -1;
        break;
    }
    case rBlank:
    case rMulBlank:
        break; // formatted, but holding no value
    default:
        break;
    }
}

void SheetBuilder::finish()
{
    indexCells(sheet_, inOrder_);
    sheet_.texts.squeeze();
}

// The number of cells the sheet's records hold at most, so that the table is allocated once.
std::size_t countCells(const QByteArray& stream, std::uint32_t offset)
{
    RecordWalker walker(stream, offset);
    Record record;
    std::size_t count = 0;
    int depth = 0;
    while (walker.next(record)) {
        if (record.id == rBof) {
            if (++depth > kMaxNesting)
                break;
        } else if (record.id == rEof) {
            if (--depth <= 0)
                break;
        } else if (depth == 1) {
            switch (record.id) {
            case rNumber:
            case rRk:
            case rLabelSst:
            case rLabel:
            case rRString:
            case rBoolErr:
            case rFormula:
            case rFormula4:
                ++count;
                break;
            case rMulRk:
                count += record.size / 6;
                break;
            default:
                break;
            }
        }
    }
    return count;
}

} // namespace

std::shared_ptr<const WorksheetData> readWorksheet(const std::shared_ptr<const WorkbookData>& book,
                                                   const SheetEntry& entry)
{
    const auto sheet = emptyWorksheet(book, entry.name);
    try {
        if (entry.offset >= static_cast<std::uint32_t>(book->stream.size()))
            throw FormatError("the sheet lies past the end of the workbook");
        sheet->cells.reserve(countCells(book->stream, entry.offset));
        RecordWalker walker(book->stream, entry.offset);
        SheetBuilder builder(*sheet, *book);
        builder.read(walker);
        builder.finish();
    } catch (const FormatError& error) {
        throw SheetError(
            QStringLiteral("工作表“%1”已损坏，无法读取（%2）。").arg(entry.name, QString::fromUtf8(error.what())));
    }
    return sheet;
}

} // namespace data::biff
