#include "HeaderNames.h"

#include <QHash>

namespace importer {

namespace {

// One line a field. A new name for a field is one more entry; where a sheet has two columns that name the same
// field, the one standing earlier here wins (商品编码 before 条码).
const std::array<QStringList, kProductColumnCount>& headerTable()
{
    static const std::array<QStringList, kProductColumnCount> table{
        // 商品编号
        QStringList{"商品编号", "商品编码", "产品编码", "产品编号", "药品编码",    "药品编号", "饮片编码",
                    "饮片编号", "商品代码", "药品代码", "物料编码", "编号",        "编码",     "货号",
                    "代码",     "自编码",   "goodsid",  "code",     "productcode", "itemcode", "sku",
                    "商品条码", "条形码",   "条码",     "barcode"},
        // 商品名称
        QStringList{"商品名称", "商品名", "药品名称",    "药品名",   "药品名字",  "饮片名称", "产品名称",
                    "名称",     "品名",   "中文名称",    "通用名",   "通用名称",  "项目名称", "货品名称",
                    "商品全称", "name",   "productname", "itemname", "goodsname", "product"},
        // 计量单位
        QStringList{"计量单位", "单位", "商品单位", "主单位", "饮片单位", "包装单位", "基本单位", "最小单位",
                    "销售单位", "unit", "uom"},
        // 成本价
        QStringList{"成本价", "进价", "进货价", "成本", "成本单价", "进货单价", "采购价", "采购单价", "购进价", "cost",
                    "costprice", "purchaseprice"},
        // 销售价
        QStringList{"销售价", "售价", "零售价", "零售单价", "销售单价", "零售价格", "销售价格", "单价", "价格",
                    "执行价", "price", "saleprice", "retailprice"},
        // 最低折扣
        QStringList{"最低折扣", "最低折扣率", "mindiscount"},
        // 当前库存
        QStringList{"当前库存", "库存", "库存量", "库存数量", "当前库存数量", "库存数", "现存量", "结存数量", "数量",
                    "stock", "qty", "quantity"},
        // 单品折扣
        QStringList{"单品折扣", "折扣", "折扣率", "discount"},
        // 助记码
        QStringList{"助记码", "拼音码", "拼音简码", "拼音助记码", "简码", "首拼", "拼音", "mnemonic", "pinyin"},
    };
    return table;
}

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
            for (const QString& name : headerTable()[std::size_t(indexOf(field))]) {
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

} // namespace

const std::array<QString, kProductColumnCount>& productColumnHeaders()
{
    static const std::array<QString, kProductColumnCount> headers = [] {
        std::array<QString, kProductColumnCount> first;
        for (std::size_t i = 0; i < first.size(); ++i)
            first[i] = headerTable()[i].constFirst();
        return first;
    }();
    return headers;
}

const char* blankDefault(ProductColumn field)
{
    switch (field) {
    case ProductColumn::CostPrice:
    case ProductColumn::SalePrice:
    case ProductColumn::MinDiscount:
    case ProductColumn::Stock:
        return "0";
    case ProductColumn::ItemDiscount:
        return "1";
    default:
        return "";
    }
}

const QStringList& headerNamesOf(ProductColumn field)
{
    return headerTable()[std::size_t(indexOf(field))];
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

int headerRank(ProductColumn field, const QString& headerCell)
{
    if (headerCell.isEmpty())
        return -1;
    if (headerCell == templateHeader(field))
        return 0;
    const qsizetype at = normalizedNames().byField[std::size_t(indexOf(field))].indexOf(normalizedHeader(headerCell));
    return at < 0 ? -1 : int(at) + 1;
}

std::optional<ProductColumn> fieldNamed(const QString& text)
{
    const auto found = normalizedNames().fieldOf.constFind(normalizedHeader(text));
    if (found == normalizedNames().fieldOf.constEnd())
        return std::nullopt;
    return *found;
}

} // namespace importer
