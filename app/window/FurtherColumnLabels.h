#pragma once
// How the window names a further column of the store's Cpxm: by what it holds where the column is one the demo
// store has ("规格（Cpxm_gg）"), by its own name otherwise; only the clerk knows what another store's column holds.

#include <QString>

QString furtherColumnLabel(const QString& columnName);
