#include "window/WindowResources.h"

// The artwork lives in a static library: registering it here keeps the linker from dropping it.
static void registerArtwork()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(window);
        return true;
    }();
    (void)registered;
}

QPixmap backgroundPicture()
{
    registerArtwork();
    return QPixmap(QStringLiteral(":/window/background.gif"));
}

QIcon programIcon()
{
    registerArtwork();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 72, 96, 128})
        icon.addFile(QStringLiteral(":/window/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}
