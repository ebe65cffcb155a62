#pragma once
// The window's own reader for log.txt, for a desktop that has no program to open it: a read-only text view. The
// file is GBK (GB18030) with CR LF line ends, as the import writes it; it is only read here, never rewritten.

#include <QByteArray>
#include <QDialog>
#include <QString>

class QPlainTextEdit;

// The log's text: GB18030 (a superset of GBK) decoded, CR LF as line ends.
QString decodeLogText(const QByteArray& bytes);
// The decoded text of the file at path; an empty text when it cannot be read.
QString readLogText(const QString& path);

class LogViewer : public QDialog
{
    Q_OBJECT
public:
    LogViewer(const QString& path, const QString& text, QWidget* parent = nullptr);

    QString shownText() const;

private:
    QPlainTextEdit* view_ = nullptr; // owned through its Qt parent
};
