#include "LogViewer.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QVBoxLayout>

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

LogViewer::LogViewer(const QString& path, const QString& text, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LogViewer"));
    setWindowTitle(QStringLiteral("错误的药物信息 - log.txt"));
    auto* where = new QLabel(QDir::toNativeSeparators(path), this);
    where->setObjectName(QStringLiteral("LogPath"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    view_ = new QPlainTextEdit(this);
    view_->setObjectName(QStringLiteral("LogText"));
    view_->setReadOnly(true);
    view_->setLineWrapMode(QPlainTextEdit::NoWrap);
    view_->setPlainText(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(where);
    layout->addWidget(view_);
    layout->addWidget(buttons);
    resize(640, 400);
}

QString LogViewer::shownText() const
{
    return view_->toPlainText();
}
