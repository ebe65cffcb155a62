#include "window/StyledButton.h"

#include <QKeyEvent>

namespace {

QString faceSheet()
{
    const auto rgb = [](const QColor& c) {
        return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
    };
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid rgb(200,150,168); border-radius: 2px;"
                          " padding: 0 3px; }"
                          "QPushButton:hover { background-color: %2; border-color: rgb(232,96,140); }"
                          "QPushButton:pressed { background-color: rgb(246,206,220); }"
                          "QPushButton:focus { border-color: rgb(160,64,100); }")
        .arg(rgb(kButtonFace), rgb(kButtonHotFace));
}

} // namespace

StyledButton::StyledButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setAttribute(Qt::WA_Hover);
    setStyleSheet(faceSheet());
}

void StyledButton::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !event->isAutoRepeat() &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}
