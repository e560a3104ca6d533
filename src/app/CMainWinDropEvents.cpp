// The main window's drag and drop events, shared by the two kinds of drags
// it takes: an item of its own lists (the private item type of ItemDrag.h)
// and files from a file manager. Each kind says which places take it and
// what the drop does; here they share the event sequence, the place under
// the pointer and the drop highlight.
#include "CMainWin.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QListWidget>

namespace {

// Answers `event` with `action`: taken with it, or refused when it is
// IgnoreAction or one the drag does not offer.
void Answer(QDropEvent* event, Qt::DropAction action)
{
    if (action == Qt::IgnoreAction || !(event->possibleActions() & action)) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

} // namespace

DropTarget CMainWin::ListAt(const QPoint& pos) const
{
    DropTarget target;
    for (int list : {kDragClipList, kDragPlaylistList, kDragEntryList}) {
        const QListWidget* widget = DragListWidget(list);
        if (widget == nullptr || !widget->isVisibleTo(this))
            continue;
        const QPoint local = widget->viewport()->mapFrom(this, pos);
        if (!widget->viewport()->rect().contains(local))
            continue;
        target.list = list;
        const QListWidgetItem* item = widget->itemAt(local);
        target.item = item != nullptr ? widget->row(item) : -1;
        break;
    }
    return target;
}

void CMainWin::ShowDropHighlight(int list, const std::vector<int>& items)
{
    const int shown = items.empty() ? kNoDragList : list;
    if (shown == dropHighlightList_ && (shown == kNoDragList || items == dropHighlight_))
        return;
    for (int item : dropHighlight_)
        SetDropHighlight(dropHighlightList_, item, false);
    dropHighlightList_ = shown;
    dropHighlight_ = shown == kNoDragList ? std::vector<int>() : items;
    for (int item : dropHighlight_)
        SetDropHighlight(dropHighlightList_, item, true);
}

void CMainWin::dragEnterEvent(QDragEnterEvent* event)
{
    const bool wanted = IsItemDrag(event->mimeData()) ? ItemDragWanted(event->mimeData())
                                                       : FilesWanted(event->mimeData());
    if (!wanted) {
        event->ignore();
        return;
    }
    dragMoveEvent(event);
    // Taken here or not, the moves that follow must come to the window:
    // only they tell where the drop would go.
    event->accept();
}

void CMainWin::dragMoveEvent(QDragMoveEvent* event)
{
    Answer(event, IsItemDrag(event->mimeData()) ? ItemDragMove(event) : FileDragMove(event));
}

void CMainWin::dragLeaveEvent(QDragLeaveEvent* event)
{
    ShowDropHighlight(kNoDragList, {});
    ItemDragLeft();
    event->accept();
}

void CMainWin::dropEvent(QDropEvent* event)
{
    ShowDropHighlight(kNoDragList, {});
    Answer(event, IsItemDrag(event->mimeData()) ? ItemDrop(event) : FileDrop(event));
}
