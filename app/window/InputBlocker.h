#pragma once
// While an import runs on the GUI thread the window must take no input, and the clicks and keys that queue up
// meanwhile must not act once the run is over (a second click on OK would import the sheet twice). The blocker
// swallows the keyboard and mouse input meant for one window for as long as it lives, and on its way out drains
// the input that queued up during its life. Other windows, such as a message box shown meanwhile, get their
// input as usual.

#include <QObject>
#include <QPointer>

class QWidget;

class InputBlocker : public QObject
{
    Q_OBJECT
public:
    explicit InputBlocker(QWidget* window);
    ~InputBlocker() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
};
