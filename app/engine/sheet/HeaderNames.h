#pragma once
// The header names a product list gives each of the nine fields: the template's own header first, then the other
// names that pharmacies' and shops' lists use, in order of preference. A header cell is compared after
// normalising, so that decoration ("（必填）", "(*)", line breaks, full-width letters) does not matter.

#include "engine/sheet/ProductFields.h"

#include <QString>
#include <QStringList>

namespace importer {

// The names of a field in order of preference, the template header first, as a clerk would write them.
const QStringList& headerNamesOf(ProductColumn field);

// A header cell as it is compared: compatibility forms folded (full-width letters and brackets), every blank and
// line break removed, a trailing bracketed remark ("(必填)", "(*)", "【数字】") and a leading or trailing "*"
// dropped, letters case-folded.
QString normalizedHeader(const QString& text);

// The field whose list holds the normalised text, if any (a field named by the clerk, such as 商品编号 or 编码).
std::optional<ProductColumn> fieldNamed(const QString& text);

// A header cell longer than this is a sentence (an instruction, a note), no header.
inline constexpr int kHeaderCellMax = 256;

// What a header cell says: the field it names and how strongly.
struct HeaderReading
{
    enum class By {
        TemplateHeader, // the template's header spelled exactly
        Name,           // a whole name of the field's list, after normalising
        KeyWords,       // read by its parts: a key word of the field, no word that means something else
    };
    ProductColumn field;
    By by;
    // Higher is stronger: 1000 the template header, 900 less the name's place in the list, 100 and more for key
    // words (longer words more), 100 less for a qualifier that makes the column a second choice (会员价).
    int score;
};

// The field the header cell names most strongly, if any. Where two fields read the header, the stronger reading
// wins (进货价 is a cost, not a sale price); each cell is normalised once.
std::optional<HeaderReading> readHeader(const QString& cell);

} // namespace importer
