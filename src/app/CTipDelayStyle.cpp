#include "CTipDelayStyle.h"

#include <QApplication>
#include <QStyleFactory>

CTipDelayStyle::CTipDelayStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

int CTipDelayStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay || hint == SH_ToolTip_FallAsleepDelay)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
