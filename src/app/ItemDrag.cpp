#include "ItemDrag.h"

#include "Resources.h"

#include <QByteArray>
#include <QList>
#include <QMimeData>
#include <QPainter>

std::unique_ptr<QMimeData> ItemDragData(const DraggedItem& dragged)
{
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QString::fromLatin1(kItemDragMime), QByteArray::number(dragged.list) + ' ' + QByteArray::number(dragged.item));
    return mime;
}

bool IsItemDrag(const QMimeData* mime)
{
    return mime != nullptr && mime->hasFormat(QString::fromLatin1(kItemDragMime));
}

DraggedItem ReadItemDrag(const QMimeData* mime)
{
    if (!IsItemDrag(mime))
        return {};
    const QList<QByteArray> fields = mime->data(QString::fromLatin1(kItemDragMime)).split(' ');
    if (fields.size() != 2)
        return {};
    bool listOk = false;
    bool itemOk = false;
    const int list = fields[0].toInt(&listOk);
    const int item = fields[1].toInt(&itemOk);
    if (!listOk || !itemOk || item < 0 || (list != kDragClipList && list != kDragPlaylistList && list != kDragEntryList))
        return {};
    return DraggedItem{list, item};
}

QPixmap DragCursorPixmap(int id)
{
    const ResourceBlock block = FindResourceBlock(id);
    QPixmap arrow;
    if (block.data == nullptr || !arrow.loadFromData(block.data, static_cast<uint>(block.size), "XPM"))
        return {};
    // The arrow's tip is its top left corner: drawn at the centre of a
    // pixmap twice its size, the tip is where the pointer is.
    QPixmap centred(arrow.size() * 2);
    centred.fill(Qt::transparent);
    QPainter painter(&centred);
    painter.drawPixmap(arrow.width(), arrow.height(), arrow);
    painter.end();
    return centred;
}

Qt::DropAction DropActionOfCursor(int id)
{
    if (id == kCursorSameList)
        return Qt::MoveAction;
    if (id == kCursorOtherList)
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}
