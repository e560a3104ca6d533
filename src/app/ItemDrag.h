// Items dragged between and within the main window's lists travel as Qt
// drags (QDrag) whose data is of a MIME type of the program's own: the
// list the item comes from and its place there. The window takes such a
// drop only while a drag of its own runs, so the data of another program
// offering the same type is never taken.
#pragma once
#include "PlaylistDrag.h"

#include <QPixmap>

#include <memory>

class QMimeData;

inline constexpr const char* kItemDragMime = "application/x-tessaro-list-item";

// The dragged item: its list (DragList) and its index in that list.
struct DraggedItem {
    int list = kNoDragList;
    int item = -1;
    bool Valid() const { return list != kNoDragList && item >= 0; }
    bool operator==(const DraggedItem&) const = default;
};

// The data of a drag of `dragged`.
std::unique_ptr<QMimeData> ItemDragData(const DraggedItem& dragged);
// Whether `mime` offers an item drag at all.
bool IsItemDrag(const QMimeData* mime);
// The item `mime` carries; invalid when it carries none or its data is
// not well formed.
DraggedItem ReadItemDrag(const QMimeData* mime);

// The pointer during a drag of an item, for cursor id `id` (kCursorSameList
// or kCursorOtherList), as a pixmap whose centre is the arrow's tip: a
// drag's cursor pixmaps have their hot spot in the middle. Null when the
// cursor is missing.
QPixmap DragCursorPixmap(int id);

// The drop action the window answers over an allowed target shown with
// cursor `id`: a move within the source list, a copy onto another list.
Qt::DropAction DropActionOfCursor(int id);

// The state of a drag the window runs, from its start to the end of the
// drag.
struct ItemDragState {
    bool dragging = false;
    DraggedItem source;
    // The place under the pointer at the last check.
    int hoverList = kNoDragList;
    int hoverItem = -1;
    // The cursor the last answer shows.
    int cursorId = kCursorNotAllowed;
    // A drop taken, carried out once the drag has ended.
    bool dropped = false;
    DropTarget target;
};
