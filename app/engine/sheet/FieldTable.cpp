#include "engine/sheet/FieldTable.h"

namespace importer {

namespace {

using data::ColumnSource;

// Parts of a header that say the column is about something beside the product itself: a supplier, a category, a
// date, an amount. Shared by the fields where such a header would otherwise read as theirs.
const QStringList kAboutOtherThings{"供应商", "供货商", "厂家", "厂商", "生产", "品牌", "分类", "类别",
                                    "日期",   "时间",   "客户", "门店", "仓库", "图片", "创建", "修改",
                                    "操作",   "备注",   "说明", "状态", "是否", "^is"};

QStringList joined(QStringList first, const QStringList& more)
{
    first += more;
    return first;
}

} // namespace

const std::array<FieldEntry, kProductColumnCount>& fieldTable()
{
    static const std::array<FieldEntry, kProductColumnCount> table{{
        {ProductColumn::Code,
         QStringLiteral("商品编号"),
         {"商品编号",    "商品编码", "产品编码", "产品编号", "药品编码", "药品编号", "饮片编码", "饮片编号", "商品代码",
          "药品代码",    "物料编码", "编号",     "编码",     "货号",     "代码",     "自编码",   "goodsid",  "code",
          "productcode", "itemcode", "sku",      "商品条码", "条形码",   "条码",     "barcode"},
         {"编码", "编号", "代码", "货号", "商品号", "品号", "条形码", "条码", "物料", "id", "sku", "code", "barcode",
          "号"},
         joined({"名",   "价",   "税",   "医保", "拼音", "助记", "简码", "类",   "批",    "序",
                 "型",   "仓",   "库位", "国标", "称",   "手机", "电话", "身份", "账",    "卡",
                 "证",   "单据", "订单", "会员", "行号", "款式", "值",   "上级", "父",    "套餐",
                 "组合", "关联", "部门", "科室", "cls",  "sup",  "exp",  "year", "color", "size"},
                kAboutOtherThings),
         {"条码", "条形码", "barcode", "国际", "sku", "旧", "原", "外部"},
         {},
         "",
         CellShape::Code,
         ColumnSource::LetterAndCode},
        {ProductColumn::Name,
         QStringLiteral("商品名称"),
         // 商品名 after the generic names: beside 通用名 or 中文名 it is the brand a drug is sold under.
         {"商品名称", "药品名称", "药品名", "药品名字",    "饮片名称", "产品名称",  "名称",
          "品名",     "中文名称", "通用名", "通用名称",    "中文名",   "商品名",    "项目名称",
          "货品名称", "商品全称", "name",   "productname", "itemname", "goodsname", "product"},
         {"商品名称", "名称", "品名", "名字", "中文名", "通用名", "标题", "名", "title", "name"},
         joined({"拼音", "助记", "简码", "单位", "规格", "副",   "店",   "人",   "员",   "会员", "址",
                 "产地", "文件", "链接", "url",  "seo",  "批准", "医生", "用户", "企业", "公司"},
                kAboutOtherThings),
         {"简称", "别名", "英文", "化学", "english", "short"},
         {},
         "",
         CellShape::Text,
         ColumnSource::Name},
        {ProductColumn::Unit,
         QStringLiteral("计量单位"),
         {"计量单位", "单位", "商品单位", "主单位", "饮片单位", "包装单位", "基本单位", "最小单位", "销售单位", "unit",
          "uom"},
         {"计量单位", "单位", "计量", "unit", "uom"},
         joined({"价", "price", "名称", "使用", "管理", "重量", "数量", "换算"}, kAboutOtherThings),
         {"包装", "辅", "副"},
         {"计量", "基本", "最小", "主"},
         "",
         CellShape::Text,
         ColumnSource::Unit},
        {ProductColumn::CostPrice,
         QStringLiteral("成本价"),
         {"成本价", "进价", "进货价", "成本", "成本单价", "进货单价", "采购价", "采购单价", "购进价", "inprice", "cost",
          "costprice", "purchaseprice"},
         {"成本", "进价", "进货价", "进货单价", "采购价", "采购单价", "购进价", "购价", "入库价", "cost", "inprice",
          "buyprice", "purchaseprice"},
         joined({"率", "金额", "总", "额", "量", "数", "员", "人", "特征", "方式", "rate", "amount", "total", "qty"},
                kAboutOtherThings),
         {"未含税", "参考", "平均", "最新", "上次", "原"},
         {"含税"},
         "0",
         CellShape::Number,
         ColumnSource::CostPrice},
        {ProductColumn::SalePrice,
         QStringLiteral("销售价"),
         {"销售价", "售价", "零售价", "零售单价", "销售单价", "零售价格", "销售价格", "单价", "价格", "执行价", "price",
          "saleprice", "retailprice"},
         {"零售价", "销售价", "售价", "零售", "销售单价", "单价", "价格", "定价", "标价", "执行价", "价", "price",
          "retail"},
         joined({"进",  "成本", "采购", "购",    "入库", "cost", "inprice", "buy",  "purchase",
                 "率",  "rate", "最低", "金额",  "总",   "额",   "量",      "数",   "方式",
                 "way", "类型", "等级", "level", "码",   "编号", "税点",    "改价", "范围"},
                kAboutOtherThings),
         {"会员", "vip",    "批发", "wholesale", "对比", "市场", "吊牌",  "原价", "参考", "建议", "协议",
          "特价", "未含税", "折扣", "促销",      "其它", "其他", "other", "指导", "挂牌", "最高", "base"},
         {"零售", "销售", "含税", "sale", "retail"},
         "0",
         CellShape::Number,
         ColumnSource::SalePrice},
        {ProductColumn::MinDiscount,
         QStringLiteral("最低折扣"),
         {"最低折扣", "最低折扣率", "mindiscount"},
         {"最低折扣", "最低折", "折扣下限", "mindiscount", "mindisc", "bottomdisc", "lowestdiscount"},
         joined({"价", "price", "额"}, kAboutOtherThings),
         {},
         {},
         "0",
         CellShape::Number,
         ColumnSource::MinDiscount},
        {ProductColumn::Stock,
         QStringLiteral("当前库存"),
         {"当前库存", "库存", "库存量", "库存数量", "当前库存数量", "库存数", "现存量", "结存数量", "数量", "stock",
          "qty", "quantity"},
         {"当前库存", "库存", "结存", "现存", "存量", "在库", "stock", "qty", "quantity"},
         joined({"上限", "下限", "预警", "单位", "金额", "额",   "价",   "price", "同步", "不",   "位置", "周转", "天",
                 "成本", "max",  "min",  "top",  "low",  "safe", "warn", "采购",  "vip",  "会员", "进货", "安全"},
                kAboutOtherThings),
         {"初始", "期初", "init"},
         {"当前", "现有", "实际"},
         "0",
         CellShape::Number,
         ColumnSource::Stock},
        {ProductColumn::ItemDiscount,
         QStringLiteral("单品折扣"),
         {"单品折扣", "折扣", "折扣率", "discount"},
         {"单品折扣", "折扣率", "折扣", "折让", "discount", "disc"},
         joined({"最低", "下限", "价", "price", "额", "min", "bottom", "vip", "会员"}, kAboutOtherThings),
         {},
         {},
         "1",
         CellShape::Number,
         ColumnSource::ItemDiscount},
        {ProductColumn::Mnemonic,
         QStringLiteral("助记码"),
         {"助记码", "拼音码", "拼音简码", "拼音助记码", "简码", "首拼", "拼音", "jp", "简拼", "mnemonic", "pinyin"},
         {"助记码", "助记", "拼音码", "拼音简码", "简拼", "首拼", "拼音", "简码", "速查码", "jp", "py", "pym",
          "mnemonic", "pinyin"},
         joined({"英文", "全拼"}, kAboutOtherThings),
         {},
         {},
         "",
         CellShape::Text,
         ColumnSource::Mnemonic},
    }};
    return table;
}

std::optional<ProductColumn> fieldFeeding(data::ColumnSource source)
{
    // Asked for every column of every row: looked up, not searched.
    static const std::array<std::optional<ProductColumn>, std::size_t(data::ColumnSource::Fixed) + 1> fed = [] {
        std::array<std::optional<ProductColumn>, std::size_t(data::ColumnSource::Fixed) + 1> made;
        for (const FieldEntry& entry : fieldTable()) {
            if (entry.field != ProductColumn::Code)
                made[std::size_t(entry.source)] = entry.field;
        }
        return made;
    }();
    const auto at = std::size_t(source);
    return at < fed.size() ? fed[at] : std::nullopt;
}

const std::array<QString, kProductColumnCount>& productColumnHeaders()
{
    static const std::array<QString, kProductColumnCount> headers = [] {
        std::array<QString, kProductColumnCount> made;
        for (std::size_t i = 0; i < made.size(); ++i)
            made[i] = fieldTable()[i].templateHeader;
        return made;
    }();
    return headers;
}

const QString& blankText(ProductColumn field)
{
    static const std::array<QString, kProductColumnCount> texts = [] {
        std::array<QString, kProductColumnCount> made;
        for (std::size_t i = 0; i < made.size(); ++i)
            made[i] = QString::fromLatin1(fieldTable()[i].blankDefault);
        return made;
    }();
    return texts[std::size_t(indexOf(field))];
}

const char* blankDefault(ProductColumn field)
{
    return fieldEntry(field).blankDefault;
}

} // namespace importer
