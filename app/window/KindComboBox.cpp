#include "window/KindComboBox.h"

#include <QKeyEvent>
#include <QWheelEvent>

KindComboBox::KindComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // Return in the edit field must never add the typed text to the list.
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, &KindComboBox::onActivated);
}

void KindComboBox::hidePopup()
{
    // The list reports the chosen entry right after it closes itself; the flag lasts until control returns to the
    // event loop, so a list closed without a choice does not turn a later activation into a pick.
    closingPopup_ = true;
    QComboBox::hidePopup();
    QMetaObject::invokeMethod(
        this, [this] { closingPopup_ = false; }, Qt::QueuedConnection);
}

void KindComboBox::onActivated(int index)
{
    if (closingPopup_) {
        closingPopup_ = false;
        emit picked(index);
    }
}

void KindComboBox::keyPressEvent(QKeyEvent* event)
{
    // The page keys move the closed box's selection one entry, as the arrow keys do.
    const bool arrowMove = (!(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) &&
                            (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) ||
                           event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
    if (!arrowMove) {
        closingPopup_ = false;
        QComboBox::keyPressEvent(event);
        return;
    }
    const int before = currentIndex();
    QComboBox::keyPressEvent(event);
    if (currentIndex() != before && currentIndex() >= 0)
        emit picked(currentIndex());
}

void KindComboBox::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
