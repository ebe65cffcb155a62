// The column dialog driven by keys and the mouse: preset from what was found, changed, the rows below as they will
// be stored, OK only with a code and a name, Cancel.
#include "TestPaths.h"
#include "window/ColumnMappingDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

using importer::ProductColumn;

namespace {

data::Worksheet listSheet(const QString& file, const QString& sheet)
{
    return data::Workbook::open(testsupport::testData(QStringLiteral("lists/") + file)).sheet(sheet);
}

QComboBox* fieldBox(const ColumnMappingDialog& dialog, ProductColumn field)
{
    return dialog.findChild<QComboBox*>(importer::templateHeader(field));
}

QString firstRow(const ColumnMappingDialog& dialog)
{
    const auto* preview = dialog.findChild<QTableWidget*>(QStringLiteral("preview"));
    QStringList cells;
    for (int column = 0; column < preview->columnCount(); ++column)
        cells << (preview->item(0, column) ? preview->item(0, column)->text() : QString());
    return cells.join(u'|');
}

QPushButton* okButton(const ColumnMappingDialog& dialog)
{
    return dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttons"))->button(QDialogButtonBox::Ok);
}

} // namespace

class TestColumnMapping : public QObject
{
    Q_OBJECT

private slots:
    void presetChangedAndTaken()
    {
        const data::Worksheet sheet = listSheet(QStringLiteral("two-codes.xlsx"), QStringLiteral("Sheet1"));
        ColumnMappingDialog dialog(sheet, importer::findSheetLayout(sheet), false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QComboBox* code = fieldBox(dialog, ProductColumn::Code);
        QCOMPARE(code->currentText(), QStringLiteral("C  商品编码"));
        QCOMPARE(fieldBox(dialog, ProductColumn::Unit)->currentText(), QStringLiteral("(无)"));
        QCOMPARE(firstRow(dialog), QStringLiteral("S001|双喜(软蓝红玫王)||0|13|0|5|1|SXRLHMW"));
        QCOMPARE(dialog.findChild<QTableWidget*>(QStringLiteral("preview"))->verticalHeaderItem(0)->text(),
                 QStringLiteral("2"));

        // The barcode as the code, with the keyboard: from C up to A.
        code->setFocus();
        QTest::keyClick(code, Qt::Key_Up);
        QTest::keyClick(code, Qt::Key_Up);
        QCOMPARE(code->currentText(), QStringLiteral("A  条码"));
        QCOMPARE(firstRow(dialog).section(u'|', 0, 0), QStringLiteral("6901028004954"));

        // No code column: nothing to import, OK waits.
        QTest::keyClick(code, Qt::Key_Up);
        QCOMPARE(code->currentText(), QStringLiteral("(无)"));
        QVERIFY(!okButton(dialog)->isEnabled());
        QTest::keyClick(code, Qt::Key_Down);
        QVERIFY(okButton(dialog)->isEnabled());

        QTest::mouseClick(okButton(dialog), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const importer::SheetLayout chosen = dialog.layout();
        QCOMPARE(chosen.column(ProductColumn::Code), 0);
        QCOMPARE(chosen.column(ProductColumn::Name), 1);
        QCOMPARE(chosen.column(ProductColumn::Stock), 4);
        QCOMPARE(chosen.column(ProductColumn::Unit), -1);
    }

    void anotherHeaderRowFindsItsColumns()
    {
        const data::Worksheet sheet = listSheet(QStringLiteral("title-rows.xlsx"), QStringLiteral("饮片"));
        const importer::SheetLayout nothing = importer::SheetLayout::withoutColumns(0);
        ColumnMappingDialog dialog(sheet, nothing, false);
        dialog.show();
        QVERIFY(!okButton(dialog)->isEnabled());
        auto* headerRow = dialog.findChild<QSpinBox*>(QStringLiteral("headerRow"));
        headerRow->setFocus();
        headerRow->selectAll();
        QTest::keyClicks(headerRow, QStringLiteral("7"));
        QCOMPARE(fieldBox(dialog, ProductColumn::Name)->currentText(), QStringLiteral("C  中文名称"));
        QVERIFY(okButton(dialog)->isEnabled());
        // Blank rows and the total row are not shown: only what will be stored.
        QCOMPARE(dialog.findChild<QTableWidget*>(QStringLiteral("preview"))->rowCount(), 3);
    }

    // The store's further columns below the nine, none chosen unless preset; a list without codes numbered.
    void furtherColumnsAndNumbering()
    {
        const data::Worksheet sheet = listSheet(QStringLiteral("no-code.xlsx"), QStringLiteral("Sheet1"));
        importer::SheetLayout preset = importer::SheetLayout::withoutColumns(0);
        preset.columns[std::size_t(importer::indexOf(ProductColumn::Name))] = 0;
        preset.further.emplace_back(QStringLiteral("Cpxm_gg"), 1);
        ColumnMappingDialog dialog(sheet, preset, false, {"Cpxm_gg", "Cpxm_cd"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("further:Cpxm_gg"))->currentText(),
                 QStringLiteral("B  规格(*)"));
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("further:Cpxm_cd"))->currentText(),
                 QStringLiteral("(无)"));
        QVERIFY(!okButton(dialog)->isEnabled());
        QComboBox* code = fieldBox(dialog, ProductColumn::Code);
        code->setFocus();
        QTest::keyClick(code, Qt::Key_End);
        QCOMPARE(code->currentText(), importer::kAutoNumberText);
        QCOMPARE(firstRow(dialog).section(u'|', 0, 1), QStringLiteral("1|连钱草"));
        QTest::keyClick(okButton(dialog), Qt::Key_Space);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.layout().numbersProducts());
        QCOMPARE(dialog.layout().further, (std::vector<std::pair<QString, int>>{{QStringLiteral("Cpxm_gg"), 1}}));
    }

    void escapeCancels()
    {
        const data::Worksheet sheet = listSheet(QStringLiteral("english.xlsx"), QStringLiteral("score"));
        ColumnMappingDialog dialog(sheet, importer::findSheetLayout(sheet), false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    // Beside each field, why it has its column (and, in the tooltip, which columns were passed over); above the
    // rows, the rows that name a product but have no code.
    void saysWhyAndWhatIsLeftOut()
    {
        const data::Worksheet sheet = listSheet(QStringLiteral("two-codes.xlsx"), QStringLiteral("Sheet1"));
        ColumnMappingDialog dialog(sheet, importer::findSheetLayout(sheet), false);
        const auto why = [&dialog](ProductColumn field) {
            return dialog.findChild<QLabel*>(QStringLiteral("why:") + importer::templateHeader(field));
        };
        QCOMPARE(why(ProductColumn::Code)->text(), QStringLiteral("表头“商品编码”"));
        QVERIFY2(why(ProductColumn::Code)->toolTip().contains(QStringLiteral("未用 A 条码")),
                 qPrintable(why(ProductColumn::Code)->toolTip()));
        QCOMPARE(why(ProductColumn::Unit)->text(), QString());
        QComboBox* code = fieldBox(dialog, ProductColumn::Code);
        code->setCurrentIndex(code->findData(0));
        QCOMPARE(why(ProductColumn::Code)->text(), QStringLiteral("按指定"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("namedWithoutCode"))->text(), QString());
    }
};

QTEST_MAIN(TestColumnMapping)
#include "tst_columnmapping.moc"
