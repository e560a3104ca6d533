// How the main window's controls follow a change of its client size, and
// the smallest size it may take. Each control has a rule of bits (the
// template's resize column): 1 moves it right by the width change, 2 moves
// it down by the height change, 4 widens it, 8 makes it taller.
#pragma once
#include <QSize>

class QWidget;

// Moves and sizes `control` from its current rectangle by the rule.
void ApplyResizeRule(QWidget& control, unsigned rule, int dx, int dy);

// The smallest client size: 390 x 320 dialog units of the system's own
// dialog base units (those of the application's default font, not of the
// dialog's font), rounded down.
QSize MinimumTrackSize();
