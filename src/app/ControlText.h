// The caption of a control, whatever its kind: a button's or check box's
// text, a group box's title, a label's text. Captions are plain text, so a
// "<" or "&" in a caption or a file name shows as it is.
#pragma once
#include <QString>

class QWidget;

void SetControlText(QWidget* control, const QString& text);
QString ControlText(const QWidget* control);
