#include "window/StatusLinkLabel.h"

#include <QMouseEvent>

#include <algorithm>

StatusLinkLabel::StatusLinkLabel(const QString& text, QWidget* parent) : TransparentLabel(text, kStatusNavy, parent)
{
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    // Only these two attributes are the label's own; the face and size come from the window.
    QFont look;
    look.setBold(true);
    look.setUnderline(true);
    setFont(look);
    setWordWrap(true);
}

void StatusLinkLabel::setStatus(const QString& text)
{
    setText(text);
    setToolTip(text);
    emit statusChanged();
}

void StatusLinkLabel::clearStatus()
{
    hide();
    setToolTip(QString());
}

int StatusLinkLabel::heightFor(int width) const
{
    // One line: 12 pixels fit "宋体" with its underline; a substitute face with a taller line gets its own line
    // height, so the underline is not cut off. More lines: as tall as they are laid out.
    const QFontMetrics metrics = fontMetrics();
    const int oneLine = std::max(12, metrics.height());
    if (metrics.horizontalAdvance(text()) <= width)
        return oneLine;
    const QRect needed =
        metrics.boundingRect(QRect(0, 0, std::max(1, width), 0xFFFF), int(alignment()) | Qt::TextWordWrap, text());
    return std::max(oneLine, needed.height());
}

void StatusLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    TransparentLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
