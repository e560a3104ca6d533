// The style of the group boxes of template dialogs: the application's
// style, except that the title sits on the frame's top line (the line
// passes through the middle of the title and stops short of it on both
// sides), not above the frame. The templates place the controls of a group
// just below its title; with the title above the frame, the frame would
// start below some of them.
#pragma once
#include <QProxyStyle>

class CGroupBoxStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Wraps a new instance of the application's style.
    CGroupBoxStyle();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget = nullptr) const override;
};
