#include "AppIcon.h"

#include "Resources.h"

#include <QPixmap>

QIcon AppIcon()
{
    ResourceBlock block = FindResourceBlock(128);
    QPixmap pixmap;
    if (block.data == nullptr || !pixmap.loadFromData(block.data, static_cast<uint>(block.size), "XPM"))
        return QIcon();
    return QIcon(pixmap);
}
