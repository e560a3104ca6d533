// What the drag tracker asks of the window it tracks drags for: whether a
// drag may begin, and the pointer's moves and the release while one runs
// (global screen points).
#pragma once

class QPoint;

class IDragHost {
public:
    virtual ~IDragHost() = default;
    // Starts a drag of `item` of list `list` (numbers of PlaylistDrag.h);
    // false when the item cannot be dragged.
    virtual bool BeginDrag(int list, int item, const QPoint& point) = 0;
    virtual void DragMoved(const QPoint& point) = 0;
    virtual void DragReleased(const QPoint& point) = 0;
};
