#include "ProductInsertion.h"

#include "NumberText.h"
#include "ProductRow.h"
#include "Query.h"
#include "StoreStatements.h"

namespace importer {

namespace {

// The columns the store's own system fills this way for every product it creates by hand.
const QString kStoreCode = QStringLiteral("CK000");
const QString kBranchCode = QStringLiteral("FD000");
const QString kAvailableCode = QStringLiteral("1");
const QString kAvailableName = QStringLiteral("可供");
const QString kCommissionMode = QStringLiteral("不提成");
const QString kCommissionType = QStringLiteral("无");
const QString kServiceFlag = QStringLiteral("0");

void bindRow(data::Query& query, const ProductRow& row, const BatchValues& batch)
{
    // In the table's order; a number that does not convert stops the binding where it stands.
    query.bindText(QStringLiteral("Cpxm_bm"), batch.batchPrefix + row.Code);
    query.bindText(QStringLiteral("Cpxm_mc"), row.Name);
    query.bindText(QStringLiteral("Cpxm_jp"), row.Mnemonic);
    query.bindText(QStringLiteral("Cpxm_dw"), row.Unit);
    query.bindDouble(QStringLiteral("Cpxm_ysdj"), numberFromText(batch.decimalSeparator, row.SalePrice));
    query.bindDouble(QStringLiteral("Cpxm_cbdj"), numberFromText(batch.decimalSeparator, row.CostPrice));
    query.bindDouble(QStringLiteral("CPxm_sl"), numberFromText(batch.decimalSeparator, row.Stock));
    query.bindDouble(QStringLiteral("Cpxm_zdzk"), numberFromText(batch.decimalSeparator, row.MinDiscount));
    query.bindText(QStringLiteral("Cpxm_Bkind"), batch.bigKindCode);
    query.bindText(QStringLiteral("Cpxm_ckbm"), kStoreCode);
    query.bindText(QStringLiteral("Cpxm_fdbh"), kBranchCode);
    query.bindText(QStringLiteral("Cpxm_kybm"), kAvailableCode);
    query.bindText(QStringLiteral("Cpxm_kymc"), kAvailableName);
    query.bindText(QStringLiteral("Cpxm_Skind"), batch.categoryKindId);
    query.bindText(QStringLiteral("Cpxm_tcms"), kCommissionMode);
    query.bindInteger16(QStringLiteral("Cpxm_tcbl"), 0);
    query.bindText(QStringLiteral("Cpxm_tcfs"), kCommissionType);
    query.bindDouble(QStringLiteral("Cpxm_jhdj"), numberFromText(batch.decimalSeparator, row.CostPrice));
    query.bindText(QStringLiteral("Cpxm_fw"), kServiceFlag);
    query.bindDouble(QStringLiteral("Cpzk"), numberFromText(batch.decimalSeparator, row.ItemDiscount));
}

} // namespace

QString errorLine(const ProductRow& row)
{
    return QStringLiteral("编号---") + row.Code + QStringLiteral("；名称---") + row.Name;
}

InsertResult InsertProductRecord(data::Query& storeQuery, const ProductRow& row, const BatchValues& batch,
                                 ImportCounts& counts, QStringList& errorLog) noexcept
{
    InsertResult result = InsertResult::StoreRefused;
    try {
        storeQuery.close();
        storeQuery.clearSql();
        storeQuery.setSqlText(data::statements::kInsertClause);
        // The text comes back with its line end, so the values clause becomes the second line.
        storeQuery.setSqlText(storeQuery.sqlText() + data::statements::kValuesClause);
        bindRow(storeQuery, row, batch);
        storeQuery.execSql();
        ++counts.imported;
        return InsertResult::Stored;
    } catch (const NumberTextError&) {
        result = InsertResult::BadNumber;
    } catch (...) {
        // The cause is not kept: the clerk finds the row by its code and name in the log.
    }
    try {
        ++counts.failed;
        errorLog.append(errorLine(row));
    } catch (...) {
        // Out of memory for one log line: the count still says the row failed.
    }
    return result;
}

} // namespace importer
