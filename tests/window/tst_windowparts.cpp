// The small parts the import window is built from, each on its own.

#include "engine/rows/ProductValues.h"
#include "engine/run/ImportTexts.h"
#include "engine/writes/ErrorLogFile.h"
#include "PrivateUserFolders.h"
#include "TypeText.h"
#include "window/ChineseFonts.h"
#include "window/ErrorReport.h"
#include "window/FurtherColumnLabels.h"
#include "window/InputBlocker.h"
#include "window/KindComboBox.h"
#include "window/LogEntries.h"
#include "window/LogViewer.h"
#include "window/MenuDropButton.h"
#include "window/RunChange.h"
#include "window/StyledButton.h"
#include "window/WorkbookFileDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
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
    void errorLineReadBack_data();
    void errorLineReadBack();
    void reasonKinds_data();
    void reasonKinds();
    void logViewerTableCountsSortsAndFilters();
    void runChangeNamesWhatChanges_data();
    void runChangeNamesWhatChanges();
    void furtherColumnsNamedByWhatTheyHold_data();
    void furtherColumnsNamedByWhatTheyHold();
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
    QTest::addColumn<QString>("firstName"); // of the table's first row
    QTest::newRow("GBK, CR LF") << QByteArray("\xd2\xd4\xcf\xc2\xca\xc7\xb5\xbc\xc8\xeb\xb4\xed\xce\xf3\xb5\xc4"
                                              "\xd0\xc5\xcf\xa2\xa3\xa1\r\n"
                                              "\xb1\xe0\xba\xc5---A01\xa3\xbb\xc3\xfb\xb3\xc6---\xb0\xa2\xc4\xaa"
                                              "\xce\xf7\xc1\xd6\r\n")
                                << QStringLiteral("以下是导入错误的信息！\n编号---A01；名称---阿莫西林\n")
                                << QStringLiteral("阿莫西林");
    QTest::newRow("four-byte GB18030") << QByteArray(
                                              "\xb1\xe0\xba\xc5---1\xa3\xbb\xc3\xfb\xb3\xc6---\x95\x32\x82\x36\r\n")
                                       << QStringLiteral("编号---1；名称---\U00020000\n")
                                       << QStringLiteral("\U00020000");
    QTest::newRow("empty") << QByteArray() << QString() << QString();
}

void WindowPartsTest::logViewerDecodesGbk()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, firstName);
    QCOMPARE(decodeLogText(bytes), text);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const LogViewer viewer(path, readLogText(path));
    QCOMPARE(viewer.shownEntries().value(0).name, firstName);
    QCOMPARE(viewer.findChild<QLabel*>(QStringLiteral("LogPath"))->text(), QDir::toNativeSeparators(path));
    // Only read: the file is as it was.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
}

void WindowPartsTest::errorLineReadBack_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("isErrorLine");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    // Each line as the run writes it, so that the reading follows the writing.
    QTest::newRow("with its reason") << importer::errorLine(QStringLiteral("P003"), QStringLiteral("维生素C片"),
                                                            QStringLiteral("销售价“五块”不是数字"))
                                     << true << "P003"
                                     << "维生素C片"
                                     << "销售价“五块”不是数字";
    QTest::newRow("without a reason") << importer::errorLine(QStringLiteral("A1"), QStringLiteral("甘草")) << true
                                      << "A1"
                                      << "甘草"
                                      << "";
    QTest::newRow("blank code and name") << importer::errorLine(QString(), QString(), QStringLiteral("原因")) << true
                                         << ""
                                         << ""
                                         << "原因";
    QTest::newRow("a name with full-width semicolons")
        << importer::errorLine(QStringLiteral("7"), QStringLiteral("甲；乙---丙"), QStringLiteral("编号重复")) << true
        << "7"
        << "甲；乙---丙"
        << "编号重复";
    QTest::newRow("a reason that quotes the tags")
        << importer::errorLine(QStringLiteral("8"), QStringLiteral("丁"), QStringLiteral("规格“；原因---”太长")) << true
        << "8"
        << "丁"
        << "规格“；原因---”太长";
    QTest::newRow("the header line") << importer::texts::kErrorLogHeader << false << ""
                                     << ""
                                     << "";
    QTest::newRow("no name tag") << QStringLiteral("编号---9") << false << ""
                                 << ""
                                 << "";
}

void WindowPartsTest::errorLineReadBack()
{
    QFETCH(QString, line);
    QFETCH(bool, isErrorLine);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const std::optional<LogEntry> entry = parseErrorLine(line);
    QCOMPARE(entry.has_value(), isErrorLine);
    if (!entry)
        return;
    QCOMPARE(entry->code, code);
    QCOMPARE(entry->name, name);
    QCOMPARE(entry->reason, reason);
}

void WindowPartsTest::reasonKinds_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("kind");
    QTest::newRow("repeated in the sheet") << "编号重复，与第12行的编号相同"
                                           << "编号重复";
    QTest::newRow("repeated in the store") << "编号重复，数据库中已有这个编号"
                                           << "编号重复";
    QTest::newRow("a number") << "销售价“五块”不是数字"
                              << "销售价不是数字";
    QTest::newRow("a further column too long") << "规格“很长的规格”超出数据库列 Cpxm_gg 的长度（最多60个字）"
                                               << "规格超出数据库列 Cpxm_gg 的长度";
    QTest::newRow("the store's message") << "数据库拒绝了这一行（constraint failed）"
                                         << "数据库拒绝了这一行";
    QTest::newRow("none") << ""
                          << "没有写明原因";
}

void WindowPartsTest::reasonKinds()
{
    QFETCH(QString, reason);
    QFETCH(QString, kind);
    QCOMPARE(reasonKind(reason), kind);
}

// The log of a run with repeated codes and a price that does not read: one row each in the table, counted by
// reason above it, sorted by a click on a header, narrowed by the filter.
void WindowPartsTest::logViewerTableCountsSortsAndFilters()
{
    const QStringList lines{
        importer::texts::kErrorLogHeader,
        importer::errorLine(QStringLiteral("B2"), QStringLiteral("甘草"),
                            QStringLiteral("编号重复，与第3行的编号相同")),
        importer::errorLine(QStringLiteral("C9"), QStringLiteral("维生素C片"), QStringLiteral("销售价“五块”不是数字")),
        importer::errorLine(QStringLiteral("A1"), QStringLiteral("黄芪"),
                            QStringLiteral("编号重复，与第4行的编号相同")),
        importer::errorLine(QStringLiteral("B2"), QStringLiteral("甘草片"),
                            QStringLiteral("编号重复，与第3行的编号相同")),
    };
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    importer::saveErrorLog(lines, path);
    LogViewer viewer(path, readLogText(path));
    QCOMPARE(viewer.findChild<QLabel*>(QStringLiteral("LogCounts"))->text(),
             QStringLiteral("出错 4 行：编号重复 3 行, 销售价不是数字 1 行"));
    auto* table = viewer.findChild<QTableView*>(QStringLiteral("LogTable"));
    QVERIFY(table);
    QStringList headers;
    for (int column = 0; column < table->model()->columnCount(); ++column)
        headers << table->model()->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"行", "商品编号", "商品名称", "原因"}));
    const auto codes = [&viewer] {
        QStringList shown;
        for (const LogEntry& entry : viewer.shownEntries())
            shown << QStringLiteral("%1:%2").arg(entry.line).arg(entry.code);
        return shown;
    };
    QCOMPARE(codes(), (QStringList{"2:B2", "3:C9", "4:A1", "5:B2"}));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QHeaderView* header = table->horizontalHeader();
    const auto clickHeader = [header](int column) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
    };
    clickHeader(LogViewer::CodeColumn);
    QCOMPARE(codes(), (QStringList{"4:A1", "2:B2", "5:B2", "3:C9"}));
    clickHeader(LogViewer::LineColumn);
    clickHeader(LogViewer::LineColumn);
    QCOMPARE(codes(), (QStringList{"5:B2", "4:A1", "3:C9", "2:B2"})); // lines sort as numbers, here downwards

    auto* filter = viewer.findChild<QLineEdit*>(QStringLiteral("LogFilter"));
    typeText(filter, QStringLiteral("甘草"));
    QCOMPARE(codes(), (QStringList{"5:B2", "2:B2"}));
    QCOMPARE(viewer.findChild<QLabel*>(QStringLiteral("LogShown"))->text(), QStringLiteral("显示 2 / 4 行"));
    filter->setText(QStringLiteral("不是数字"));
    QCOMPARE(codes(), QStringList{"3:C9"});
    filter->clear();
    QCOMPARE(codes().size(), 4);

    QSignalSpy openAsked(&viewer, &LogViewer::openFileRequested);
    QTest::mouseClick(viewer.findChild<QPushButton*>(QStringLiteral("LogOpenFile")), Qt::LeftButton);
    QCOMPARE(openAsked.size(), 1);
}

void WindowPartsTest::runChangeNamesWhatChanges_data()
{
    using importer::ExistingChoice;
    using importer::RepeatChoice;
    QTest::addColumn<int>("existing");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<bool>("sheetRead");
    QTest::addColumn<QString>("text"); // empty: no question
    const QString ask = QStringLiteral("\n\n确定要导入吗？");
    const QString merge = QStringLiteral("表中重复的编号将合并库存：后面各行的当前库存加到第一行的商品上。");
    QTest::newRow("add") << int(ExistingChoice::Add) << int(RepeatChoice::Fail) << true << QString();
    QTest::newRow("skip") << int(ExistingChoice::Skip) << int(RepeatChoice::Fail) << true << QString();
    QTest::newRow("update") << int(ExistingChoice::Update) << int(RepeatChoice::Fail) << true
                            << QStringLiteral("将更新已有商品的销售价、当前库存和规格（Cpxm_gg）（改为表中的值）。") +
                                   ask;
    QTest::newRow("update, sheet not read") << int(ExistingChoice::Update) << int(RepeatChoice::Fail) << false
                                            << QStringLiteral("将用表中的值更新已有的商品。") + ask;
    QTest::newRow("merge") << int(ExistingChoice::Add) << int(RepeatChoice::Merge) << true << merge + ask;
    QTest::newRow("skip and merge") << int(ExistingChoice::Skip) << int(RepeatChoice::Merge) << true << merge + ask;
    QTest::newRow("update and merge") << int(ExistingChoice::Update) << int(RepeatChoice::Merge) << true
                                      << QStringLiteral(
                                             "将更新已有商品的销售价、当前库存和规格（Cpxm_gg）（改为表中的值）。\n") +
                                             merge + ask;
}

void WindowPartsTest::runChangeNamesWhatChanges()
{
    QFETCH(int, existing);
    QFETCH(int, repeats);
    QFETCH(bool, sheetRead);
    QFETCH(QString, text);
    // A price list: code, name, sale price and stock, and the store's 规格 fed from it.
    importer::SheetLayout layout = importer::SheetLayout::withoutColumns(0);
    layout.columns[std::size_t(importer::indexOf(importer::ProductColumn::Code))] = 0;
    layout.columns[std::size_t(importer::indexOf(importer::ProductColumn::Name))] = 1;
    layout.columns[std::size_t(importer::indexOf(importer::ProductColumn::SalePrice))] = 2;
    layout.columns[std::size_t(importer::indexOf(importer::ProductColumn::Stock))] = 3;
    layout.further.emplace_back(QStringLiteral("Cpxm_gg"), 4);
    const std::optional<QStringList> fields = sheetRead ? std::optional(updatedFields(layout)) : std::nullopt;
    QCOMPARE(runChangeText(importer::ExistingChoice(existing), importer::RepeatChoice(repeats), fields), text);
}

void WindowPartsTest::furtherColumnsNamedByWhatTheyHold_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("label");
    QTest::newRow("规格") << "Cpxm_gg"
                          << "规格（Cpxm_gg）";
    QTest::newRow("产地, in other case") << "CPXM_CD"
                                         << "产地（CPXM_CD）";
    QTest::newRow("条码") << "Cpxm_txm"
                          << "条码（Cpxm_txm）";
    QTest::newRow("one the demo store does not explain") << "Cpxm_zt"
                                                         << "Cpxm_zt";
    QTest::newRow("another store's own") << "Cpxm_pzwh"
                                         << "Cpxm_pzwh";
}

void WindowPartsTest::furtherColumnsNamedByWhatTheyHold()
{
    QFETCH(QString, column);
    QFETCH(QString, label);
    QCOMPARE(furtherColumnLabel(column), label);
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
