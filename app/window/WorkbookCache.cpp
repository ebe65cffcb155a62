#include "window/WorkbookCache.h"

#include "engine/sheet/ProductSheet.h"

#include <QFileInfo>

const data::Workbook& WorkbookCache::workbook(const QString& path)
{
    const QFileInfo file(path);
    const QDateTime modified = file.lastModified();
    const qint64 size = file.size();
    if (!opened_ || opened_->path != path || opened_->modified != modified || opened_->size != size) {
        opened_.reset();
        opened_.emplace(Opened{path, modified, size, data::Workbook::open(path), {}});
    }
    return opened_->workbook;
}

data::Worksheet WorkbookCache::sheet(const QString& path, const QString& sheetName)
{
    const data::Workbook& book = workbook(path);
    const auto found = opened_->sheets.constFind(sheetName);
    if (found != opened_->sheets.constEnd())
        return *found;
    data::Worksheet read = book.sheet(sheetName);
    opened_->sheets.insert(sheetName, read);
    return read;
}

data::Worksheet WorkbookCache::productSheet(const QString& path)
{
    const data::Workbook& book = workbook(path);
    data::Worksheet chosen = importer::chooseProductSheet(book);
    opened_->sheets.insert(chosen.name(), chosen);
    return chosen;
}
