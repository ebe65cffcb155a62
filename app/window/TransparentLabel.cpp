#include "window/TransparentLabel.h"

TransparentLabel::TransparentLabel(const QString& text, const QColor& colour, QWidget* parent) : QLabel(text, parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colour);
    setPalette(colours);
}
