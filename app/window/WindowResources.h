#pragma once
// The window's artwork, compiled into the program: the background picture and the program icon.

#include <QIcon>
#include <QPixmap>

QPixmap backgroundPicture();
QIcon programIcon();
