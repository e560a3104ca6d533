#include "CKeyAction.h"

#include <QKeyEvent>
#include <QWidget>

CKeyAction::CKeyAction(QWidget* widget, int key, std::function<void()> action)
    : QObject(widget), key_(key), action_(std::move(action))
{
    widget->installEventFilter(this);
}

bool CKeyAction::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == key_ &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        if (action_)
            action_();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
