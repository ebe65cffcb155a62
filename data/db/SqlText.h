#pragma once
// The text of a statement, held as lines: every line ends with CR LF, as the text reads back.

#include <QString>

namespace data {

class SqlText
{
public:
    void clear() { text_.clear(); }
    void addLine(const QString& line);            // taken as it stands, line breaks inside it included
    void set(const QString& text);                // lines split at CR LF, LF or CR
    const QString& text() const { return text_; } // every line followed by CR LF, the last one too

private:
    QString text_;
};

} // namespace data
