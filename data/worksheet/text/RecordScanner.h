#pragma once
// The one reading of delimited text (RFC 4180, as spreadsheet programs write it), for the cutter that finds where
// records end and for the parsers that take the fields of a piece of whole records: a quote opens a quoted field only
// at the field's start; inside, a doubled quote is a quote and line breaks are text; CR LF, LF and a lone CR end a
// record. A quote inside an unquoted field, or text after a closing quote, is kept as written, as Excel keeps it.
// Units are bytes (UTF-8, GB18030) or UTF-16 code units; in GB18030 the bytes after a lead byte are never taken for a
// delimiter (a vertical bar can be one of them).

#include <cstddef>
#include <type_traits>

namespace data::text {

struct ScanState
{
    enum class At { FieldStart, Unquoted, Quoted, QuoteSeen };
    At at = At::FieldStart;
    int trailing = 0;      // GB18030 bytes still to take as part of a character
    bool leadSeen = false; // a GB18030 lead byte was the last unit; its next byte says how long the character is
};

// Sink: text(const Unit* begin, const Unit* end) adds to the field; endField(); endRecord(std::size_t after) is told
// where the record ends (after its line break) and returns false to stop. Scans units[from, size) and returns where
// it stopped: at size, after a record whose endRecord returned false, or before a CR at the end when more may follow
// (`complete` false) and it might be a CR LF.
template <typename Unit, typename Sink>
std::size_t scanRecords(const Unit* units, std::size_t size, std::size_t from, ScanState& state, Unit delimiter,
                        bool gb18030, bool complete, Sink& sink)
{
    using At = ScanState::At;
    std::size_t i = from;
    const auto endLine = [&](std::size_t at) -> std::size_t {
        // at: the CR or LF; returns where the record's end is, or size when a CR ends the units so far.
        if (units[at] == Unit('\r')) {
            if (at + 1 < size)
                return units[at + 1] == Unit('\n') ? at + 2 : at + 1;
            return complete ? at + 1 : size + 1;
        }
        return at + 1;
    };
    while (i < size) {
        switch (state.at) {
        case At::FieldStart:
        case At::Unquoted: {
            if (state.at == At::FieldStart && units[i] == Unit('"')) {
                state.at = At::Quoted;
                ++i;
                break;
            }
            state.at = At::Unquoted;
            const std::size_t begin = i;
            while (i < size) {
                const Unit u = units[i];
                if (gb18030 && (state.trailing > 0 || state.leadSeen)) {
                    if (state.leadSeen) {
                        state.leadSeen = false;
                        state.trailing = (u >= Unit(0x30) && u <= Unit(0x39)) ? 2 : 0;
                    } else {
                        --state.trailing;
                    }
                    ++i;
                    continue;
                }
                if (u == delimiter || u == Unit('\n') || u == Unit('\r'))
                    break;
                const auto value = static_cast<std::make_unsigned_t<Unit>>(u);
                if (gb18030 && value >= 0x81 && value <= 0xFE)
                    state.leadSeen = true;
                ++i;
            }
            if (i > begin)
                sink.text(units + begin, units + i);
            if (i >= size)
                return i;
            if (units[i] == delimiter) {
                sink.endField();
                state.at = At::FieldStart;
                ++i;
                break;
            }
            const std::size_t after = endLine(i);
            if (after > size)
                return i; // a CR at the end: wait for what follows
            sink.endField();
            state.at = At::FieldStart;
            i = after;
            if (!sink.endRecord(after))
                return i;
            break;
        }
        case At::Quoted: {
            const std::size_t begin = i;
            while (i < size && units[i] != Unit('"'))
                ++i;
            if (i > begin)
                sink.text(units + begin, units + i);
            if (i < size) {
                state.at = At::QuoteSeen;
                ++i;
            }
            break;
        }
        case At::QuoteSeen: {
            const Unit u = units[i];
            if (u == Unit('"')) {
                sink.text(units + i, units + i + 1);
                state.at = At::Quoted;
                ++i;
            } else if (u == delimiter) {
                sink.endField();
                state.at = At::FieldStart;
                ++i;
            } else if (u == Unit('\n') || u == Unit('\r')) {
                const std::size_t after = endLine(i);
                if (after > size)
                    return i;
                sink.endField();
                state.at = At::FieldStart;
                i = after;
                if (!sink.endRecord(after))
                    return i;
            } else {
                state.at = At::Unquoted; // text after the closing quote, kept
            }
            break;
        }
        }
    }
    return i;
}

} // namespace data::text
