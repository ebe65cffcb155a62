#pragma once
// The status line: a transparent, centred label in navy, bold and underlined, with a hand pointer, that reports a
// click of the left mouse button. A text too long for one line wraps (the window gives it the height it needs);
// the whole text is its tooltip too.

#include "window/TransparentLabel.h"

inline constexpr QColor kStatusNavy{0, 0, 128};

class StatusLinkLabel : public TransparentLabel
{
    Q_OBJECT
public:
    explicit StatusLinkLabel(const QString& text, QWidget* parent = nullptr);

    // Shows text, whole, and says the text changed, so that its height can follow it.
    void setStatus(const QString& text);
    // Takes the text back: hidden, as before the first run.
    void clearStatus();
    // The height that shows text whole at width: one line of the face at least.
    int heightFor(int width) const;

signals:
    void clicked();
    void statusChanged();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
