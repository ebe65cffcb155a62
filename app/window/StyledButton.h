#pragma once
// The window's push buttons: a pale pink face that matches the background, drawn lighter while the mouse
// pointer is over the button.

#include <QColor>
#include <QPushButton>

inline constexpr QColor kButtonFace{255, 231, 239};
inline constexpr QColor kButtonHotFace{255, 246, 250};

class StyledButton : public QPushButton
{
    Q_OBJECT
public:
    explicit StyledButton(const QString& text, QWidget* parent = nullptr);

protected:
    // Return and keypad Enter press a focused button, as Space does: the clerks' desktop works so.
    void keyPressEvent(QKeyEvent* event) override;
};
