#pragma once
// A transparent panel without a border whose docked children span its width at its top or bottom edge and follow
// it when it is resized. Children that are not docked keep their positions.

#include <QWidget>

#include <vector>

class DockingPanel : public QWidget
{
    Q_OBJECT
public:
    explicit DockingPanel(QWidget* parent = nullptr);

    // edge is Qt::TopEdge or Qt::BottomEdge; thickness is the child's height. Later docks lie inside earlier ones.
    void dock(QWidget* child, Qt::Edge edge, int thickness);
    // A docked child's new thickness; the docks inside it move.
    void setThickness(QWidget* child, int thickness);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Docked
    {
        QWidget* child;
        Qt::Edge edge;
        int thickness;
    };
    void layOutDocked();

    std::vector<Docked> docked_;
};
