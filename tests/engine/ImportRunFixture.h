#pragma once
// What the tests of whole import runs share: a fresh folder and a demo store of the data row's backend for each
// test, the run's session and a recording reporter, a run of a workbook, the log as bytes, and the sheets they
// import.

#include "../worksheet/PackageBuilder.h"
#include "db/DatabaseError.h"
#include "db/Query.h"
#include "engine/rows/ProductValues.h"
#include "engine/run/ImportRun.h"
#include "engine/run/RowLoop.h"
#include "engine/sheet/ProductSheet.h"
#include "engine/writes/ErrorLogFile.h"
#include "engine/writes/GroupWriter.h"
#include "EngineTestSupport.h"
#include "RecordingReporter.h"
#include "RowBackend.h"
#include "store/ProductKinds.h"
#include "StoreFixture.h"
#include "StoreTestSupport.h"
#include "TestPaths.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <chrono>
#include <functional>
#include <future>
#include <latch>
#include <memory>
#include <thread>

namespace enginetest {

class ImportRunFixture : public QObject
{
protected:
    using Backend = storetest::Backend;

    static inline const QString kHeader = QStringLiteral("以下是导入错误的信息！");
    static inline const QByteArray kOldLog = "an older log\r\n";

    // A workbook of tests/data/engine.
    static QString workbook(const char* name);
    // The lines as the log file holds them: GBK, CR LF after each.
    static QByteArray gbkLines(const QStringList& lines);
    // A product sheet "S" as an .xlsx file at path: the header, then one row per product of its code, name, unit
    // and cost price.
    static void writeProductSheet(const QString& path, const QList<QStringList>& products);
    // A product sheet of rowCount rows: every badEvery-th row with a cost price that is no number, every
    // blankEvery-th without a code, the others plain.
    static void writeLongSheet(const QString& path, int rowCount, int badEvery, int blankEvery);
    // The store file may grow no more, and its pages are full: as a full disk.
    static void fillTheStore(data::Connection& store);

    // For init(): a fresh folder, and a demo store of the row's backend with an old log beside it.
    void setUp();
    // A fresh demo store of the backend, a new session on it and a new reporter.
    void open(Backend backend);
    importer::ImportOutcome run(const QString& path, int categoryIndex = 0, const QString& sheet = "Sheet1",
                                bool commitEveryRow = false, bool dryRun = false);
    QByteArray logBytes() const;

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<data::Connection> store_;
    std::unique_ptr<data::Query> query_;
    data::ProductKindList categories_;
    std::unique_ptr<importer::ImportSession> session_;
    RecordingReporter reporter_;
};

} // namespace enginetest
