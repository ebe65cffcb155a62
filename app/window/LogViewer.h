#pragma once
// The window's reader for log.txt: the failed rows as a table (行, 商品编号, 商品名称, 原因) that sorts by any column
// and filters by a text, under a line that counts them by reason. The file is GBK (GB18030) with CR LF line ends,
// as the import writes it; it is only read here, never rewritten. A button hands it to the desktop's own program.

#include "window/LogEntries.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

// The log's text: GB18030 (a superset of GBK) decoded, CR LF as line ends.
QString decodeLogText(const QByteArray& bytes);
// The decoded text of the file at path; an empty text when it cannot be read.
QString readLogText(const QString& path);

class LogViewer : public QDialog
{
    Q_OBJECT
public:
    // The table's columns.
    enum Column { LineColumn, CodeColumn, NameColumn, ReasonColumn, ColumnCount };

    LogViewer(const QString& path, const QString& text, QWidget* parent = nullptr);

    // The entries in the order the table shows them now (sorted, filtered).
    QList<LogEntry> shownEntries() const;
    // "保存出错的行…" can be pressed: the last run has failed rows (or rows without a code) to hand back.
    void setFailedRowsSavable(bool savable);

signals:
    // The clerk asks for log.txt in the desktop's own program.
    void openFileRequested();
    // The clerk asks for the failed rows as a workbook to fix.
    void saveFailedRowsRequested();

private:
    void filterChanged(const QString& text);

    QList<LogEntry> entries_;
    QStandardItemModel* model_ = nullptr;    // owned through its Qt parent
    QSortFilterProxyModel* shown_ = nullptr; // owned through its Qt parent
    QTableView* table_ = nullptr;            // owned through its Qt parent
    QLabel* shownCount_ = nullptr;           // owned through its Qt parent
    QPushButton* saveFailedRows_ = nullptr;  // owned through its Qt parent
};
