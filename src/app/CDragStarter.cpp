#include "CDragStarter.h"

#include "IDragHost.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>

CDragStarter::CDragStarter(QObject* window, IDragHost& host) : QObject(window), host_(host) {}

void CDragStarter::Watch(QListWidget* widget, int list)
{
    if (widget == nullptr)
        return;
    lists_.push_back(Watched{widget, widget->viewport(), list});
    widget->viewport()->installEventFilter(this);
}

const CDragStarter::Watched* CDragStarter::ListOfViewport(const QObject* object) const
{
    // Compared by address only: the viewport also sees events while its
    // list is being destroyed.
    for (const Watched& w : lists_) {
        if (w.viewport == object)
            return &w;
    }
    return nullptr;
}

bool CDragStarter::eventFilter(QObject* watched, QEvent* event)
{
    const Watched* list = ListOfViewport(watched);
    if (list == nullptr)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        pressList_ = -1;
        pressItem_ = -1;
        if (mouse->button() != Qt::LeftButton)
            return false;
        const QPoint at = mouse->position().toPoint();
        if (QListWidgetItem* item = list->widget->itemAt(at)) {
            pressList_ = list->list;
            pressItem_ = list->widget->row(item);
            pressPoint_ = at;
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (pressList_ != list->list || !(mouse->buttons() & Qt::LeftButton))
            return false;
        if (pressItem_ >= 0 &&
            (mouse->position().toPoint() - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
            const int item = pressItem_;
            pressItem_ = -1;
            host_.BeginDrag(list->list, item);
        }
        // Until the button is released, moving either started a drag or
        // does nothing.
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
