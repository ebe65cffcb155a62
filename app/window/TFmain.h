#pragma once
// The import window "商品资料批量导入": a workbook, a worksheet name, a product type and a category, and the OK
// button that imports every row of the sheet into the store. The controls keep the names the clerk's manual and
// the store's own system use for them (RzBitBtn1 is OK, splb_com the category list, ...).

#include "db/Connection.h"
#include "db/Query.h"
#include "engine/program/ProgramPlaces.h"
#include "engine/run/ImportRun.h"
#include "store/ProductKinds.h"
#include "window/ProgramSettings.h"
#include "window/WorkbookCache.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class DockingPanel;
class KindComboBox;
class QAction;
class QCheckBox;
class QComboBox;
class MenuDropButton;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class StatusLinkLabel;
class StyledButton;
class WindowDialogs;

class TFmain : public QWidget
{
    Q_OBJECT
public:
    // The program's window: real dialogs, the places of the running program.
    explicit TFmain(QWidget* parent = nullptr);
    // programFolder ends with '/': the store, the example workbook and log.txt are found there.
    TFmain(std::unique_ptr<WindowDialogs> dialogs, const QString& programFolder, QWidget* parent = nullptr);
    // The store, log.txt and product-import.ini in places.dataFolder; the example workbook at its own path.
    TFmain(std::unique_ptr<WindowDialogs> dialogs, const importer::ProgramPlaces& places, QWidget* parent = nullptr);
    ~TFmain() override;

    QString programFolder() const { return programFolder_; }
    bool storeConnected() const { return storeConnected_; }
    const data::ProductKindList& productTypes() const { return productTypes_; }
    const data::ProductKindList& categories() const { return categories_; }
    const importer::ImportSession& session() const { return session_; }
    const importer::ImportOutcome& lastOutcome() const { return lastOutcome_; }
    // The last run's failed rows as a workbook to fix, where the clerk chooses; owner owns what it asks.
    void saveFailedRows(QWidget* owner);

public slots:
    void RzBitBtn1Click();             // OK: one import run
    void RzBitBtn2Click();             // Close
    void RzBitBtn3Click();             // browse for the workbook
    void N2Click();                    // PopupMenu1 "模板事例": open the example workbook
    void N3Click(bool checked);        // PopupMenu1 "按词组生成助记码": remember whole-word mnemonic codes
    void RzComboBox1Select(int index); // a product type chosen: load its categories
    void RzURLLabel1Click();           // the status line: open log.txt

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void createPanels();
    void createWorkbookInputs();
    void createRunChoices();
    void createProgressAndStatus();
    void createTemplateMenu();
    void createTypeChoice();
    void orderTabs();
    void connectControls();
    void FormCreate();
    void loadProductTypes();
    // Lists the sheets of the workbook in excel and selects the one that holds the products.
    void listSheets();
    // Before a run of a sheet that is not the template itself: the clerk confirms or changes which column feeds
    // each field. False when the clerk cancels; the sheet read for it goes with the request.
    bool chooseColumns(importer::ImportRequest& request);
    std::optional<data::ProductKind> chosenCategory() const;
    // The fields an update of this request writes over, nothing when its sheet could not be read.
    std::optional<QStringList> changedFields(const importer::ImportRequest& request) const;
    // The status line as tall as its text needs, inside the status area.
    void fitStatusLine();
    // The last run's status line hidden: another workbook was picked, or the run was called off.
    void clearStatus();
    // A choice kept in product-import.ini: when the file cannot be written, the clerk is told it holds for this run
    // of the program only.
    void choiceKept(bool written);
    // Runs a handler; an error it lets through reaches the default error report and the window goes on.
    void guarded(const std::function<void()>& handler);

    std::unique_ptr<WindowDialogs> dialogs_;
    importer::ProgramPlaces places_;
    QString programFolder_;         // where the store, log.txt and product-import.ini are: places_.dataFolder
    QString lastConfirmedWorkbook_; // where the workbook picker starts: its last confirmed file in this run
    ProgramSettings settings_;
    WorkbookCache workbooks_;
    QString listedWorkbook_; // the path whose sheets RzEdit2 lists
    QString statusWorkbook_; // the workbook of the run the status line tells of

    data::Connection ADOCon;
    data::Query ADOQuery2{ADOCon};
    bool storeConnected_ = false;
    data::ProductKindList productTypes_; // RzComboBox1's entries, item for item
    data::ProductKindList categories_;   // splb_com's entries, item for item
    importer::ImportSession session_;
    importer::ImportOutcome lastOutcome_;

    // Controls, back to front; owned through their Qt parents.
    QLabel* Image1 = nullptr;
    DockingPanel* RzPanel1 = nullptr;
    QLabel* RzLabel1 = nullptr;
    QLabel* RzLabel2 = nullptr;
    QLabel* RzLabel3 = nullptr;
    QLabel* RzLabel4 = nullptr;
    StyledButton* RzBitBtn1 = nullptr;
    StyledButton* RzBitBtn2 = nullptr;
    StyledButton* RzBitBtn3 = nullptr;
    QLineEdit* excel = nullptr;
    QComboBox* RzEdit2 = nullptr; // the worksheet: typed, or picked from the workbook's sheets
    KindComboBox* splb_com = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    DockingPanel* RzPanel2 = nullptr;
    StatusLinkLabel* RzURLLabel1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N3 = nullptr; // checkable: a blank 助记码 by whole words, kept in product-import.ini
    MenuDropButton* RzMenuButton1 = nullptr;
    KindComboBox* RzComboBox1 = nullptr;
    QLabel* existingLabel = nullptr;     // "已有的商品：", before existingChoice
    QComboBox* existingChoice = nullptr; // a product the store holds already: add, skip (kept in the ini) or update
    QCheckBox* mergeRepeats = nullptr;   // a repeated code's stock added to the first row's product; not kept
};
