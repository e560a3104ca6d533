// The mouse side of dragging items between and within the main window's
// lists: it notices a press on an item followed by a move past the drag
// distance and asks the window to begin a drag; while a drag runs it holds
// the drag state, shows the dragged item's image beside the pointer and
// the drag cursor, and hands every mouse move and the button release,
// wherever they happen, to the window (IDragHost). The drop highlight of
// list items lives here too. The rules of what may be dragged and dropped
// are the window's (PlaylistDrag.h).
#pragma once
#include <QCursor>
#include <QObject>
#include <QPoint>

#include <memory>
#include <vector>

class IDragHost;
class QLabel;
class QListWidget;
class QPixmap;

class CDragTracker : public QObject {
    Q_OBJECT

public:
    // A child of `window`; it reports to `host`, which must outlive it.
    CDragTracker(QObject* window, IDragHost& host);
    ~CDragTracker() override;

    // Watches list `list` (its number in the drag rules) for drag starts.
    void Watch(QListWidget* widget, int list);

    // The drag state.
    bool Dragging() const { return dragging_; }
    int SourceList() const { return sourceList_; }
    int SourceItem() const { return sourceItem_; }
    int HoverList() const { return hoverList_; }
    int HoverItem() const { return hoverItem_; }
    void SetHover(int list, int item)
    {
        hoverList_ = list;
        hoverItem_ = item;
    }

    // Starts a drag of `item` of `list` with `image` beside the pointer at
    // `global`: the not-allowed cursor, every mouse event of the program to
    // the window until the button is released.
    void Start(int list, int item, const QPixmap& image, const QPoint& global);
    // Moves the drag image with the pointer.
    void MoveImage(const QPoint& global);
    // Ends the drag: mouse events no longer taken, image gone, cursor
    // restored. The hover place is kept for the drop.
    void Finish();

    // The drag cursor: kCursorSameList, kCursorOtherList or
    // kCursorNotAllowed; the id shown now, kCursorNotAllowed when idle.
    void SetCursor(int id);
    int CursorId() const { return cursorId_; }
    // The drag image, while a drag runs (null otherwise).
    const QLabel* DragImage() const { return image_.get(); }

    // The drop highlight of one item.
    static void SetItemHighlight(QListWidget* widget, int item, bool on);
    static bool ItemHighlighted(const QListWidget* widget, int item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Watched {
        QListWidget* widget;
        const QObject* viewport;
        int list;
    };
    // The watched list whose viewport is `object`, or null.
    const Watched* ListOfViewport(const QObject* object) const;
    bool FilterViewport(const Watched& watched, QEvent* event);
    bool FilterDrag(QEvent* event);
    QCursor CursorOf(int id) const;

    IDragHost& host_;
    std::vector<Watched> lists_;

    // A press on an item that may turn into a drag.
    int pressList_ = -1;
    int pressItem_ = -1;
    QPoint pressPoint_;

    bool dragging_ = false;
    int sourceList_ = -1;
    int sourceItem_ = -1;
    int hoverList_ = -1;
    int hoverItem_ = -1;
    int cursorId_ = 0;
    bool overrideCursor_ = false;
    std::unique_ptr<QLabel> image_;
    QCursor sameList_;
    QCursor otherList_;
};
