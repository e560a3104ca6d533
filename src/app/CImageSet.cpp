#include "CImageSet.h"

#include "CreateDibBitmap.h"

#include <QListWidget>
#include <QPixmap>

namespace {
// The item data role that holds the image number.
constexpr int kImageRole = Qt::UserRole + 1;
} // namespace

void CImageSet::Create(int count, int width, int height)
{
    size_ = QSize(width, height);
    images_.clear();
    if (count <= 0)
        return;
    const QImage blank = CreateDibBitmap(width, height, 32, nullptr);
    const QIcon icon(QPixmap::fromImage(blank));
    images_.assign(static_cast<std::size_t>(count), Entry{blank, icon});
}

bool CImageSet::Replace(int index, const QImage& image)
{
    if (index < 0 || index >= Count() || image.isNull())
        return false;
    QImage fitted = image.size() == size_ ? image : image.scaled(size_);
    Entry& e = images_[static_cast<std::size_t>(index)];
    e.icon = QIcon(QPixmap::fromImage(fitted));
    e.image = std::move(fitted);
    return true;
}

QImage CImageSet::Image(int index) const
{
    if (index < 0 || index >= Count())
        return QImage();
    return images_[static_cast<std::size_t>(index)].image;
}

QIcon CImageSet::Icon(int index) const
{
    if (index < 0 || index >= Count())
        return QIcon();
    return images_[static_cast<std::size_t>(index)].icon;
}

void CImageSet::Assign(QListWidgetItem* item, int index) const
{
    if (item == nullptr)
        return;
    item->setData(kImageRole, index);
    item->setIcon(Icon(index));
}

int CImageSet::ItemImage(const QListWidgetItem* item)
{
    if (item == nullptr)
        return -1;
    const QVariant v = item->data(kImageRole);
    return v.isValid() ? v.toInt() : -1;
}

void CImageSet::Refresh(QListWidget* list, int index) const
{
    if (list == nullptr)
        return;
    const QIcon icon = Icon(index);
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        if (ItemImage(item) == index)
            item->setIcon(icon);
    }
}
