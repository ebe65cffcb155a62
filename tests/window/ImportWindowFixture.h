#pragma once
// What the tests of the import window share: a program folder of its own per test (with a demo store when the test
// adds one), the real window with its dialogs recorded, the clerk's ways of filling it, and what a run left in the
// store and the log. Dialogs and settings write into private user folders, never the user's.

#include "../engine/ListWorkbook.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "engine/run/ImportTexts.h"
#include "PrivateUserFolders.h"
#include "RecordingDialogs.h"
#include "store/DemoStore.h"
#include "store/StoreConnection.h"
#include "TestPaths.h"
#include "TypeText.h"
#include "window/ChineseFonts.h"
#include "window/ErrorReport.h"
#include "window/StatusLinkLabel.h"
#include "window/StyledButton.h"
#include "window/TFmain.h"
#include "window/WindowImportReporter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace windowtest {

class ImportWindowFixture : public QObject
{
protected:
    static inline const QString kFiveRows = testsupport::testData(QStringLiteral("window/five-rows.xls"));
    static inline const QString kDecorated = testsupport::testData(QStringLiteral("lists/decorated-headers.xlsx"));
    static inline const QString kTitleRows = testsupport::testData(QStringLiteral("lists/title-rows.xlsx"));
    static inline const QString kTwoCodes = testsupport::testData(QStringLiteral("lists/two-codes.xlsx"));

    // A program folder of its own for each test, with a fresh demo store in database/Member.dat.
    struct ProgramFolder
    {
        QTemporaryDir dir;
        QString path() const { return dir.path() + u'/'; }
        QString file(const QString& name) const { return path() + name; }
        void addDemoStore() const { data::createDemoStore(data::storeFilePath(path())); }
    };

    struct Window
    {
        RecordingDialogs* dialogs; // owned by the window
        std::unique_ptr<TFmain> window;

        TFmain* operator->() const { return window.get(); }
        template <class T> T* child(const char* name) const
        {
            T* found = window->findChild<T*>(QLatin1String(name));
            if (!found)
                qFatal("the window has no %s", name);
            return found;
        }
    };

    static Window openWindow(const ProgramFolder& folder);
    // One field of every entry of a kind list, in order.
    static QStringList kindField(const data::ProductKindList& kinds, QString data::ProductKind::*field);
    static QStringList itemsOf(const QComboBox* box);
    // Drops the list down and picks entry index with the keyboard, as a clerk does.
    static void pickFromList(QComboBox* box, int index);
    // Code, 商品类型 and 商品分类 of every product whose code is like the pattern.
    static QStringList storedCodes(const ProgramFolder& folder, const QString& pattern);
    // Code and 助记码 of every product whose code is like the pattern.
    static QStringList storedMnemonics(const ProgramFolder& folder, const QString& pattern);
    // The log's lines, read as GBK; one line saying so when the last has no CR LF.
    static QStringList logLines(const QString& path);
    // Fills the window for the five-row sheet under 西药 / 青霉素类.
    static void fillForFiveRows(const Window& w);
    // A list written by the test (its one sheet "S"), the first product type and category picked.
    static void fillForList(const Window& w, const QString& path);

    // For initTestCase(), init() and cleanup().
    void setUpCase();
    void setUp();
    void tearDown();

    testsupport::PrivateUserFolders userFolders_; // dialogs and settings write there, not in the user's
    std::unique_ptr<ProgramFolder> folder_;
};

} // namespace windowtest
