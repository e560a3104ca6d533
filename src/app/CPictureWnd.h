// CPictureWnd: the picture control of a dialog. It owns a 32-bit bitmap
// whose pixels are the pixels of its CPicture, so callers Blit and Fill into
// the picture and then repaint the control. It paints the bitmap 1:1 when
// the control is exactly the bitmap's size, else stretched over the whole
// control (dropping or repeating rows and columns, aspect not kept).
#pragma once
#include "CPicture.h"

#include <QImage>
#include <QWidget>

class CPictureWnd : public QWidget {
    Q_OBJECT

public:
    explicit CPictureWnd(QWidget* parent = nullptr);
    ~CPictureWnd() override;

    // Gives the control a width x height bitmap, all black, and points the
    // picture at its pixels. False (and no bitmap) for a size that is not
    // positive.
    bool CreateDib(int width, int height);
    bool HasDib() const { return !bitmap_.isNull(); }

    // Pixels laid out as CPicture's (blue, green, red, spare); write into
    // it, then call update() or repaint().
    CPicture& Picture() { return picture_; }
    const CPicture& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Declared before the picture, which borrows its pixels and so must go
    // first.
    QImage bitmap_;
    CPicture picture_;
};
