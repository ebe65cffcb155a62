#pragma once
// The text of a statement, held whole: every line ends with CR LF, as the text reads back. The last line end of a
// text set in one piece is added only when the text is read, so that setting the same text again, row after row,
// costs the copy of a shared string and one comparison.

#include <QString>
#include <QStringView>

#include <array>

namespace data {

// Equal texts, compared as memory: several times faster than QString's own comparison on long statement texts.
bool sameText(QStringView a, QStringView b);

class SqlText
{
public:
    void clear();
    void addLine(const QString& line); // taken as it stands, line breaks inside it included
    void set(const QString& text);     // lines split at CR LF, LF or CR
    // Sets text and returns true when it is fullText (a text as text() gives it) with or without its last line end.
    bool setIfSameAs(const QString& text, const QString& fullText);

    QString text();                          // every line followed by CR LF, the last one too
    bool equals(QStringView fullText) const; // text() == fullText, without building text()

private:
    bool knownWellFormed(const QString& text) const;
    void rememberWellFormed(const QString& text);
    void settleLineEnd();

    QString body_;
    bool lineEndPending_ = false;
    // The last texts set that needed no rewriting of their line breaks: the same texts come back row after row.
    std::array<QString, 2> wellFormed_;
    size_t nextWellFormed_ = 0;
};

} // namespace data
