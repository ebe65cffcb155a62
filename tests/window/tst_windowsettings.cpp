// The window's choices for a run and what keeps them: phrase mnemonics, existing products and repeated codes kept
// between starts (or written by hand, or not kept), and how they reach the run.
#include "ImportWindowFixture.h"

class TestWindowSettings : public windowtest::ImportWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void phraseMnemonicsEntryIsRemembered();
    void phraseMnemonicsChoiceThatCannotBeKeptSaysSo();
    void runChoicesAreKeptBetweenStarts_data();
    void runChoicesAreKeptBetweenStarts();
    void runChoicesAsWrittenByHand_data();
    void runChoicesAsWrittenByHand();
    void runChoiceThatCannotBeKeptSaysSo();
    void runChoicesReachTheRun_data();
    void runChoicesReachTheRun();
    void declinedUpdateRunsNothing();
    void phraseMnemonicsEntryChoosesTheCodes_data();
    void phraseMnemonicsEntryChoosesTheCodes();
};

void TestWindowSettings::phraseMnemonicsEntryIsRemembered()
{
    folder_->addDemoStore();
    const QString iniPath = folder_->file(QStringLiteral("product-import.ini"));
    const auto entryOf = [](const Window& w) { return w->findChild<QAction*>(QStringLiteral("N3")); };
    {
        const Window w = openWindow(*folder_);
        QAction* entry = entryOf(w);
        QVERIFY(entry);
        QCOMPARE(entry->text(), QStringLiteral("按词组生成助记码"));
        QVERIFY(entry->isCheckable());
        QVERIFY(!entry->isChecked()); // no file yet: off
        // Right below "模板事例".
        const QList<QAction*> entries = w.child<QMenu>("PopupMenu1")->actions();
        QCOMPARE(entries.indexOf(entry), entries.indexOf(w->findChild<QAction*>(QStringLiteral("N2"))) + 1);
        QVERIFY(!QFile::exists(iniPath)); // opening the window writes nothing

        entry->trigger();
        QVERIFY(entry->isChecked());
        QCOMPARE(QSettings(iniPath, QSettings::IniFormat).value(QStringLiteral("mnemonic/phrases")).toString(),
                 QStringLiteral("true"));
    }
    {
        const Window w = openWindow(*folder_);
        QVERIFY(entryOf(w)->isChecked()); // remembered by the next start of the program
        entryOf(w)->trigger();
        QVERIFY(!entryOf(w)->isChecked());
    }
    QVERIFY(!entryOf(openWindow(*folder_))->isChecked());

    // The file as a clerk or an installer writes it by hand.
    QFile ini(iniPath);
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[mnemonic]\r\nphrases=true\r\n");
    ini.close();
    QVERIFY(entryOf(openWindow(*folder_))->isChecked());
}

// A settings file that cannot be written (a folder in its place, as a read-only program folder would do): the
// choice holds for this run, and the window says that it will not be kept.
void TestWindowSettings::phraseMnemonicsChoiceThatCannotBeKeptSaysSo()
{
    folder_->addDemoStore();
    const QString iniPath = folder_->file(QStringLiteral("product-import.ini"));
    QVERIFY(QDir().mkpath(iniPath));
    const Window w = openWindow(*folder_);
    QAction* entry = w->findChild<QAction*>(QStringLiteral("N3"));
    entry->trigger();
    QVERIFY(entry->isChecked());
    QCOMPARE(w.dialogs->informations.size(), 1);
    QCOMPARE(w.dialogs->informations.constFirst().text,
             QStringLiteral("这个选择只在本次运行中有效，下次启动时不会保留：无法写入 ") +
                 QDir::toNativeSeparators(iniPath));
}

void TestWindowSettings::runChoicesAreKeptBetweenStarts_data()
{
    QTest::addColumn<int>("index"); // in the box of existing products
    QTest::addColumn<bool>("merge");
    QTest::addColumn<QString>("existing"); // as product-import.ini keeps it
    QTest::addColumn<int>("nextIndex");    // preset at the next start
    QTest::newRow("skip") << 1 << false << "skip" << 1;
    QTest::newRow("update") << 2 << false << "<none>" << 0;
    QTest::newRow("merge") << 0 << true << "<none>" << 0;
    QTest::newRow("skip and merge") << 1 << true << "skip" << 1;
    QTest::newRow("update and merge") << 2 << true << "<none>" << 0;
}

// The box of existing products and the merge check box start as every run did before and write nothing until the
// clerk changes them. Skipping is kept in product-import.ini for the next start; updating and merging, which
// change stored products, last until the program ends and are never found preset.
void TestWindowSettings::runChoicesAreKeptBetweenStarts()
{
    QFETCH(int, index);
    QFETCH(bool, merge);
    QFETCH(QString, existing);
    QFETCH(int, nextIndex);
    folder_->addDemoStore();
    const QString iniPath = folder_->file(QStringLiteral("product-import.ini"));
    {
        const Window w = openWindow(*folder_);
        auto* box = w.child<QComboBox>("existingChoice");
        auto* check = w.child<QCheckBox>("mergeRepeats");
        QCOMPARE(itemsOf(box), QStringList({"新增为新商品", "跳过已有的商品", "更新已有的商品"}));
        QCOMPARE(box->currentIndex(), 0);
        QVERIFY(!box->isEditable());
        QVERIFY(!check->isChecked());
        QVERIFY(!QFile::exists(iniPath)); // opening the window writes nothing
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        pickFromList(box, index);
        if (merge)
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
        QCOMPARE(check->isChecked(), merge);
        QCOMPARE(box->currentIndex(), index); // for the rest of this run of the program
    }
    const QSettings ini(iniPath, QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("import/existing"), QStringLiteral("<none>")).toString(), existing);
    QVERIFY(!ini.contains(QStringLiteral("import/repeats")));
    {
        const Window w = openWindow(*folder_);
        QCOMPARE(w.child<QComboBox>("existingChoice")->currentIndex(), nextIndex);
        QVERIFY(!w.child<QCheckBox>("mergeRepeats")->isChecked());
        // Back to the default: kept as well.
        w.child<QComboBox>("existingChoice")->setCurrentIndex(0);
    }
    const Window w = openWindow(*folder_);
    QCOMPARE(w.child<QComboBox>("existingChoice")->currentIndex(), 0);
    QVERIFY(!w.child<QCheckBox>("mergeRepeats")->isChecked());
    const QSettings reset(iniPath, QSettings::IniFormat);
    QCOMPARE(reset.value(QStringLiteral("import/existing"), QStringLiteral("add")).toString(), QStringLiteral("add"));
}

void TestWindowSettings::runChoicesAsWrittenByHand_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("index");
    // What an earlier version kept: update and merge are not preset from it.
    QTest::newRow("update, merge") << QByteArray("[import]\r\nexisting=update\r\nrepeats=merge\r\n") << 0;
    QTest::newRow("skip alone") << QByteArray("[import]\nexisting=skip\n") << 1;
    QTest::newRow("skip, merge") << QByteArray("[import]\nexisting=skip\nrepeats=merge\n") << 1;
    QTest::newRow("values the program does not know") << QByteArray("[import]\nexisting=keep\nrepeats=yes\n") << 0;
    QTest::newRow("another section") << QByteArray("[mnemonic]\nexisting=skip\nrepeats=merge\n") << 0;
}

void TestWindowSettings::runChoicesAsWrittenByHand()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, index);
    folder_->addDemoStore();
    QFile file(folder_->file(QStringLiteral("product-import.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    const Window w = openWindow(*folder_);
    QCOMPARE(w.child<QComboBox>("existingChoice")->currentIndex(), index);
    QVERIFY(!w.child<QCheckBox>("mergeRepeats")->isChecked());
    QVERIFY(w.dialogs->informations.isEmpty());
}

// A settings file that cannot be written: a choice that would be kept holds for this run, and the window says it
// will not be kept; update and merge are never kept, and need no word.
void TestWindowSettings::runChoiceThatCannotBeKeptSaysSo()
{
    folder_->addDemoStore();
    const QString iniPath = folder_->file(QStringLiteral("product-import.ini"));
    QVERIFY(QDir().mkpath(iniPath));
    const Window w = openWindow(*folder_);
    w.child<QComboBox>("existingChoice")->setCurrentIndex(2);
    w.child<QCheckBox>("mergeRepeats")->setChecked(true);
    QVERIFY(w.dialogs->informations.isEmpty());
    w.child<QComboBox>("existingChoice")->setCurrentIndex(1);
    QCOMPARE(w.dialogs->informations.size(), 1);
    QCOMPARE(w.dialogs->informations.constFirst().text,
             QStringLiteral("这个选择只在本次运行中有效，下次启动时不会保留：无法写入 ") +
                 QDir::toNativeSeparators(iniPath));
    QCOMPARE(w.child<QComboBox>("existingChoice")->currentIndex(), 1);
    QVERIFY(w.child<QCheckBox>("mergeRepeats")->isChecked());
}

void TestWindowSettings::runChoicesReachTheRun_data()
{
    QTest::addColumn<int>("index"); // in the box of existing products
    QTest::addColumn<bool>("merge");
    QTest::addColumn<QString>("named");    // between the counts and the link
    QTest::addColumn<QString>("question"); // asked on 确定, empty for none
    const QString update = QStringLiteral(
        "将更新已有商品的计量单位、成本价、销售价、最低折扣、当前库存、单品折扣和助记码（改为表中的值）。");
    const QString merge = QStringLiteral("表中重复的编号将合并库存：后面各行的当前库存加到第一行的商品上。");
    const QString ask = QStringLiteral("\n\n确定要导入吗？");
    QTest::newRow("as ever") << 0 << false << ""
                             << "";
    QTest::newRow("skip") << 1 << false << "已有0条,"
                          << "";
    QTest::newRow("update") << 2 << false << "更新0条," << update + ask;
    QTest::newRow("merge") << 0 << true << "合并0条," << merge + ask;
    QTest::newRow("update and merge") << 2 << true << "更新0条,合并0条," << update + u'\n' + merge + ask;
}

// What the clerk chose goes with the run: the status line names what became of existing products and repeated
// codes (none of the sheet's codes is in the demo store, and none repeats); the default run's line is as it
// always was.
void TestWindowSettings::runChoicesReachTheRun()
{
    QFETCH(int, index);
    QFETCH(bool, merge);
    QFETCH(QString, named);
    QFETCH(QString, question);
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    fillForFiveRows(w);
    w.child<QComboBox>("existingChoice")->setCurrentIndex(index);
    w.child<QCheckBox>("mergeRepeats")->setChecked(merge);
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(w->lastOutcome().end, importer::ImportOutcome::End::Completed);
    QCOMPARE(w.child<QLabel>("RzURLLabel1")->text(),
             QStringLiteral("共5条,正确导入3条,错误1条,空纪录1条,") + named + QStringLiteral("点此查看错误的信息！"));
    QVERIFY(w.dialogs->errors.isEmpty());
    QCOMPARE(w.dialogs->confirmations.size(), question.isEmpty() ? 0 : 1);
    if (!question.isEmpty()) {
        QCOMPARE(w.dialogs->confirmations.constFirst().text, question);
        QCOMPARE(w.dialogs->confirmations.constFirst().caption, QStringLiteral("系统提示"));
    }
}

// 取消 on the question: nothing is run, nothing written, and the status line shows no run.
void TestWindowSettings::declinedUpdateRunsNothing()
{
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    fillForFiveRows(w);
    w.child<QComboBox>("existingChoice")->setCurrentIndex(2);
    w.dialogs->confirmAnswer = false;
    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);
    QCOMPARE(w.dialogs->confirmations.size(), 1);
    QCOMPARE(w->lastOutcome().end, importer::ImportOutcome::End::Refused);
    QVERIFY(w.child<QLabel>("RzURLLabel1")->isHidden());
    QVERIFY(!QFile::exists(folder_->file(QStringLiteral("log.txt"))));
    QVERIFY(storedCodes(*folder_, QStringLiteral("B%")).isEmpty());
}

void TestWindowSettings::phraseMnemonicsEntryChoosesTheCodes_data()
{
    QTest::addColumn<bool>("phrases");
    QTest::addColumn<QStringList>("expected");
    // 人参, 复方丹参片 with a blank of spaces, and 白术, whose 助记码 the sheet gives.
    QTest::newRow("off: characters alone") << false << QStringList({"B6001 RC", "B6002 FFDCP", "B6003 BAIZHU"});
    QTest::newRow("on: whole words") << true << QStringList({"B6001 RS", "B6002 FFDSP", "B6003 BAIZHU"});
}

void TestWindowSettings::phraseMnemonicsEntryChoosesTheCodes()
{
    QFETCH(bool, phrases);
    QFETCH(QStringList, expected);
    folder_->addDemoStore();
    const Window w = openWindow(*folder_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    if (phrases)
        w->findChild<QAction*>(QStringLiteral("N3"))->trigger();
    w.child<QLineEdit>("excel")->setText(testsupport::testData(QStringLiteral("engine/phrase-names.xls")));
    pickFromList(w.child<QComboBox>("RzComboBox1"), 0);
    pickFromList(w.child<QComboBox>("splb_com"), 0);

    QTest::mouseClick(w.child<QPushButton>("RzBitBtn1"), Qt::LeftButton);

    QVERIFY2(w.dialogs->errors.isEmpty(), qPrintable(w.dialogs->errors.value(0).text));
    QCOMPARE(w->lastOutcome().counts.imported, 5);
    QCOMPARE(storedMnemonics(*folder_, QStringLiteral("B600_")).mid(0, 3), expected);
}

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
