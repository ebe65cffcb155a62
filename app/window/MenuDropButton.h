#pragma once
// A styled button with a drop-down arrow that opens its menu below itself: the menu's top left corner at the
// button's lower left corner, or, where the menu would pass the right edge of the screen's work area, its right
// edge lined up with the button's right edge.

#include "window/StyledButton.h"

#include <QPoint>
#include <QRect>
#include <QSize>

class QMenu;

QPoint dropDownMenuPosition(const QRect& buttonOnScreen, const QSize& menuSize, const QRect& workArea);

class MenuDropButton : public StyledButton
{
    Q_OBJECT
public:
    MenuDropButton(const QString& text, QMenu* menu, QWidget* parent = nullptr);

public slots:
    void dropDown();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QMenu* menu_;
};
