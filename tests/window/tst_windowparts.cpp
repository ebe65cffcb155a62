// The small parts the import window is built from, each on its own.

#include "ChineseFonts.h"
#include "ErrorReport.h"
#include "InputBlocker.h"
#include "KindComboBox.h"
#include "LogViewer.h"
#include "MenuDropButton.h"
#include "StyledButton.h"
#include "WorkbookFileDialog.h"
#include "PrivateUserFolders.h"
#include "TypeText.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

class WindowPartsTest : public QObject
{
    Q_OBJECT

private slots:
    void errorTextGetsItsFullStop_data();
    void errorTextGetsItsFullStop();
    void menuDropsBelowTheButton_data();
    void menuDropsBelowTheButton();
    void workbookDialogSettings();
    void dialogHistoryStaysInTheTestsOwnFolder();
    void logViewerDecodesGbk_data();
    void logViewerDecodesGbk();
    void workbookDialogAddsTheSuffixAndAcceptsNewNames();
    void songTiIsMappedToAnInstalledChineseFace();
    void kindBoxReportsListPicksAndArrowKeysOnly();
    void buttonFaceIsPinkAndLighterUnderTheMouse();
    void blockedInputNeverActsLater();

private:
    testsupport::PrivateUserFolders userFolders_; // dialogs and settings write there, not in the user's
};

void WindowPartsTest::errorTextGetsItsFullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain text") << "no such table: Cpxm"
                                << "no such table: Cpxm.";
    QTest::newRow("ends in a full stop") << "Disk full."
                                         << "Disk full.";
    QTest::newRow("ends in an exclamation mark") << "Stop!"
                                                 << "Stop!";
    QTest::newRow("ends in a comma") << "a, b,"
                                     << "a, b,";
    QTest::newRow("ends in a hyphen (after the full stop)") << "x -"
                                                            << "x -";
    QTest::newRow("ends in a slash (after the full stop)") << "C:/"
                                                           << "C:/.";
    QTest::newRow("ends in a line end") << "line one\n"
                                        << "line one\n";
    QTest::newRow("ends in a Chinese character") << QStringLiteral("工作表不存在") << QStringLiteral("工作表不存在.");
    QTest::newRow("ends in a full-width exclamation mark") << QStringLiteral("错误！") << QStringLiteral("错误！.");
    QTest::newRow("empty") << ""
                           << ".";
}

void WindowPartsTest::errorTextGetsItsFullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(defaultErrorText(message), shown);
}

void WindowPartsTest::menuDropsBelowTheButton_data()
{
    QTest::addColumn<QRect>("button");
    QTest::addColumn<QSize>("menu");
    QTest::addColumn<QPoint>("expected");
    const QRect workArea(0, 0, 1024, 768);
    QTest::newRow("room on the right") << QRect(312, 118, 78, 25) << QSize(100, 24) << QPoint(312, 143);
    QTest::newRow("just fits") << QRect(900, 100, 78, 25) << QSize(124, 24) << QPoint(900, 125);
    QTest::newRow("would pass the right edge") << QRect(960, 100, 60, 25) << QSize(120, 24) << QPoint(900, 125);
    QTest::newRow("wider than the button, near the edge")
        << QRect(1000, 10, 20, 25) << QSize(200, 30) << QPoint(820, 35);
}

void WindowPartsTest::menuDropsBelowTheButton()
{
    QFETCH(QRect, button);
    QFETCH(QSize, menu);
    QFETCH(QPoint, expected);
    QCOMPARE(dropDownMenuPosition(button, menu, QRect(0, 0, 1024, 768)), expected);
}

void WindowPartsTest::workbookDialogSettings()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const auto dialog = makeWorkbookFileDialog(nullptr, folder.filePath(QStringLiteral("上次的选择.xls")));
    // Every workbook the import reads first, as the default; Qt drops the blank the .xls filter's description
    // begins with, the description and the pattern stay.
    QCOMPARE(dialog->nameFilters(), QStringList({QStringLiteral("Excel 工作簿(*.xls *.xlsx *.xlsm)"),
                                                 QStringLiteral("所有表格文件(*.xls *.xlsx *.xlsm *.csv *.txt *.ods)"),
                                                 QStringLiteral("microsoft excel 文件(*.xls)"),
                                                 QStringLiteral("Excel 2007 及以上 工作簿(*.xlsx *.xlsm)")}));
    QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("Excel 工作簿(*.xls *.xlsx *.xlsm)"));
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("xls"));
    QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QVERIFY(!dialog->testOption(QFileDialog::ReadOnly));
    QVERIFY(dialog->isSizeGripEnabled());
    QCOMPARE(dialog->directory().absolutePath(), folder.path());
}

void WindowPartsTest::logViewerDecodesGbk_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("GBK, CR LF") << QByteArray("A01\t\xb0\xa2\xc4\xaa\xce\xf7\xc1\xd6\r\nA02\r\n")
                                << QStringLiteral("A01\t阿莫西林\nA02\n");
    QTest::newRow("four-byte GB18030") << QByteArray("\x95\x32\x82\x36\r\n") << QStringLiteral("\U00020000\n");
    QTest::newRow("empty") << QByteArray() << QString();
}

void WindowPartsTest::logViewerDecodesGbk()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeLogText(bytes), text);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const LogViewer viewer(path, readLogText(path));
    QCOMPARE(viewer.shownText(), text);
    const auto* view = viewer.findChild<QPlainTextEdit*>(QStringLiteral("LogText"));
    QVERIFY(view && view->isReadOnly());
    QCOMPARE(viewer.findChild<QLabel*>(QStringLiteral("LogPath"))->text(), QDir::toNativeSeparators(path));
}

void WindowPartsTest::dialogHistoryStaysInTheTestsOwnFolder()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    makeWorkbookFileDialog(nullptr, folder.filePath(QStringLiteral("a.xls"))).reset();
    // The dialog keeps its last folder in Qt's own user settings: here, the test's folder, not the user's.
    const QString settingsFile = QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName();
    QVERIFY2(settingsFile.startsWith(userFolders_.root() + u'/'), qPrintable(settingsFile));
    QVERIFY2(QFile::exists(settingsFile), qPrintable(settingsFile));
}

void WindowPartsTest::workbookDialogAddsTheSuffixAndAcceptsNewNames()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const auto dialog = makeWorkbookFileDialog(nullptr, QString());
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setDirectory(folder.path());
    dialog->open();
    auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(nameField);
    nameField->setText(QStringLiteral("新的商品表"));
    QVERIFY(QMetaObject::invokeMethod(dialog.get(), "accept"));
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(dialog->selectedFiles(), QStringList{folder.filePath(QStringLiteral("新的商品表.xls"))});
}

void WindowPartsTest::songTiIsMappedToAnInstalledChineseFace()
{
    installChineseFontSubstitutes();
    QFont face(QString::fromUtf16(kWindowFontFamily));
    face.setPixelSize(kWindowFontPixels);
    const QString shownFamily = QFontInfo(face).family();
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    if (chinese.isEmpty())
        QSKIP("no Simplified Chinese font is installed (scripts/setup installs fonts-wqy-microhei)");
    QVERIFY2(chinese.contains(shownFamily), qPrintable(shownFamily));
    QCOMPARE(QFontMetrics(face).horizontalAdvance(QStringLiteral("药")) > 0, true);
    QVERIFY(QFontMetrics(face).inFont(QChar(u'药')));
}

void WindowPartsTest::kindBoxReportsListPicksAndArrowKeysOnly()
{
    KindComboBox box;
    box.addItems({QStringLiteral("西药"), QStringLiteral("中成药"), QStringLiteral("中药饮片")});
    box.setCurrentIndex(-1);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setFocus();
    QSignalSpy picks(&box, &KindComboBox::picked);

    // Arrow keys on the closed box.
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(box.currentIndex(), 0);
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(picks.size(), 2);
    QCOMPARE(picks.at(1).at(0).toInt(), 1);

    // The mouse wheel over the closed box changes nothing.
    QWheelEvent wheel(QPointF(5, 5), box.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&box, &wheel);
    QCOMPARE(box.currentIndex(), 1);
    QCOMPARE(picks.size(), 2);

    // Typing completes and confirms an entry, but picks nothing.
    box.lineEdit()->selectAll();
    typeText(&box, QStringLiteral("中药"));
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(picks.size(), 2);

    // A pick from the drop-down list.
    box.showPopup();
    QAbstractItemView* list = box.view();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    list->setCurrentIndex(box.model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(picks.size(), 3);
    QCOMPARE(picks.at(2).at(0).toInt(), 0);
    QCOMPARE(box.currentText(), QStringLiteral("西药"));

    // A pick with the mouse.
    box.showPopup();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    const QModelIndex third = box.model()->index(2, 0);
    list->scrollTo(third);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(third).center());
    QCOMPARE(picks.size(), 4);
    QCOMPARE(picks.at(3).at(0).toInt(), 2);

    // A list closed without a choice, then a typed text confirmed: still no pick.
    box.showPopup();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    QTest::keyClick(list, Qt::Key_Escape);
    box.lineEdit()->selectAll();
    typeText(&box, QStringLiteral("中成药"));
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(picks.size(), 4);

    // The page keys on the closed box move the selection as the arrow keys do, and so report it.
    box.setCurrentIndex(0);
    QTest::keyClick(&box, Qt::Key_PageDown);
    QCOMPARE(box.currentIndex(), 1);
    QCOMPARE(picks.size(), 5);
    QCOMPARE(picks.at(4).at(0).toInt(), 1);
    QTest::keyClick(&box, Qt::Key_PageUp);
    QCOMPARE(box.currentIndex(), 0);
    QCOMPARE(picks.size(), 6);
    QCOMPARE(picks.at(5).at(0).toInt(), 0);
}

void WindowPartsTest::buttonFaceIsPinkAndLighterUnderTheMouse()
{
    StyledButton button(QStringLiteral("确定"));
    button.resize(75, 25);
    button.show();
    QVERIFY(QTest::qWaitForWindowActive(&button));
    const QPoint inside(6, 12); // left of the text
    QCOMPARE(button.grab().toImage().pixelColor(inside), kButtonFace);
    QTest::mouseMove(&button, inside);
    QTRY_VERIFY(button.underMouse());
    QCOMPARE(button.grab().toImage().pixelColor(inside), kButtonHotFace);
}

void WindowPartsTest::blockedInputNeverActsLater()
{
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("确定"), &window);
    button->resize(75, 25);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(button, &QPushButton::clicked);
    {
        const InputBlocker blocker(&window);
        QTest::mouseClick(button, Qt::LeftButton);
        // A click that is still queued when the blocker goes must not act afterwards either.
        const QPointF centre = QRectF(button->rect()).center();
        QCoreApplication::postEvent(button,
                                    new QMouseEvent(QEvent::MouseButtonPress, centre, button->mapToGlobal(centre),
                                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(button,
                                    new QMouseEvent(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre),
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }
    QCoreApplication::processEvents();
    QCOMPARE(clicks.size(), 0);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks.size(), 1);
}

QTEST_MAIN(WindowPartsTest)
#include "tst_windowparts.moc"
