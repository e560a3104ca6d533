// What the drag starter asks of the window it watches the lists for.
#pragma once

class IDragHost {
public:
    virtual ~IDragHost() = default;
    // Begins a drag of `item` of list `list` (numbers of PlaylistDrag.h)
    // and runs it to its end; false when the item cannot be dragged.
    virtual bool BeginDrag(int list, int item) = 0;
};
