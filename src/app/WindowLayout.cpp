#include "WindowLayout.h"

#include "Settings.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {

const char kSection[] = "Layout";

// The available area of the screen that holds most of `r`; empty when
// none holds any of it.
QRect BestScreenArea(const QRect& r)
{
    QRect best;
    long long most = 0;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect area = s->availableGeometry();
        const QRect common = area.intersected(r);
        const long long size = static_cast<long long>(common.width()) * common.height();
        if (size > most) {
            most = size;
            best = area;
        }
    }
    return best;
}

// `r` moved (never resized) so that as much of it as fits lies on `area`:
// a window larger than the screen keeps its top left corner on it, where
// its title bar is.
QRect MovedOnto(QRect r, const QRect& area)
{
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.top() < area.top())
        r.moveTop(area.top());
    return r;
}

} // namespace

CWindowLayout ReadWindowLayout()
{
    CWindowLayout l;
    l.left = GetProfileInt(kSection, "Left", -1);
    l.top = GetProfileInt(kSection, "Top", -1);
    l.width = GetProfileInt(kSection, "Width", -1);
    l.height = GetProfileInt(kSection, "Height", -1);
    l.maximized = GetProfileInt(kSection, "Maximized", 0) != 0;
    return l;
}

bool WriteWindowLayout(const CWindowLayout& l)
{
    bool ok = WriteProfileInt(kSection, "Left", l.left);
    ok = WriteProfileInt(kSection, "Top", l.top) && ok;
    ok = WriteProfileInt(kSection, "Width", l.width) && ok;
    ok = WriteProfileInt(kSection, "Height", l.height) && ok;
    ok = WriteProfileInt(kSection, "Maximized", l.maximized ? 1 : 0) && ok;
    return ok;
}

CWindowLayout CaptureWindowLayout(const QWidget& window)
{
    QRect r = window.normalGeometry();
    if (!r.isValid())
        r = window.geometry();
    CWindowLayout l;
    l.left = r.left();
    l.top = r.top();
    l.width = r.width();
    l.height = r.height();
    l.maximized = window.isMaximized();
    return l;
}

void ApplyWindowLayout(QWidget& window, const CWindowLayout& l)
{
    if (l.left != -1 && l.top != -1) {
        QSize size = l.width > 0 && l.height > 0 ? QSize(l.width, l.height) : window.size();
        // The size as the window may take it (not under its minimum).
        size = size.expandedTo(window.minimumSize());
        const QRect r(QPoint(l.left, l.top), size);
        const QRect area = BestScreenArea(r);
        if (!area.isEmpty())
            window.setGeometry(MovedOnto(r, area));
        else if (QGuiApplication::screens().isEmpty())
            window.setGeometry(r);
        else
            window.resize(size);
    }
    if (l.maximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}
