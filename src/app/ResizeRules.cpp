#include "ResizeRules.h"

#include "DialogTemplate.h"
#include "DialogUnits.h"

#include <QApplication>
#include <QWidget>

void ApplyResizeRule(QWidget& control, unsigned rule, int dx, int dy)
{
    if (rule == 0)
        return;
    QRect r = control.geometry();
    if (rule & kResizeMoveRight)
        r.moveLeft(r.left() + dx);
    if (rule & kResizeMoveDown)
        r.moveTop(r.top() + dy);
    if (rule & kResizeWiden)
        r.setWidth(r.width() + dx);
    if (rule & kResizeHeighten)
        r.setHeight(r.height() + dy);
    control.setGeometry(r);
}

QSize MinimumTrackSize()
{
    const CDialogUnits system(QApplication::font());
    return QSize(390 * system.BaseX() / 4, 320 * system.BaseY() / 8);
}
