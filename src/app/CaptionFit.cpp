#include "CaptionFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>

#include <algorithm>

namespace {

// The smallest font a caption may get, as a share of the inherited one.
constexpr double kSmallestScale = 0.75;
constexpr double kStepPoints = 0.5;

// Mnemonic markers do not show: "&&" is one "&".
QString ShownText(const QString& text)
{
    QString s = text;
    return s.replace(QLatin1String("&&"), QLatin1String("&"));
}

int WidestLine(const QFontMetrics& fm, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// The width the caption needs on the control, or -1 when the control has
// no caption to fit.
int NeededWidth(const QWidget* control)
{
    const QFontMetrics fm = control->fontMetrics();
    const QStyle* style = control->style();
    if (qobject_cast<const QPushButton*>(control) != nullptr) {
        const auto* button = static_cast<const QPushButton*>(control);
        return WidestLine(fm, ShownText(button->text())) + style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, control) +
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, control);
    }
    if (qobject_cast<const QCheckBox*>(control) != nullptr || qobject_cast<const QRadioButton*>(control) != nullptr) {
        const auto* button = static_cast<const QAbstractButton*>(control);
        const bool check = qobject_cast<const QCheckBox*>(control) != nullptr;
        return style->pixelMetric(check ? QStyle::PM_IndicatorWidth : QStyle::PM_ExclusiveIndicatorWidth, nullptr,
                                  control) +
               style->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing : QStyle::PM_RadioButtonLabelSpacing,
                                  nullptr, control) +
               WidestLine(fm, ShownText(button->text())) + 2;
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(control))
        // The title and a character's room on each side.
        return WidestLine(fm, ShownText(group->title())) + 3 * fm.averageCharWidth();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return WidestLine(fm, label->text()) + 2 * label->frameWidth() + 2 * label->margin();
    return -1;
}

} // namespace

bool CaptionFits(const QWidget* control)
{
    const int needed = NeededWidth(control);
    return needed < 0 || needed <= control->width();
}

void FitCaption(QWidget* control)
{
    if (control == nullptr)
        return;
    // Back to the inherited font, then smaller while the caption is too long.
    control->setFont(QFont());
    const QFont inherited = control->font();
    const double points = inherited.pointSizeF();
    if (points <= 0)
        return;
    for (double size = points - kStepPoints; !CaptionFits(control) && size >= points * kSmallestScale;
         size -= kStepPoints) {
        QFont smaller = inherited;
        smaller.setPointSizeF(size);
        control->setFont(smaller);
    }
}
