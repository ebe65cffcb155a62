#include "engine/sheet/CellText.h"

namespace importer {

QString trimControls(const QString& text)
{
    QString trimmed = text;
    trimControlsInPlace(trimmed);
    return trimmed;
}

void trimControlsInPlace(QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    if (begin == 0 && end == text.size())
        return;
    text = text.sliced(begin, end - begin);
}

} // namespace importer
