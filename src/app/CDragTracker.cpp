#include "CDragTracker.h"

#include "IDragHost.h"
#include "PlaylistDrag.h"
#include "Resources.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>

namespace {

// The item data role that marks the drop highlight (the image number of
// the shared image set is Qt::UserRole + 1).
constexpr int kDropHighlightRole = Qt::UserRole + 2;

// The dragged image sits this far right of and below the pointer.
const QPoint kImageOffset(10, 14);

// Cursor `id` of the compiled-in cursors, with its hot spot at the arrow's
// tip; `fallback` when the resource is missing.
QCursor LoadCursor(int id, Qt::CursorShape fallback)
{
    const ResourceBlock block = FindResourceBlock(id);
    QPixmap pixmap;
    if (block.data == nullptr || !pixmap.loadFromData(block.data, static_cast<uint>(block.size), "XPM"))
        return QCursor(fallback);
    return QCursor(pixmap, 0, 0);
}

QPoint GlobalPoint(const QEvent* event)
{
    return static_cast<const QMouseEvent*>(event)->globalPosition().toPoint();
}

} // namespace

CDragTracker::CDragTracker(QObject* window, IDragHost& host)
    : QObject(window), host_(host), sameList_(LoadCursor(kCursorSameList, Qt::DragMoveCursor)),
      otherList_(LoadCursor(kCursorOtherList, Qt::DragCopyCursor))
{
}

CDragTracker::~CDragTracker()
{
    if (dragging_)
        Finish();
}

void CDragTracker::Watch(QListWidget* widget, int list)
{
    if (widget == nullptr)
        return;
    lists_.push_back(Watched{widget, widget->viewport(), list});
    widget->viewport()->installEventFilter(this);
}

QCursor CDragTracker::CursorOf(int id) const
{
    if (id == kCursorSameList)
        return sameList_;
    if (id == kCursorOtherList)
        return otherList_;
    return QCursor(Qt::ForbiddenCursor);
}

void CDragTracker::Start(int list, int item, const QPixmap& image, const QPoint& global)
{
    if (dragging_)
        Finish();
    dragging_ = true;
    sourceList_ = list;
    sourceItem_ = item;
    hoverList_ = list;
    hoverItem_ = -1;

    image_ = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    image_->setAttribute(Qt::WA_TransparentForMouseEvents);
    image_->setAttribute(Qt::WA_ShowWithoutActivating);
    image_->setPixmap(image);
    image_->adjustSize();
    MoveImage(global);
    image_->show();

    cursorId_ = kCursorNotAllowed;
    QApplication::setOverrideCursor(CursorOf(cursorId_));
    overrideCursor_ = true;
    // Every mouse event of the application comes here until the button is
    // released; the press that started the drag keeps the pointer's events
    // with the program while it is outside the window.
    qApp->installEventFilter(this);
}

void CDragTracker::MoveImage(const QPoint& global)
{
    if (image_)
        image_->move(global + kImageOffset);
}

void CDragTracker::Finish()
{
    qApp->removeEventFilter(this);
    if (overrideCursor_) {
        QApplication::restoreOverrideCursor();
        overrideCursor_ = false;
    }
    image_.reset();
    dragging_ = false;
    pressList_ = -1;
    pressItem_ = -1;
    cursorId_ = kCursorNotAllowed;
}

void CDragTracker::SetCursor(int id)
{
    cursorId_ = id;
    if (overrideCursor_)
        QApplication::changeOverrideCursor(CursorOf(id));
}

void CDragTracker::SetItemHighlight(QListWidget* widget, int item, bool on)
{
    QListWidgetItem* entry = widget != nullptr ? widget->item(item) : nullptr;
    if (entry == nullptr)
        return;
    if (on) {
        entry->setData(kDropHighlightRole, true);
        entry->setBackground(widget->palette().brush(QPalette::Highlight));
        entry->setForeground(widget->palette().brush(QPalette::HighlightedText));
    } else {
        entry->setData(kDropHighlightRole, QVariant());
        entry->setData(Qt::BackgroundRole, QVariant());
        entry->setData(Qt::ForegroundRole, QVariant());
    }
    widget->viewport()->update(widget->visualItemRect(entry));
}

bool CDragTracker::ItemHighlighted(const QListWidget* widget, int item)
{
    const QListWidgetItem* entry = widget != nullptr ? widget->item(item) : nullptr;
    return entry != nullptr && entry->data(kDropHighlightRole).toBool();
}

const CDragTracker::Watched* CDragTracker::ListOfViewport(const QObject* object) const
{
    // Compared by address only: the viewport also sees events while its
    // list is being destroyed.
    for (const Watched& w : lists_) {
        if (w.viewport == object)
            return &w;
    }
    return nullptr;
}

bool CDragTracker::eventFilter(QObject* watched, QEvent* event)
{
    if (dragging_)
        return FilterDrag(event);
    if (const Watched* list = ListOfViewport(watched))
        return FilterViewport(*list, event);
    return QObject::eventFilter(watched, event);
}

bool CDragTracker::FilterDrag(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        host_.DragMoved(GlobalPoint(event));
        return true;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            host_.DragReleased(GlobalPoint(event));
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // Other buttons while dragging do nothing.
        return true;
    default:
        return false;
    }
}

bool CDragTracker::FilterViewport(const Watched& watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        pressList_ = -1;
        pressItem_ = -1;
        if (mouse->button() != Qt::LeftButton)
            return false;
        const QPoint at = mouse->position().toPoint();
        if (QListWidgetItem* item = watched.widget->itemAt(at)) {
            pressList_ = watched.list;
            pressItem_ = watched.widget->row(item);
            pressPoint_ = at;
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (pressList_ != watched.list || !(mouse->buttons() & Qt::LeftButton))
            return false;
        // A press on an item keeps that item selected while the mouse moves:
        // moving either starts a drag or does nothing.
        if (pressItem_ >= 0 &&
            (mouse->position().toPoint() - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
            const int item = pressItem_;
            pressItem_ = -1;
            host_.BeginDrag(watched.list, item, mouse->globalPosition().toPoint());
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        pressList_ = -1;
        pressItem_ = -1;
        return false;
    default:
        return false;
    }
}
