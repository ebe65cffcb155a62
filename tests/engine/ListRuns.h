#pragma once
// Import runs of small lists into a demo store of one backend, each list written as a workbook of its own in the
// case's fresh folder: the set-up the tests of writes into existing products share.

#include "db/Connection.h"
#include "db/Query.h"
#include "engine/run/ImportRun.h"
#include "ListWorkbook.h"
#include "RecordingReporter.h"
#include "store/ProductKinds.h"
#include "StoreTestSupport.h"

#include <QTest>

#include <memory>

namespace enginetest {

struct ListRun
{
    importer::ImportOutcome outcome;
    QString status;  // the status line the run left
    QStringList log; // the error log's lines after its header
};

class ListRuns
{
protected:
    // In a test's init(), once its row's backend is known to be there.
    void makeFolders()
    {
        folders_ = std::make_unique<storetest::CaseFolders>();
        QVERIFY(folders_->isValid());
    }

    // A fresh demo store of the backend, and a fresh folder for the lists and the log.
    void open(storetest::Backend backend)
    {
        store_ = std::make_unique<data::Connection>();
        folders_->connectDemo(backend, *store_);
        folder_ = folders_->fresh();
        query_ = std::make_unique<data::Query>(*store_);
        session_ = std::make_unique<importer::ImportSession>(
            importer::ImportSession{*store_, *query_, folder_ + QStringLiteral("/log.txt"), QStringList()});
    }

    // Imports the rows into the store, filed under the first category of type 01; request carries the run's
    // choices.
    ListRun runList(const QList<QStringList>& rows, importer::ImportRequest request)
    {
        request.workbookPath = folder_ + QStringLiteral("/list%1.xlsx").arg(++lists_);
        writeListWorkbook(request.workbookPath, rows);
        request.category = data::loadCategories(*query_, QStringLiteral("01")).value(0);
        RecordingReporter reporter;
        reporter.existing = request.existing;
        reporter.repeats = request.repeats;
        ListRun result;
        result.outcome = importer::runImport(*session_, request, reporter);
        result.status = reporter.statusText();
        result.log = session_->errorLog.mid(1);
        return result;
    }

    std::unique_ptr<storetest::CaseFolders> folders_;
    std::unique_ptr<data::Connection> store_;
    std::unique_ptr<data::Query> query_;
    std::unique_ptr<importer::ImportSession> session_;
    QString folder_;

private:
    int lists_ = 0;
};

} // namespace enginetest
