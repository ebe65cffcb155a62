#pragma once
// An editable drop-down list of product kinds. It reports picked(index) when the user picks an entry in the
// drop-down list or moves the selection with the arrow or page keys, and at no other change: not when typing
// completes an entry, not when the typed text is confirmed, not for changes made by the program. The mouse wheel over
// the closed box changes nothing, so the entry shown never drifts away from the list that was loaded for it.

#include <QComboBox>

class KindComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit KindComboBox(QWidget* parent = nullptr);

    void hidePopup() override;

signals:
    void picked(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void onActivated(int index);

    bool closingPopup_ = false; // the drop-down list is being closed: an activation now is a pick from the list
};
