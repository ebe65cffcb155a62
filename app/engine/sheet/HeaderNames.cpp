#include "engine/sheet/HeaderNames.h"

#include "engine/sheet/FieldTable.h"

#include <QHash>

#include <algorithm>

namespace importer {

namespace {

struct NormalizedNames
{
    std::array<QStringList, kProductColumnCount> byField;
    QHash<QString, ProductColumn> fieldOf;
};

const NormalizedNames& normalizedNames()
{
    static const NormalizedNames names = [] {
        NormalizedNames made;
        for (ProductColumn field : kProductColumns) {
            for (const QString& name : fieldEntry(field).names) {
                const QString normalized = normalizedHeader(name);
                made.byField[std::size_t(indexOf(field))] << normalized;
                made.fieldOf.insert(normalized, field);
            }
        }
        return made;
    }();
    return names;
}

bool isBlank(QChar c)
{
    return c.isSpace() || c.unicode() < 0x20 || c == QChar(0x200B) || c == QChar(0xFEFF);
}

// "xxx(remark)" -> "xxx" for the bracket pairs clerks use; the text stays when nothing would be left of it.
bool dropTrailingRemark(QString& text)
{
    static const std::pair<QChar, QChar> pairs[] = {{u'(', u')'}, {u'[', u']'}, {u'【', u'】'}, {u'〔', u'〕'}};
    for (const auto& [open, close] : pairs) {
        if (!text.endsWith(close))
            continue;
        const qsizetype at = text.lastIndexOf(open);
        if (at > 0) {
            text.truncate(at);
            return true;
        }
    }
    return false;
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// A word of three ASCII letters or fewer stands alone or beside a character that is no letter ("商品id", "id"),
// so that "id" is not read in "paid"; a word starting with "^" counts only at the start.
bool holdsWord(const QString& text, const QString& word)
{
    if (word.startsWith(u'^'))
        return text.startsWith(QStringView(word).sliced(1));
    const bool shortLetters =
        word.size() <= 3 && std::all_of(word.begin(), word.end(), [](QChar c) { return isAsciiLetter(c); });
    if (!shortLetters)
        return text.contains(word);
    for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1)) {
        const qsizetype end = at + word.size();
        if ((at == 0 || !isAsciiLetter(text.at(at - 1))) && (end == text.size() || !isAsciiLetter(text.at(end))))
            return true;
    }
    return false;
}

bool holdsAny(const QString& text, const QStringList& words)
{
    return std::any_of(words.begin(), words.end(), [&text](const QString& word) { return holdsWord(text, word); });
}

// A refusing word counts wherever it stands ("top" in "topstock"): refusing is the careful side.
bool holdsAnyPart(const QString& text, const QStringList& words)
{
    return std::any_of(words.begin(), words.end(), [&text](const QString& word) {
        return word.startsWith(u'^') ? holdsWord(text, word) : text.contains(word);
    });
}

// A Chinese character says more than a letter: 价 weighs as much as "id".
int weightOf(const QString& word)
{
    int weight = 0;
    for (const QChar c : word)
        weight += c.unicode() >= 0x2E80 ? 2 : 1;
    return weight;
}

// How strongly the header's key words name the field; -1 not at all.
int keyWordScore(const FieldEntry& entry, const QString& text)
{
    int heaviest = -1;
    for (const QString& word : entry.keyWords) {
        if (holdsWord(text, word))
            heaviest = std::max(heaviest, weightOf(word));
    }
    if (heaviest < 0 || holdsAnyPart(text, entry.refusing))
        return -1;
    int score = 100 + 10 * heaviest;
    if (holdsAny(text, entry.weaker))
        score -= 100;
    if (holdsAny(text, entry.stronger))
        score += 30;
    return score;
}

// A header read by its parts is a few words: longer, it is a note or a title.
constexpr qsizetype kKeyWordHeaderMax = 24;

// "库存/tablets" -> "库存", "市场|吊牌价" -> "市场": the part before a unit or an alternative.
QString beforeSlash(const QString& normalized)
{
    for (qsizetype i = 1; i < normalized.size(); ++i) {
        if (normalized.at(i) == u'/' || normalized.at(i) == u'|')
            return normalized.left(i);
    }
    return QString();
}

std::optional<HeaderReading> readByName(const QString& normalized, int from)
{
    const auto found = normalizedNames().fieldOf.constFind(normalized);
    if (found == normalizedNames().fieldOf.constEnd())
        return std::nullopt;
    const qsizetype place = normalizedNames().byField[std::size_t(indexOf(*found))].indexOf(normalized);
    return HeaderReading{*found, HeaderReading::By::Name, from - int(place)};
}

} // namespace

std::optional<HeaderReading> readHeader(const QString& cell)
{
    if (cell.isEmpty() || cell.size() > kHeaderCellMax)
        return std::nullopt;
    for (const FieldEntry& entry : fieldTable()) {
        if (cell == entry.templateHeader)
            return HeaderReading{entry.field, HeaderReading::By::TemplateHeader, 1000};
    }
    const QString normalized = normalizedHeader(cell);
    if (normalized.isEmpty())
        return std::nullopt;
    if (auto byName = readByName(normalized, 900))
        return byName;
    QString core = beforeSlash(normalized);
    if (!core.isEmpty()) {
        if (auto byName = readByName(core, 850))
            return byName;
    } else {
        core = normalized;
    }
    // A note above or below the header ("空：默认根据标题生成") is a sentence: its words name nothing.
    static const QString kSentenceMarks = QStringLiteral("：:，,。；;！!？?、「」请");
    if (core.size() > kKeyWordHeaderMax ||
        std::any_of(cell.begin(), cell.end(), [](QChar c) { return kSentenceMarks.contains(c); }))
        return std::nullopt;
    std::optional<HeaderReading> best;
    for (const FieldEntry& entry : fieldTable()) {
        const int score = keyWordScore(entry, core);
        if (score > 0 && (!best || score > best->score))
            best = HeaderReading{entry.field, HeaderReading::By::KeyWords, score};
    }
    return best;
}

const QStringList& headerNamesOf(ProductColumn field)
{
    return fieldEntry(field).names;
}

QString normalizedHeader(const QString& text)
{
    const QString folded = text.normalized(QString::NormalizationForm_KC);
    QString compact;
    compact.reserve(folded.size());
    for (const QChar c : folded) {
        if (!isBlank(c))
            compact.append(c);
    }
    for (bool changed = true; changed;) {
        changed = dropTrailingRemark(compact);
        while (compact.size() > 1 && compact.endsWith(u'*')) {
            compact.chop(1);
            changed = true;
        }
        while (compact.size() > 1 && compact.startsWith(u'*')) {
            compact.remove(0, 1);
            changed = true;
        }
    }
    return compact.toCaseFolded();
}

std::optional<ProductColumn> fieldNamed(const QString& text)
{
    const auto found = normalizedNames().fieldOf.constFind(normalizedHeader(text));
    if (found == normalizedNames().fieldOf.constEnd())
        return std::nullopt;
    return *found;
}

} // namespace importer
