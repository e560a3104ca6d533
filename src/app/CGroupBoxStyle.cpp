#include "CGroupBoxStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>

namespace {

// A titled group box that is neither flat nor checkable: the only kind the
// templates have. Others keep the application style's look.
const QStyleOptionGroupBox* PlainTitledGroup(QStyle::ComplexControl control, const QStyleOptionComplex* option)
{
    const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != QStyle::CC_GroupBox || group == nullptr || group->text.isEmpty() ||
        (group->subControls & QStyle::SC_GroupBoxCheckBox) || (group->features & QStyleOptionFrame::Flat))
        return nullptr;
    return group;
}

} // namespace

CGroupBoxStyle::CGroupBoxStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

QRect CGroupBoxStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                     SubControl subControl, const QWidget* widget) const
{
    const QStyleOptionGroupBox* group = PlainTitledGroup(control, option);
    if (group == nullptr)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const QFontMetrics& fm = group->fontMetrics;
    const QRect& r = group->rect;
    const int frameWidth = pixelMetric(PM_DefaultFrameWidth, option, widget);
    // The title starts one character in from the frame's left edge, with a
    // small gap on each side that the line leaves open.
    const int indent = fm.averageCharWidth();
    const int gap = fm.averageCharWidth() / 2 + 1;
    switch (subControl) {
    case SC_GroupBoxLabel: {
        const int width = std::min(fm.horizontalAdvance(group->text) + 2 * gap, r.width() - 2 * indent);
        return QRect(r.x() + indent, r.y(), std::max(width, 0), fm.height());
    }
    case SC_GroupBoxFrame:
        return r.adjusted(0, fm.height() / 2, 0, 0);
    case SC_GroupBoxContents:
        return r.adjusted(frameWidth, fm.height(), -frameWidth, -frameWidth);
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void CGroupBoxStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                        QPainter* painter, const QWidget* widget) const
{
    const QStyleOptionGroupBox* group = PlainTitledGroup(control, option);
    if (group == nullptr) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect label = subControlRect(control, option, SC_GroupBoxLabel, widget);
    if (group->subControls & SC_GroupBoxFrame) {
        QStyleOptionFrame frame;
        frame.QStyleOption::operator=(*group);
        frame.features = group->features;
        frame.lineWidth = std::max(group->lineWidth, 1);
        frame.midLineWidth = group->midLineWidth;
        frame.rect = subControlRect(control, option, SC_GroupBoxFrame, widget);
        painter->save();
        painter->setClipRegion(QRegion(group->rect).subtracted(QRegion(label)));
        // A plain frame: some styles draw a group's frame below where they
        // put the title, whatever rectangle they are given.
        drawPrimitive(PE_Frame, &frame, painter, nullptr);
        painter->restore();
    }
    if (group->subControls & SC_GroupBoxLabel) {
        drawItemText(painter, label, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextShowMnemonic, group->palette,
                     (group->state & State_Enabled) != 0, group->text, QPalette::WindowText);
    }
}
