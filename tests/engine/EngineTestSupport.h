#pragma once
// What the engine tests share: statements run straight on a store, a row of Cpxm read back as text, and a store
// that refuses products by a rule of its own.

#include "db/Query.h"
#include "StoreFixture.h"

#include <QString>
#include <QStringList>

namespace enginetest {

// Runs one statement that returns no rows.
inline void execute(data::Connection& store, const QString& sql)
{
    data::Query query(store);
    query.setSqlText(sql);
    query.execSql();
}

// The first column of every row of a select, as text.
inline QStringList column(data::Connection& store, const QString& sql)
{
    data::Query query(store);
    query.setSqlText(sql);
    query.open();
    QStringList values;
    const QString name = QStringLiteral("v");
    for (query.first(); !query.eof(); query.next())
        values.append(query.fieldText(name));
    return values;
}

// One column of the product with that code; NULL reads as "<NULL>" so that it shows apart from "".
inline QString productValue(data::Connection& store, const QString& code, const QString& columnName)
{
    const QStringList values = column(store, QStringLiteral("select coalesce(cast(%1 as varchar(200)), '<NULL>') as v "
                                                            "from Cpxm where Cpxm_bm = '%2'")
                                                 .arg(columnName, code));
    return values.size() == 1 ? values.first() : QStringLiteral("<%1 rows>").arg(values.size());
}

inline double productNumber(data::Connection& store, const QString& code, const QString& columnName)
{
    const QStringList values =
        column(store, QStringLiteral("select %1 as v from Cpxm where Cpxm_bm = '%2'").arg(columnName, code));
    return values.size() == 1 ? values.first().toDouble() : -999999.0;
}

inline int productCount(data::Connection& store)
{
    return column(store, QStringLiteral("select count(*) as v from Cpxm")).value(0).toInt();
}

inline QStringList productCodes(data::Connection& store)
{
    return column(store, QStringLiteral("select Cpxm_bm as v from Cpxm order by Cpxm_bm"));
}

// The store refuses, for the row's sake, every product whose name is LIKE namePattern ("%": every product), as a
// check of its own would: a trigger raising "refused by the store" (SQLSTATE 23514 on the server).
inline void refuseProductsNamed(data::Connection& store, storetest::Backend backend, const QString& namePattern)
{
    if (backend == storetest::Backend::Sqlite) {
        execute(store, QStringLiteral("create trigger refuse_named before insert on Cpxm when new.Cpxm_mc like '%1' "
                                      "begin select raise(abort, 'refused by the store'); end")
                           .arg(namePattern));
        return;
    }
    execute(store, QStringLiteral("create or replace function refuse_named() returns trigger language plpgsql as $$ "
                                  "begin if new.Cpxm_mc like '%1' then raise exception 'refused by the store' using "
                                  "errcode = '23514'; end if; return new; end $$")
                       .arg(namePattern));
    execute(store, QStringLiteral("create trigger refuse_named before insert on Cpxm for each row execute function "
                                  "refuse_named()"));
}

// The log lines with the store's own message cut off the reason of a row the store refused by a rule of its own:
// that message differs by store and driver.
inline QStringList withoutStoreMessages(QStringList lines)
{
    const QString refused = QStringLiteral("原因---数据库拒绝了这一行（");
    for (QString& line : lines) {
        if (const qsizetype at = line.indexOf(refused); at >= 0)
            line.truncate(at + refused.size() - 1);
    }
    return lines;
}

} // namespace enginetest
