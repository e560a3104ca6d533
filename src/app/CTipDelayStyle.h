// The style of the list areas that show clip tool tips: the application's
// style, except that a tip appears as soon as the mouse rests on an item.
#pragma once
#include <QProxyStyle>

class CTipDelayStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Wraps a new instance of the application's style.
    CTipDelayStyle();
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
