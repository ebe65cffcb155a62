#pragma once
// The status line: a transparent, centred label in navy, bold and underlined, with a hand pointer, that reports a
// click of the left mouse button.

#include "TransparentLabel.h"

inline constexpr QColor kStatusNavy{0, 0, 128};

class StatusLinkLabel : public TransparentLabel
{
    Q_OBJECT
public:
    explicit StatusLinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
