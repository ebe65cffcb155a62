#pragma once
// One cell as a TSV field: tab, line feed, carriage return and backslash written as \t, \n, \r and \\ so that
// every row stays one line.

#include <QString>

namespace cli {

inline QString tsvField(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t':
            out += u"\\t";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

} // namespace cli
