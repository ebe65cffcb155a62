#include "StatusLinkLabel.h"

#include <QMouseEvent>

StatusLinkLabel::StatusLinkLabel(const QString& text, QWidget* parent) : TransparentLabel(text, kStatusNavy, parent)
{
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    // Only these two attributes are the label's own; the face and size come from the window.
    QFont look;
    look.setBold(true);
    look.setUnderline(true);
    setFont(look);
}

void StatusLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    TransparentLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
