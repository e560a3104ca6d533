// The main window's place in the settings file (section "Layout"): its
// normal (not maximized) rectangle as "Left", "Top", "Width", "Height" in
// pixels and "Maximized" 0 or 1. The rectangle is the window's client
// area, so a restored window comes back exactly where it was.
#pragma once

class QWidget;

struct CWindowLayout {
    int left = -1;
    int top = -1;
    int width = -1;
    int height = -1;
    bool maximized = false;
};

// The keys, -1 (and not maximized) when absent.
CWindowLayout ReadWindowLayout();
// Writes all five keys; false when the settings file could not be written.
bool WriteWindowLayout(const CWindowLayout& layout);

// The window's normal rectangle and maximized state.
CWindowLayout CaptureWindowLayout(const QWidget& window);
// Moves and sizes the window to the saved rectangle when neither "Left" nor
// "Top" is -1, then maximizes it when "Maximized" is non-zero. A size that
// is not positive keeps the window's own size, one under the window's
// minimum grows to it, and a rectangle that lies on no screen keeps the
// window's own position; one partly off the screen that holds most of it is
// moved onto that screen's available area (a larger screen or a smaller
// scale factor when it was saved). So a damaged file, a detached monitor
// or a new scale never leaves the window out of reach.
void ApplyWindowLayout(QWidget& window, const CWindowLayout& layout);
