#include "window/MenuDropButton.h"

#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStyleOption>

QPoint dropDownMenuPosition(const QRect& buttonOnScreen, const QSize& menuSize, const QRect& workArea)
{
    QPoint position = buttonOnScreen.bottomLeft() + QPoint(0, 1);
    if (position.x() + menuSize.width() > workArea.x() + workArea.width())
        position.setX(buttonOnScreen.x() + buttonOnScreen.width() - menuSize.width());
    return position;
}

MenuDropButton::MenuDropButton(const QString& text, QMenu* menu, QWidget* parent)
    : StyledButton(text, parent), menu_(menu)
{
    // Room on the right for the arrow.
    setStyleSheet(styleSheet() + QStringLiteral("QPushButton { padding-right: 12px; }"));
    connect(this, &QPushButton::clicked, this, &MenuDropButton::dropDown);
}

void MenuDropButton::dropDown()
{
    const QRect onScreen(mapToGlobal(QPoint(0, 0)), size());
    const QScreen* screen = this->screen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect(onScreen.topLeft(), QSize(1 << 16, 1 << 16));
    menu_->popup(dropDownMenuPosition(onScreen, menu_->sizeHint(), workArea));
}

void MenuDropButton::paintEvent(QPaintEvent* event)
{
    StyledButton::paintEvent(event);
    QPainter painter(this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = QRect(width() - 14, (height() - 8) / 2, 9, 8);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
}
