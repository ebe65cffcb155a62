#include "SqlText.h"

#include <algorithm>
#include <cstring>

namespace data {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// True when the text breaks its lines with CR LF only, so that it can be kept as it is.
bool breaksOnlyWithCrLf(QStringView text)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype cr = text.indexOf(QChar(u'\r'), from);
        const qsizetype lf = text.indexOf(QChar(u'\n'), from);
        if (cr < 0 && lf < 0)
            return true;
        if (cr < 0 || lf != cr + 1)
            return false;
        from = lf + 1;
    }
}

// Every line break (CR LF, LF or CR) as CR LF.
QString withCrLfBreaks(QStringView text)
{
    QString result;
    result.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            result += kLineEnd;
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace

bool sameText(QStringView a, QStringView b)
{
    return a.size() == b.size() &&
           (a.data() == b.data() || std::memcmp(a.data(), b.data(), size_t(a.size()) * sizeof(QChar)) == 0);
}

void SqlText::clear()
{
    body_.clear();
    lineEndPending_ = false;
}

void SqlText::addLine(const QString& line)
{
    settleLineEnd();
    body_ += line;
    lineEndPending_ = true;
}

void SqlText::set(const QString& text)
{
    // The usual text needs no change and is kept as a shared copy.
    if (knownWellFormed(text)) {
        body_ = text;
    } else if (breaksOnlyWithCrLf(text)) {
        body_ = text;
        rememberWellFormed(text);
    } else {
        body_ = withCrLfBreaks(text);
    }
    lineEndPending_ = !body_.isEmpty() && !body_.endsWith(kLineEnd);
}

bool SqlText::setIfSameAs(const QString& text, const QString& fullText)
{
    const qsizetype rest = fullText.size() - text.size();
    // Without its last line end only if the text lacks one: "a\r\n" is not "a\r\n\r\n" cut short.
    const bool lacksLineEnd = rest == kLineEnd.size() && QStringView(fullText).endsWith(kLineEnd) && !text.isEmpty() &&
                              !text.endsWith(kLineEnd);
    if ((rest != 0 && !lacksLineEnd) || !sameText(QStringView(fullText).first(text.size()), text))
        return false;
    body_ = text;
    lineEndPending_ = lacksLineEnd;
    return true;
}

QString SqlText::text()
{
    settleLineEnd();
    return body_;
}

bool SqlText::equals(QStringView fullText) const
{
    if (!lineEndPending_)
        return sameText(fullText, body_);
    return fullText.size() == body_.size() + kLineEnd.size() && fullText.endsWith(kLineEnd) &&
           sameText(fullText.first(body_.size()), body_);
}

bool SqlText::knownWellFormed(const QString& text) const
{
    return std::any_of(wellFormed_.begin(), wellFormed_.end(),
                       [&](const QString& known) { return sameText(known, text); });
}

void SqlText::rememberWellFormed(const QString& text)
{
    wellFormed_[nextWellFormed_] = text;
    nextWellFormed_ = (nextWellFormed_ + 1) % wellFormed_.size();
}

// Gives the pending line end to the text itself (reading it back, adding a line).
void SqlText::settleLineEnd()
{
    if (!lineEndPending_)
        return;
    body_ += kLineEnd;
    lineEndPending_ = false;
}

} // namespace data
