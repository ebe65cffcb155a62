#include "window/LogViewer.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStringDecoder>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

QString decodeLogText(const QByteArray& bytes)
{
    QStringDecoder gb18030("GB18030");
    QString text = gb18030(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString readLogText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeLogText(file.readAll());
}

LogViewer::LogViewer(const QString& path, const QString& text, QWidget* parent)
    : QDialog(parent), entries_(parseErrorLog(text))
{
    setObjectName(QStringLiteral("LogViewer"));
    setWindowTitle(QStringLiteral("错误的药物信息 - log.txt"));
    auto* where = new QLabel(QDir::toNativeSeparators(path), this);
    where->setObjectName(QStringLiteral("LogPath"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* counts = new QLabel(entries_.isEmpty()
                                  ? QStringLiteral("没有出错的行。")
                                  : QStringLiteral("出错 %1 行：%2").arg(entries_.size()).arg(reasonCounts(entries_)),
                              this);
    counts->setObjectName(QStringLiteral("LogCounts"));
    counts->setWordWrap(true);
    counts->setTextInteractionFlags(Qt::TextSelectableByMouse);

    model_ = new QStandardItemModel(0, ColumnCount, this);
    model_->setHorizontalHeaderLabels(
        {QStringLiteral("行"), QStringLiteral("商品编号"), QStringLiteral("商品名称"), QStringLiteral("原因")});
    // The log holds no row numbers of the sheet: the first column is the line of log.txt, which says so.
    model_->horizontalHeaderItem(LineColumn)->setToolTip(QStringLiteral("log.txt 中的第几行"));
    for (const LogEntry& entry : std::as_const(entries_)) {
        auto* line = new QStandardItem;
        line->setData(entry.line, Qt::DisplayRole); // a number, so that it sorts as one
        line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QList<QStandardItem*> row{line, new QStandardItem(entry.code), new QStandardItem(entry.name),
                                  new QStandardItem(entry.reason)};
        row.last()->setToolTip(entry.reason);
        for (QStandardItem* item : row)
            item->setEditable(false);
        model_->appendRow(row);
    }
    shown_ = new QSortFilterProxyModel(this);
    shown_->setSourceModel(model_);
    shown_->setFilterKeyColumn(-1); // any column
    shown_->setFilterCaseSensitivity(Qt::CaseInsensitive);

    auto* filter = new QLineEdit(this);
    filter->setObjectName(QStringLiteral("LogFilter"));
    filter->setPlaceholderText(QStringLiteral("筛选：编号、名称或原因中的文字"));
    filter->setClearButtonEnabled(true);
    shownCount_ = new QLabel(this);
    shownCount_->setObjectName(QStringLiteral("LogShown"));
    connect(filter, &QLineEdit::textChanged, this, &LogViewer::filterChanged);

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("LogTable"));
    table_->setModel(shown_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(LineColumn, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->resizeColumnsToContents();
    table_->setColumnWidth(NameColumn, std::min(table_->columnWidth(NameColumn), 220));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    QPushButton* open = buttons->addButton(QStringLiteral("用其他程序打开 log.txt"), QDialogButtonBox::ActionRole);
    open->setObjectName(QStringLiteral("LogOpenFile"));
    connect(open, &QPushButton::clicked, this, &LogViewer::openFileRequested);
    saveFailedRows_ = buttons->addButton(QStringLiteral("保存出错的行…"), QDialogButtonBox::ActionRole);
    saveFailedRows_->setObjectName(QStringLiteral("SaveFailedRows"));
    saveFailedRows_->setEnabled(false);
    connect(saveFailedRows_, &QPushButton::clicked, this, &LogViewer::saveFailedRowsRequested);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filter, 1);
    filterRow->addWidget(shownCount_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(where);
    layout->addWidget(counts);
    layout->addLayout(filterRow);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);
    filterChanged(QString());
    resize(760, 460);
}

void LogViewer::filterChanged(const QString& text)
{
    shown_->setFilterFixedString(text);
    shownCount_->setText(
        text.isEmpty() ? QString() : QStringLiteral("显示 %1 / %2 行").arg(shown_->rowCount()).arg(entries_.size()));
}

QList<LogEntry> LogViewer::shownEntries() const
{
    QList<LogEntry> shown;
    for (int row = 0; row < shown_->rowCount(); ++row)
        shown.append(entries_.at(shown_->mapToSource(shown_->index(row, 0)).row()));
    return shown;
}

void LogViewer::setFailedRowsSavable(bool savable)
{
    saveFailedRows_->setEnabled(savable);
}
