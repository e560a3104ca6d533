#include "CPictureWnd.h"

#include <QPainter>

#include <cstring>

CPictureWnd::CPictureWnd(QWidget* parent) : QWidget(parent) {}

CPictureWnd::~CPictureWnd()
{
    // The pixels belong to the bitmap: the picture only forgets them.
    picture_.Free();
}

bool CPictureWnd::CreateDib(int width, int height)
{
    picture_.Free();
    bitmap_ = QImage();
    if (width <= 0 || height <= 0)
        return false;
    // Top-down rows of 4-byte pixels, blue first in memory: the layout of
    // CPicture. The spare byte is not read when painting.
    QImage bitmap(width, height, QImage::Format_RGB32);
    if (bitmap.isNull())
        return false;
    std::memset(bitmap.bits(), 0, static_cast<std::size_t>(bitmap.sizeInBytes()));
    bitmap_ = std::move(bitmap);
    picture_.Attach(bitmap_.bits(), width, height);
    // The bitmap covers the whole control: there is no background to erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    return true;
}

void CPictureWnd::paintEvent(QPaintEvent*)
{
    if (bitmap_.isNull())
        return;
    QPainter painter(this);
    // The bitmap has no alpha channel, so it is copied as it is; no
    // smoothing when stretched.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (size() == bitmap_.size())
        painter.drawImage(0, 0, bitmap_);
    else
        painter.drawImage(rect(), bitmap_);
}
