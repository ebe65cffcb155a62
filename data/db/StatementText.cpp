#include "db/StatementText.h"

namespace data {

namespace {

bool endsName(QChar c)
{
    switch (c.unicode()) {
    case u' ':
    case u'\t':
    case u',':
    case u';':
    case u')':
    case u'\r':
    case u'\n':
        return true;
    default:
        return false;
    }
}

bool isQuote(QChar c)
{
    return c == u'\'' || c == u'"' || c == u'`';
}

} // namespace

int ParsedStatement::indexOf(const QString& name) const
{
    if (name.startsWith(u':'))
        return indexOf(name.mid(1));
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString ParsedStatement::driverText(bool numbered) const
{
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    for (const ParameterOccurrence& occurrence : occurrences) {
        result += QStringView(text).mid(from, occurrence.position - from);
        result += u'?';
        if (numbered)
            result += QString::number(occurrence.parameter + 1);
        from = occurrence.position + occurrence.length;
    }
    result += QStringView(text).mid(from);
    return result;
}

ParsedStatement parseStatement(const QString& text)
{
    ParsedStatement parsed;
    parsed.text = text;
    const qsizetype size = text.size();
    QChar quote;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (isQuote(c)) {
            quote = c;
            continue;
        }
        if (c != u':')
            continue;
        if (i + 1 < size && text.at(i + 1) == u':') {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < size && !endsName(text.at(end)))
            ++end;
        if (end == i + 1)
            continue; // a colon on its own
        const QString name = text.mid(i + 1, end - i - 1);
        int index = parsed.indexOf(name);
        if (index < 0) {
            index = int(parsed.names.size());
            parsed.names.append(name);
        }
        parsed.occurrences.push_back({i, end - i, index});
        i = end - 1;
    }
    return parsed;
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace data
