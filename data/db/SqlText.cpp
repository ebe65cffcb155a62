#include "db/SqlText.h"

namespace data {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

void SqlText::addLine(const QString& line)
{
    text_ += line;
    text_ += kLineEnd;
}

void SqlText::set(const QString& text)
{
    text_.clear();
    text_.reserve(text.size() + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            text_ += kLineEnd;
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            text_ += c;
        }
    }
    if (!text_.isEmpty() && !text_.endsWith(kLineEnd))
        text_ += kLineEnd;
}

} // namespace data
