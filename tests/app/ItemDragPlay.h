// Plays a drag that the main window began, in place of the platform's
// pointer: the drag as the window set it up (QDrag, with its data, image
// and cursors) enters the window, moves over places and is dropped there or
// leaves, as the drag and drop events Qt sends a window; every step returns
// the window's answer. The drag offers what the window's exec would offer.
#pragma once
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QListWidget>

class CItemDragPlay {
public:
    CItemDragPlay(QWidget& window, QDrag& drag, Qt::DropActions actions) : window_(window), drag_(drag), actions_(actions) {}

    QDrag& Drag() const { return drag_; }

    // The pointer over `local` of `list`'s viewport: the action the window
    // answers there, IgnoreAction when it refuses the place.
    Qt::DropAction MoveTo(QListWidget* list, QPoint local) { return MoveTo(list->viewport()->mapTo(&window_, local)); }
    // The pointer over `pos` of the window.
    Qt::DropAction MoveTo(QPoint pos)
    {
        pos_ = pos;
        if (!entered_) {
            // A refused enter gets no moves, as with Qt's own drags.
            QDragEnterEvent enter(pos_, actions_, drag_.mimeData(), Qt::LeftButton, {});
            QApplication::sendEvent(&window_, &enter);
            entered_ = enter.isAccepted();
            if (!entered_)
                return Qt::IgnoreAction;
        }
        QDragMoveEvent move(pos_, actions_, drag_.mimeData(), Qt::LeftButton, {});
        QApplication::sendEvent(&window_, &move);
        return move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
    }
    // The button released where the pointer is: the drop's answer, and the
    // action the drag ends with.
    Qt::DropAction Drop()
    {
        if (!entered_)
            return Qt::IgnoreAction;
        entered_ = false;
        QDropEvent drop(pos_, actions_, drag_.mimeData(), Qt::LeftButton, {});
        QApplication::sendEvent(&window_, &drop);
        result_ = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        return result_;
    }
    // The pointer leaves the window.
    void Leave()
    {
        if (!entered_)
            return;
        entered_ = false;
        QDragLeaveEvent leave;
        QApplication::sendEvent(&window_, &leave);
    }
    Qt::DropAction Result() const { return result_; }

private:
    QWidget& window_;
    QDrag& drag_;
    Qt::DropActions actions_;
    QPoint pos_;
    bool entered_ = false;
    Qt::DropAction result_ = Qt::IgnoreAction;
};
