#include "ImportRunFixture.h"

namespace enginetest {

QString ImportRunFixture::workbook(const char* name)
{
    return testsupport::testData(QStringLiteral("engine/") + QLatin1String(name));
}

QByteArray ImportRunFixture::gbkLines(const QStringList& lines)
{
    QStringEncoder encoder("GBK");
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += encoder.encode(line) + "\r\n";
    return bytes;
}

void ImportRunFixture::writeProductSheet(const QString& path, const QList<QStringList>& products)
{
    auto text = [](const QString& value) { return "<c t=\"inlineStr\"><is><t>" + value.toUtf8() + "</t></is></c>"; };
    QByteArray rows = "<row r=\"1\">";
    for (const QString& header : importer::productColumnHeaders())
        rows += text(header);
    rows += "</row>";
    for (qsizetype n = 0; n < products.size(); ++n) {
        rows += "<row r=\"" + QByteArray::number(n + 2) + "\">";
        for (const QString& cell : products[n])
            rows += text(cell);
        rows += "</row>";
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(packagebuilder::zip(packagebuilder::oneSheetParts(rows)));
}

void ImportRunFixture::writeLongSheet(const QString& path, int rowCount, int badEvery, int blankEvery)
{
    QList<QStringList> products;
    for (int n = 1; n <= rowCount; ++n) {
        const QString code = n % blankEvery == 0 ? QString() : QString::number(100000 + n);
        const QString cost = n % badEvery == 0 ? QStringLiteral("x%1").arg(n) : QString::number(n);
        products.append({code, QStringLiteral("药品%1").arg(n), QStringLiteral("盒"), cost});
    }
    writeProductSheet(path, products);
}

void ImportRunFixture::fillTheStore(data::Connection& store)
{
    const QString pages = column(store, QStringLiteral("select page_count as v from pragma_page_count")).value(0);
    execute(store, QStringLiteral("pragma max_page_count = %1").arg(pages));
    try {
        for (int i = 0; i < 1000; ++i)
            execute(
                store,
                QStringLiteral("insert into Cpxm(Cpxm_bm, Cpxm_cd) values('F%1', '%2')").arg(i).arg(QString(90, u'x')));
    } catch (const data::DatabaseError&) {
        // Full.
    }
}

void ImportRunFixture::setUp()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    if (requireRowBackend())
        open(rowBackend());
}

void ImportRunFixture::open(Backend backend)
{
    query_.reset();
    store_ = std::make_unique<data::Connection>();
    storetest::connectDemoStore(backend, *store_, folder_->path());
    query_ = std::make_unique<data::Query>(*store_);
    // 青霉素类 and 头孢菌素类, the categories of 西药 in the demo store.
    categories_ = data::loadCategories(*query_, QStringLiteral("01"));
    QCOMPARE(categories_.value(0).kindId, QStringLiteral("010101"));
    session_ = std::make_unique<importer::ImportSession>(
        importer::ImportSession{*store_, *query_, folder_->filePath(QStringLiteral("log.txt")), QStringList()});
    reporter_ = RecordingReporter();
    QFile old(session_->logFilePath);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(kOldLog);
}

importer::ImportOutcome ImportRunFixture::run(const QString& path, int categoryIndex, const QString& sheet,
                                              bool commitEveryRow, bool dryRun)
{
    importer::ImportRequest request;
    request.workbookPath = path;
    request.sheetName = sheet;
    request.category = categories_.at(categoryIndex);
    request.commitEveryRow = commitEveryRow;
    request.dryRun = dryRun;
    return importer::runImport(*session_, request, reporter_);
}

QByteArray ImportRunFixture::logBytes() const
{
    QFile file(session_->logFilePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

} // namespace enginetest
