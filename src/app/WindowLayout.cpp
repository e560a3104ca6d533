#include "WindowLayout.h"

#include "Settings.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {

const char kSection[] = "Layout";

bool OnSomeScreen(const QRect& r)
{
    const auto screens = QGuiApplication::screens();
    for (const QScreen* s : screens) {
        if (s->availableGeometry().intersects(r))
            return true;
    }
    return screens.isEmpty();
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
        QRect r(QPoint(l.left, l.top), size);
        if (OnSomeScreen(r))
            window.setGeometry(r);
        else
            window.resize(size);
    }
    if (l.maximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}
