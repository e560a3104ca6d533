// Makes the Qt widget for one control of a dialog template: the widget kind
// for the control kind, its caption, list entries and initial state. The
// caller places it.
#pragma once
#include "DialogTemplate.h"

#include <QString>

class QWidget;

QWidget* CreateTemplateControl(const CDialogControl& control, const QString& caption, QWidget* parent);
