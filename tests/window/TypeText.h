#pragma once
// Typing into a widget as the keyboard would, for the window tests.

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

// One character a key press: QTest::keyClicks knows Latin-1 only, and the window's texts are Chinese.
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}
