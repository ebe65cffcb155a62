#include "worksheet/xlsx/SheetPieces.h"

#include "queue/BoundedQueue.h"
#include "queue/Quantities.h"
#include "worksheet/xlsx/InflatingReader.h"
#include "worksheet/xlsx/PackageFile.h"
#include "worksheet/xlsx/PlainRows.h"
#include "worksheet/xlsx/RowCuts.h"
#include "worksheet/xlsx/SheetPart.h"

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace data::xlsx {

namespace {

struct PieceResult
{
    bool parsed = false; // false: the piece did not parse on its own, and the part is read in one pass
    WorksheetData sheet; // its cells and texts
    bool inOrder = true;
    std::optional<std::uint32_t> lastRow;
};

// Parsing threads that take the pieces from one queue as each is free; their results come back through one queue in
// the order they are done, and are handed out in the order the pieces were given.
class PieceParsers
{
public:
    PieceParsers(int threads, const WorkbookData& book, std::string partName, int depth)
        : book_(book), partName_(std::move(partName)), depth_(depth), pieces_(sizes::kPiecesQueued),
          results_(sizes::kPiecesQueued)
    {
        results_.produce(
            [this](std::stop_token stop) {
                while (std::optional<Piece> piece = pieces_.pop(stop)) {
                    if (!results_.push(Parsed{piece->index, parse(piece->bytes)}, stop))
                        return;
                }
            },
            threads);
    }

    ~PieceParsers() { pieces_.close(); } // the parsers wait for pieces no more, and results_ joins them

    PieceParsers(const PieceParsers&) = delete;
    PieceParsers& operator=(const PieceParsers&) = delete;

    void add(std::string bytes) { pieces_.push(Piece{added_++, std::move(bytes)}); }

    // Pieces given and not yet taken.
    std::size_t outstanding() const { return added_ - taken_; }

    // The result of the oldest piece not yet taken, once it is parsed. Rethrows what stopped a parser.
    PieceResult takeNext()
    {
        auto found = early_.find(taken_);
        while (found == early_.end()) {
            std::optional<Parsed> parsed = results_.pop();
            if (!parsed)
                throw std::logic_error("a piece was taken that was never given");
            found = early_.emplace(parsed->index, std::move(parsed->result)).first;
            if (parsed->index != taken_)
                found = early_.end();
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
        std::string bytes;
    };
    struct Parsed
    {
        std::size_t index;
        PieceResult result;
    };

    PieceResult parse(std::string& bytes) const
    {
        PieceResult result;
        try {
            // The shortest cell, <c><v>1</v></c>, takes 15 bytes.
            result.sheet.cells.reserve(bytes.size() / 15 + 16);
            std::optional<SheetPart> handler;
            handler.emplace(result.sheet, book_, SheetPart::Scope::Piece);
            if (!readPlainRows(bytes, *handler)) {
                // Afresh through expat, which reads what the plain reading leaves or says what is wrong.
                result.sheet.cells.clear();
                result.sheet.texts = StringTable();
                handler.emplace(result.sheet, book_, SheetPart::Scope::Piece);
                // The rows stand inside an element of their own, one level up, so they nest as deep as in the part.
                static constexpr std::string_view open = "<piece>";
                static constexpr std::string_view close = "</piece>";
                XmlPartParser parser(*handler, partName_, depth_ - 1);
                parser.parse(open.data(), open.size());
                parser.parse(bytes.data(), bytes.size());
                parser.parse(close.data(), close.size());
                parser.finish();
            }
            result.parsed = true;
            result.inOrder = handler->inOrder();
            result.lastRow = handler->lastRow();
        } catch (const PackageError&) {
            result.sheet.cells = {}; // one pass finds what is wrong and says where
        } catch (const RowNumberUnknown&) {
            result.sheet.cells = {};
        }
        bytes = std::string();
        return result;
    }

    const WorkbookData& book_;
    const std::string partName_;
    const int depth_;
    std::size_t added_ = 0;
    std::size_t taken_ = 0;
    std::map<std::size_t, PieceResult> early_; // parsed before the pieces given ahead of them
    BoundedQueue<Piece> pieces_;
    BoundedQueue<Parsed> results_; // last: its parsers stop before the pieces go
};

bool comesBefore(const Cell& a, const Cell& b)
{
    return a.row < b.row || (a.row == b.row && a.column < b.column);
}

// The next chunk of the part, empty at its end; nothing when it cannot be inflated, which one pass then reports.
std::optional<std::vector<char>> nextChunk(InflatingReader& chunks)
{
    try {
        return chunks.next();
    } catch (const PackageError&) {
        return std::nullopt;
    }
}

} // namespace

bool readInPieces(GsfInput* part, WorksheetData& sheet, const WorkbookData& book, const SheetReading& reading,
                  int threads, bool& inOrder)
{
    PartStream stream = book.package->stream(part);
    SheetPart whole(sheet, book);
    XmlPartParser parser(whole, stream.name);
    std::string pending;
    bool complete = false;

    // The head, up to the first row, goes to the parser of the whole part.
    SheetHead head;
    while (head.verdict == SheetHead::Verdict::NeedMore) {
        const auto chunk = nextChunk(*stream.chunks);
        if (!chunk)
            return false;
        complete = chunk->empty();
        pending.append(chunk->data(), chunk->size());
        head = findSheetHead(pending, complete);
    }
    if (head.verdict == SheetHead::Verdict::NotCuttable)
        return false;
    parser.parse(pending.data(), head.firstRow);
    pending.erase(0, head.firstRow);

    PieceParsers parsers(threads, book, stream.name, parser.depth());
    bool ordered = true;
    std::optional<std::uint32_t> lastRow;
    auto takeNext = [&] {
        PieceResult piece = parsers.takeNext();
        const std::vector<Cell>& cells = piece.sheet.cells;
        if (!piece.parsed || sheet.cells.size() + cells.size() > kMaxSheetCells)
            return false;
        const std::uint32_t firstText = sheet.texts.append(piece.sheet.texts);
        ordered = ordered && piece.inOrder &&
                  (sheet.cells.empty() || cells.empty() || comesBefore(sheet.cells.back(), cells.front()));
        for (Cell cell : cells) {
            if (cell.kind == CellKind::Text)
                cell.low += firstText;
            sheet.cells.push_back(cell);
        }
        lastRow = piece.lastRow;
        return true;
    };

    // Whole rows to the parsing threads, a piece at a time, taken back in order while the next ones are parsed.
    while (!complete) {
        const auto chunk = nextChunk(*stream.chunks);
        if (!chunk)
            return false;
        complete = chunk->empty();
        pending.append(chunk->data(), chunk->size());
        const auto startsRow = [&](std::size_t at) {
            return std::string_view(pending).substr(at).starts_with(head.rowTag);
        };
        // Each piece ends where the first row after pieceBytes of it begins.
        const std::size_t pieceBytes = std::max<std::size_t>(reading.pieceBytes, 1);
        std::size_t start = 0;
        for (std::size_t cut = nextRowStart(pending, pieceBytes, head.rowTag); cut != std::string::npos;
             cut = nextRowStart(pending, start + pieceBytes, head.rowTag)) {
            // A piece runs from one row's start tag to a later one's; any other cut could repeat for ever.
            if (cut <= start || !startsRow(start) || !startsRow(cut))
                throw std::logic_error("a piece of the sheet was cut elsewhere than before a row");
            parsers.add(pending.substr(start, cut - start));
            start = cut;
            while (parsers.outstanding() > static_cast<std::size_t>(threads) + sizes::kPiecesAhead) {
                if (!takeNext())
                    return false;
            }
        }
        pending.erase(0, start);
    }
    // The last rows too go to a parsing thread, up to the end of the last one; the whole part's parser reads what
    // follows them. Were that end not the rows' after all (inside a comment), the piece would not parse on its own.
    const std::string rowEnd = "</" + head.rowTag.substr(1) + ">";
    if (const std::size_t lastEnd = pending.rfind(rowEnd); lastEnd != std::string::npos) {
        parsers.add(pending.substr(0, lastEnd + rowEnd.size()));
        pending.erase(0, lastEnd + rowEnd.size());
    }
    while (parsers.outstanding() > 0) {
        if (!takeNext())
            return false;
    }

    // The last rows and the rest of the part.
    if (lastRow)
        whole.continueAfter(*lastRow);
    parser.parse(pending.data(), pending.size());
    parser.finish();
    inOrder = ordered && whole.inOrder();
    return true;
}

} // namespace data::xlsx
