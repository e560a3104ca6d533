// Drag and drop within the main window: clips dragged into playlists,
// playlists exchanged, entries of the current playlist exchanged. A press
// and pull on an item (the drag starter) begins a Qt drag of that item; the
// window's drag and drop events answer where it may land, with the cursor
// and the highlight; the drop is carried out once the drag has ended. The
// rules are PlaylistDrag's; the drops are the session's playlist edits.
#include "CMainWin.h"

#include "CardEditFlow.h"
#include "DropHighlight.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>

namespace {

// The dragged image sits 10 pixels right of and 14 pixels below the pointer.
const QPoint kDragHotSpot(-10, -14);

} // namespace

QListWidget* CMainWin::DragListWidget(int list) const
{
    switch (list) {
    case kDragClipList:
        return clipList_;
    case kDragPlaylistList:
        return playlistList_;
    case kDragEntryList:
        return entryList_;
    default:
        return nullptr;
    }
}

bool CMainWin::BeginDrag(int list, int item)
{
    if (Busy() || itemDrag_.dragging || !CanBeginDrag(session_.Disk(), session_.CurrentPlaylist(), list, item))
        return false;
    QListWidget* widget = DragListWidget(list);
    QListWidgetItem* dragged = widget != nullptr ? widget->item(item) : nullptr;
    if (dragged == nullptr)
        return false;

    QPointer<QDrag> drag = new QDrag(widget);
    drag->setMimeData(ItemDragData(DraggedItem{list, item}).release());
    drag->setPixmap(QPixmap::fromImage(images_.Image(CImageSet::ItemImage(dragged))));
    drag->setHotSpot(kDragHotSpot);
    drag->setDragCursor(DragCursorPixmap(kCursorSameList), Qt::MoveAction);
    drag->setDragCursor(DragCursorPixmap(kCursorOtherList), Qt::CopyAction);

    itemDrag_ = ItemDragState{};
    itemDrag_.dragging = true;
    itemDrag_.source = DraggedItem{list, item};
    itemDrag_.hoverList = list;

    // The platform runs the drag in an event loop of its own until the
    // button is released; the window may be gone by then.
    QPointer<CMainWin> alive(this);
    const Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction;
    if (env_.runDrag)
        env_.runDrag(*drag, actions);
    else
        drag->exec(actions);
    if (drag)
        drag->deleteLater();
    if (!alive)
        return true;

    const ItemDragState ended = itemDrag_;
    itemDrag_ = ItemDragState{};
    ShowDropHighlight(kNoDragList, {});
    if (ended.dropped)
        CarryOutDrop(ended.source, ended.target);
    return true;
}

bool CMainWin::ItemDragWanted(const QMimeData* mime) const
{
    // Only the drag the window runs, and not under a message box.
    const QWidget* modal = QApplication::activeModalWidget();
    return itemDrag_.dragging && !Busy() && (modal == nullptr || modal == this) &&
           ReadItemDrag(mime) == itemDrag_.source;
}

DropTarget CMainWin::HitTestDrop(const QPoint& point) const
{
    DropTarget target = ListAt(point);
    const DraggedItem& source = itemDrag_.source;
    // The tables may have changed while the drag ran: the dragged item is
    // checked again.
    target.allowed = itemDrag_.dragging &&
                     CanBeginDrag(session_.Disk(), session_.CurrentPlaylist(), source.list, source.item) &&
                     DropAllowed(session_.Disk(), session_.CurrentPlaylist(), source.list, source.item, target.list,
                                 target.item);
    return target;
}

void CMainWin::SetDropHighlight(int list, int item, bool on)
{
    HighlightListItem(DragListWidget(list), item, on);
}

DropTarget CMainWin::TrackDrag(const QPoint& point, int drop)
{
    const DropTarget target = HitTestDrop(point);
    itemDrag_.hoverList = target.list;
    itemDrag_.hoverItem = target.item;
    itemDrag_.cursorId = DragCursorId(target.allowed, itemDrag_.source.list, target.list);
    if (drop == 0) {
        if (target.allowed && target.item != -1)
            ShowDropHighlight(target.list, {target.item});
        else
            ShowDropHighlight(kNoDragList, {});
        return target;
    }
    ShowDropHighlight(kNoDragList, {});
    if (target.allowed) {
        itemDrag_.dropped = true;
        itemDrag_.target = target;
    }
    return target;
}

Qt::DropAction CMainWin::ItemDragMove(const QDropEvent* event)
{
    if (!ItemDragWanted(event->mimeData()))
        return Qt::IgnoreAction;
    const DropTarget target = TrackDrag(event->position().toPoint(), 0);
    return target.allowed ? DropActionOfCursor(itemDrag_.cursorId) : Qt::IgnoreAction;
}

void CMainWin::ItemDragLeft()
{
    if (!itemDrag_.dragging)
        return;
    itemDrag_.hoverList = kNoDragList;
    itemDrag_.hoverItem = -1;
    itemDrag_.cursorId = kCursorNotAllowed;
}

Qt::DropAction CMainWin::ItemDrop(const QDropEvent* event)
{
    if (!ItemDragWanted(event->mimeData()) || itemDrag_.dropped)
        return Qt::IgnoreAction;
    const DropTarget target = TrackDrag(event->position().toPoint(), 1);
    return target.allowed ? DropActionOfCursor(itemDrag_.cursorId) : Qt::IgnoreAction;
}

void CMainWin::CarryOutDrop(const DraggedItem& source, const DropTarget& target)
{
    // Checked once more: the drag's loop may have let the tables change
    // after the drop was answered.
    if (Busy() ||
        !CanBeginDrag(session_.Disk(), session_.CurrentPlaylist(), source.list, source.item) ||
        !DropAllowed(session_.Disk(), session_.CurrentPlaylist(), source.list, source.item, target.list, target.item))
        return;
    switch (KindOfDrop(source.list, target.list)) {
    case DropKind::AppendToPlaylist:
        InsertSessionEntry(session_, target.item, source.item, kAppendEntry);
        break;
    case DropKind::InsertIntoCurrent:
        // Before the entry under the pointer, or at the end over empty space.
        InsertSessionEntry(session_, session_.CurrentPlaylist(), source.item, target.item);
        break;
    case DropKind::SwapPlaylists:
        SwapSessionPlaylists(session_, source.item, target.item);
        break;
    case DropKind::SwapEntries:
        SwapSessionEntries(session_, session_.CurrentPlaylist(), source.item, target.item);
        break;
    case DropKind::None:
        break;
    }
}
