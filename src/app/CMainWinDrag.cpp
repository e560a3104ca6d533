// Drag and drop in the main window: clips dragged into playlists, playlists
// exchanged, entries of the current playlist exchanged. The mouse side is
// the drag tracker's; the rules are PlaylistDrag's; the drops are the
// session's playlist edits.
#include "CMainWin.h"

#include "CDragTracker.h"
#include "CardEditFlow.h"

#include <QListWidget>
#include <QPixmap>

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

bool CMainWin::BeginDrag(int list, int item, const QPoint& point)
{
    if (Busy() || drag_ == nullptr || drag_->Dragging() ||
        !CanBeginDrag(session_.Disk(), session_.CurrentPlaylist(), list, item))
        return false;
    QListWidget* widget = DragListWidget(list);
    QListWidgetItem* dragged = widget != nullptr ? widget->item(item) : nullptr;
    if (dragged == nullptr)
        return false;
    drag_->Start(list, item, QPixmap::fromImage(images_.Image(CImageSet::ItemImage(dragged))), point);
    return true;
}

DropTarget CMainWin::HitTestDrop(const QPoint& point) const
{
    DropTarget target;
    for (int list : {kDragClipList, kDragPlaylistList, kDragEntryList}) {
        QListWidget* widget = DragListWidget(list);
        if (widget == nullptr || !widget->isVisible())
            continue;
        const QPoint local = widget->viewport()->mapFromGlobal(point);
        if (!widget->viewport()->rect().contains(local))
            continue;
        target.list = list;
        QListWidgetItem* item = widget->itemAt(local);
        target.item = item != nullptr ? widget->row(item) : -1;
        break;
    }
    if (drag_ != nullptr)
        target.allowed = DropAllowed(session_.Disk(), session_.CurrentPlaylist(), drag_->SourceList(),
                                     drag_->SourceItem(), target.list, target.item);
    return target;
}

void CMainWin::SetDropHighlight(int list, int item, bool on)
{
    CDragTracker::SetItemHighlight(DragListWidget(list), item, on);
}

void CMainWin::TrackDrag(const QPoint& point, int drop)
{
    if (drag_ == nullptr)
        return;
    const DropTarget target = HitTestDrop(point);
    if (target.list != drag_->HoverList() || target.item != drag_->HoverItem()) {
        if (drag_->HoverList() != -1 && drag_->HoverItem() != -1)
            SetDropHighlight(drag_->HoverList(), drag_->HoverItem(), false);
        drag_->SetHover(target.list, target.item);
        drag_->SetCursor(DragCursorId(target.allowed, drag_->SourceList(), target.list));
        if (target.allowed && target.list != -1 && target.item != -1)
            SetDropHighlight(target.list, target.item, true);
    }
    if (drop == 0)
        return;
    if (drag_->HoverList() != -1 && drag_->HoverItem() != -1)
        SetDropHighlight(drag_->HoverList(), drag_->HoverItem(), false);
    if (!target.allowed)
        return;

    const int source = drag_->SourceItem();
    switch (KindOfDrop(drag_->SourceList(), target.list)) {
    case DropKind::AppendToPlaylist:
        InsertSessionEntry(session_, target.item, source, kAppendEntry);
        break;
    case DropKind::InsertIntoCurrent:
        // Before the entry under the pointer, or at the end over empty space.
        InsertSessionEntry(session_, session_.CurrentPlaylist(), source, target.item);
        break;
    case DropKind::SwapPlaylists:
        SwapSessionPlaylists(session_, source, target.item);
        break;
    case DropKind::SwapEntries:
        SwapSessionEntries(session_, session_.CurrentPlaylist(), source, target.item);
        break;
    case DropKind::None:
        break;
    }
}

void CMainWin::DragMoved(const QPoint& point)
{
    if (drag_ == nullptr || !drag_->Dragging())
        return;
    drag_->MoveImage(point);
    TrackDrag(point, 0);
}

void CMainWin::DragReleased(const QPoint& point)
{
    if (drag_ == nullptr || !drag_->Dragging())
        return;
    drag_->Finish();
    TrackDrag(point, 1);
    drag_->SetHover(-1, -1);
    drag_->SetCursor(kCursorNotAllowed);
}
