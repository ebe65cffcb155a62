#pragma once
// A label that lets the background picture show around its text, in a colour of its own.

#include <QColor>
#include <QLabel>

class TransparentLabel : public QLabel
{
    Q_OBJECT
public:
    TransparentLabel(const QString& text, const QColor& colour, QWidget* parent = nullptr);
};
