#include "ImportWindowFixture.h"

namespace windowtest {

ImportWindowFixture::Window ImportWindowFixture::openWindow(const ProgramFolder& folder)
{
    auto dialogs = std::make_unique<RecordingDialogs>();
    RecordingDialogs* recorder = dialogs.get();
    return {recorder, std::make_unique<TFmain>(std::move(dialogs), folder.path())};
}

QStringList ImportWindowFixture::kindField(const data::ProductKindList& kinds, QString data::ProductKind::*field)
{
    QStringList values;
    for (const data::ProductKind& kind : kinds)
        values << kind.*field;
    return values;
}

QStringList ImportWindowFixture::itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

void ImportWindowFixture::pickFromList(QComboBox* box, int index)
{
    box->showPopup();
    QVERIFY(QTest::qWaitForWindowExposed(box->view()->window()));
    box->view()->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    QVERIFY(!box->view()->isVisible());
}

QStringList ImportWindowFixture::storedCodes(const ProgramFolder& folder, const QString& pattern)
{
    data::Connection store;
    store.connect(data::Connection::sqliteConnectionString(data::storeFilePath(folder.path())));
    data::Query query(store);
    query.setSqlText(
        QStringLiteral("select Cpxm_bm, Cpxm_Bkind, Cpxm_Skind from Cpxm where Cpxm_bm like :aa order by Cpxm_bm"));
    query.bindText(QStringLiteral("aa"), pattern);
    query.open();
    QStringList rows;
    for (query.first(); !query.eof(); query.next()) {
        rows << query.fieldText(QStringLiteral("Cpxm_bm")) + u' ' + query.fieldText(QStringLiteral("Cpxm_Bkind")) +
                    u' ' + query.fieldText(QStringLiteral("Cpxm_Skind"));
    }
    return rows;
}

QStringList ImportWindowFixture::storedMnemonics(const ProgramFolder& folder, const QString& pattern)
{
    data::Connection store;
    store.connect(data::Connection::sqliteConnectionString(data::storeFilePath(folder.path())));
    data::Query query(store);
    query.setSqlText(QStringLiteral("select Cpxm_bm, Cpxm_jp from Cpxm where Cpxm_bm like :aa order by Cpxm_bm"));
    query.bindText(QStringLiteral("aa"), pattern);
    query.open();
    QStringList rows;
    for (query.first(); !query.eof(); query.next())
        rows << query.fieldText(QStringLiteral("Cpxm_bm")) + u' ' + query.fieldText(QStringLiteral("Cpxm_jp"));
    return rows;
}

QStringList ImportWindowFixture::logLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (!bytes.endsWith("\r\n"))
        return {QStringLiteral("<no CR LF at the end>")};
    QStringDecoder gbk("GB18030");
    QString text = gbk(bytes.chopped(2));
    return text.split(QStringLiteral("\r\n"));
}

void ImportWindowFixture::fillForFiveRows(const Window& w)
{
    w.child<QLineEdit>("excel")->setText(kFiveRows);
    pickFromList(w.child<QComboBox>("RzComboBox1"), 0);
    pickFromList(w.child<QComboBox>("splb_com"), 0);
}

void ImportWindowFixture::fillForList(const Window& w, const QString& path)
{
    w.child<QLineEdit>("excel")->setText(path);
    w.child<QComboBox>("RzEdit2")->setEditText(QStringLiteral("S"));
    pickFromList(w.child<QComboBox>("RzComboBox1"), 0);
    pickFromList(w.child<QComboBox>("splb_com"), 0);
}

void ImportWindowFixture::setUpCase()
{
    installChineseFontSubstitutes();
    QVERIFY2(QFile::exists(kFiveRows), qPrintable(kFiveRows));
}

void ImportWindowFixture::setUp()
{
    folder_ = std::make_unique<ProgramFolder>();
    QVERIFY(folder_->dir.isValid());
}

void ImportWindowFixture::tearDown()
{
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    folder_.reset();
}

} // namespace windowtest
