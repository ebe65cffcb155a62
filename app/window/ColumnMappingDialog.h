#pragma once
// "列的对应": which column of the sheet feeds each of the nine fields, shown before a run whose sheet is not the
// template itself. Each field has a combo box of the sheet's columns (and "(无)"), preset from what was found or
// remembered; below them, the sheet's first rows as they will be stored. OK takes the choice; Cancel ends the run
// before anything is written. On a low screen the fields scroll; the buttons and the title bar stay on the screen.

#include "engine/sheet/ProductFields.h"
#include "engine/sheet/SheetLayout.h"
#include "worksheet/Workbook.h"

#include <QDialog>

#include <array>
#include <vector>

class QComboBox;
class QLabel;
class QDialogButtonBox;
class QSpinBox;
class QTableWidget;

class ColumnMappingDialog : public QDialog
{
    Q_OBJECT
public:
    // The rows shown below the fields.
    static constexpr int kPreviewRows = 20;

    // furtherColumns: the store's further columns of Cpxm, offered below the nine fields, none chosen unless the
    // preset chooses it.
    ColumnMappingDialog(const data::Worksheet& sheet, const importer::SheetLayout& preset, bool phraseMnemonics,
                        const QStringList& furtherColumns = {}, QWidget* parent = nullptr);

    // The header row and every field's column as the dialog shows them now.
    importer::SheetLayout layout() const;

private:
    void headerRowChanged(int rowNumber);
    void fillColumnBoxes(int headerRow);
    void select(const importer::SheetLayout& layout);
    void refresh();
    void showWhy(const importer::SheetLayout& chosen);
    // The wanted size where the screen has room, else the screen's free area less the frame, centred there.
    void fitScreen(const QSize& wanted);

    data::Worksheet sheet_;
    bool phraseMnemonics_;
    QSpinBox* headerRow_ = nullptr;
    std::array<QComboBox*, importer::kProductColumnCount> fields_{};
    std::array<QLabel*, importer::kProductColumnCount> why_{};
    importer::SheetLayout found_; // as found at the header row shown, for the reasons beside the fields
    QLabel* unsaid_ = nullptr;    // the rows that name a product but have no code
    QStringList furtherNames_;
    std::vector<QComboBox*> further_; // one a further column, in the order of furtherNames_
    QTableWidget* preview_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};
