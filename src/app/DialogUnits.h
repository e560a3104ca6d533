// Dialog units: template positions and sizes are given in units of the
// dialog font, a quarter of its average character width horizontally and an
// eighth of its height vertically, so a window keeps its proportions with
// any font.
#pragma once
#include <QFont>
#include <QRect>

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c);

class CDialogUnits {
public:
    // Base units of `font`: the average width of the 52 Latin letters
    // (rounded) and the font's height.
    explicit CDialogUnits(const QFont& font);
    CDialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }
    int ToPixelsX(int units) const { return MulDiv(units, baseX_, 4); }
    int ToPixelsY(int units) const { return MulDiv(units, baseY_, 8); }
    QRect ToPixels(int x, int y, int width, int height) const;

private:
    int baseX_;
    int baseY_;
};
