#include "window/DockingPanel.h"

DockingPanel::DockingPanel(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(false);
}

void DockingPanel::dock(QWidget* child, Qt::Edge edge, int thickness)
{
    docked_.push_back({child, edge, thickness});
    layOutDocked();
}

void DockingPanel::setThickness(QWidget* child, int thickness)
{
    for (Docked& d : docked_) {
        if (d.child == child)
            d.thickness = thickness;
    }
    layOutDocked();
}

void DockingPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOutDocked();
}

void DockingPanel::layOutDocked()
{
    int top = 0;
    int bottom = height();
    for (const Docked& d : docked_) {
        if (d.edge == Qt::BottomEdge) {
            bottom -= d.thickness;
            d.child->setGeometry(0, bottom, width(), d.thickness);
        } else {
            d.child->setGeometry(0, top, width(), d.thickness);
            top += d.thickness;
        }
    }
}
