// The window and the column dialog on a 1024x768 screen (the offscreen platform given that screen): the dialog's
// fields scroll, its frame stays on the screen with room for a title bar, and 导入 and 取消 are always in sight.

#include "TestPaths.h"
#include "window/ChineseFonts.h"
#include "window/ColumnMappingDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace {

constexpr QSize kScreen{1024, 768};
// What a window manager's title bar takes, at least, above the dialog.
constexpr int kTitleBar = 30;

data::Worksheet listSheet(const QString& file, const QString& sheet)
{
    return data::Workbook::open(testsupport::testData(QStringLiteral("lists/") + file)).sheet(sheet);
}

} // namespace

class SmallScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installChineseFontSubstitutes();
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), kScreen);
    }

    void mappingDialogFits_data()
    {
        QTest::addColumn<QStringList>("further");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("the demo store") << QStringList{"Cpxm_gg", "Cpxm_cd", "Cpxm_txm", "Cpxm_zt"} << false;
        QStringList many{"Cpxm_gg", "Cpxm_cd", "Cpxm_txm", "Cpxm_zt"};
        for (int i = 1; i <= 16; ++i)
            many << QStringLiteral("Cpxm_x%1").arg(i);
        QTest::newRow("a store of many columns") << many << true;
    }

    void mappingDialogFits()
    {
        QFETCH(QStringList, further);
        QFETCH(bool, scrolls);
        const data::Worksheet sheet = listSheet(QStringLiteral("decorated-headers.xlsx"), QStringLiteral("Sheet1"));
        ColumnMappingDialog dialog(sheet, importer::findSheetLayout(sheet), false, further);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QRect room = dialog.screen()->availableGeometry();
        QVERIFY2(room.contains(dialog.frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                       .arg(dialog.x())
                                                                       .arg(dialog.y())
                                                                       .arg(dialog.width())
                                                                       .arg(dialog.height())));
        QVERIFY(dialog.height() + kTitleBar <= room.height());
        QVERIFY(dialog.geometry().bottom() + kTitleBar <= room.bottom() || dialog.y() >= room.top() + kTitleBar);
        const auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttons"));
        for (const auto which : {QDialogButtonBox::Ok, QDialogButtonBox::Cancel}) {
            const QPushButton* button = buttons->button(which);
            QVERIFY(button->isVisible());
            const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
            QVERIFY2(dialog.geometry().contains(onScreen), qPrintable(button->text()));
            QVERIFY(room.contains(onScreen));
        }
        QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("导入"));
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
        // The fields scroll where the screen is too low for them all.
        const auto* fields = dialog.findChild<QScrollArea*>(QStringLiteral("fieldsArea"));
        QCOMPARE(fields->verticalScrollBar()->isVisible(), scrolls);
        QVERIFY(fields->height() >= 3 * dialog.findChild<QWidget*>(QStringLiteral("headerRow"))->height());
        // The store's columns by what they hold where that is known.
        QStringList labels;
        for (const QLabel* label : fields->widget()->findChildren<QLabel*>())
            labels << label->text();
        QVERIFY(labels.contains(QStringLiteral("规格（Cpxm_gg）：")));
        QVERIFY(labels.contains(QStringLiteral("产地（Cpxm_cd）：")));
        QVERIFY(labels.contains(QStringLiteral("条码（Cpxm_txm）：")));
        QVERIFY(labels.contains(QStringLiteral("Cpxm_zt：")));
    }
};

int main(int argc, char** argv)
{
    // The offscreen platform with one 1024x768 screen, whatever the environment chose.
    const QByteArray config = QFile::encodeName(testsupport::testData(QStringLiteral("window/screen-1024x768.json")));
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
    QApplication app(argc, argv);
    SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_smallscreen.moc"
