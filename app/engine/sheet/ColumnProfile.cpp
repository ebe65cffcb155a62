#include "engine/sheet/ColumnProfile.h"

#include "engine/sheet/CellText.h"
#include "engine/sheet/NumberText.h"

#include <QSet>

#include <algorithm>

namespace importer {

namespace {

bool readsAsNumber(const QString& text)
{
    return parseNumberText(text, u".") || parseNumberText(text, u",");
}

} // namespace

ColumnProfile profileColumn(const data::Worksheet& sheet, int column, int first, int end)
{
    ColumnProfile profile;
    const int span = std::max(end - first, 0);
    const int step = span > kProfileRows ? (span + kProfileRows - 1) / kProfileRows : 1;
    QSet<QString> seen;
    QString text;
    for (int row = first; row < end; row += step) {
        ++profile.rows;
        sheet.cellText(row, column, text);
        trimControlsInPlace(text);
        if (text.isEmpty())
            continue;
        ++profile.filled;
        if (readsAsNumber(text)) {
            ++profile.numbers;
            if (text.contains(u'.'))
                ++profile.decimals;
        }
        if (std::any_of(text.begin(), text.end(),
                        [](QChar c) { return c.unicode() >= 0x3400 && c.unicode() < 0xA000; }))
            ++profile.han;
        seen.insert(text);
    }
    profile.distinct = int(seen.size());
    return profile;
}

bool isEmptyColumn(const data::Worksheet& sheet, int column, int first, int end)
{
    QString text;
    for (int row = first; row < end; ++row) {
        sheet.cellText(row, column, text);
        trimControlsInPlace(text);
        if (!text.isEmpty())
            return false;
    }
    return true;
}

bool hardlyFilledBeside(const data::Worksheet& sheet, int column, int nameColumn, int first, int end)
{
    constexpr int kPlainlyFilled = 100;
    int named = 0;
    int filled = 0;
    QString text;
    for (int row = first; row < end; ++row) {
        sheet.cellText(row, nameColumn, text);
        trimControlsInPlace(text);
        if (text.isEmpty())
            continue;
        ++named;
        sheet.cellText(row, column, text);
        trimControlsInPlace(text);
        if (!text.isEmpty() && ++filled >= kPlainlyFilled && filled * 10 >= named)
            return false;
    }
    return filled * 10 < named;
}

bool looksLikeCodes(const data::Worksheet& sheet, int column, int nameColumn, int first, int end)
{
    constexpr int kLongestCode = 32;
    int named = 0;
    int coded = 0;
    bool running = true; // 1, 2, 3 ... in sheet order
    QSet<QString> seen;
    QString name;
    QString code;
    for (int row = first; row < end; ++row) {
        sheet.cellText(row, nameColumn, name);
        trimControlsInPlace(name);
        if (name.isEmpty())
            continue;
        ++named;
        sheet.cellText(row, column, code);
        trimControlsInPlace(code);
        if (code.isEmpty())
            continue;
        if (code.size() > kLongestCode || seen.contains(code))
            return false;
        bool digit = false;
        for (const QChar c : code) {
            if (c.isDigit())
                digit = true;
            else if (!(c.unicode() < 0x80 && (c.isLetter() || c == u'-' || c == u'_' || c == u'.')))
                return false;
        }
        if (!digit)
            return false;
        running = running && code == QString::number(coded + 1);
        seen.insert(code);
        ++coded;
    }
    return named >= 2 && coded * 20 >= named * 19 && !running;
}

} // namespace importer
