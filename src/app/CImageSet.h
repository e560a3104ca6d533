// The one set of images that the window's three icon-view lists share:
// image i of 0..143 is the thumbnail of clip slot i, the last one is blank.
// Qt lists have no shared image list, so every list item records the number
// of the image it shows and gets its icon from this set; when an image is
// replaced, every item showing it, in every list, gets the new icon.
#pragma once
#include <QIcon>
#include <QImage>

#include <vector>

class QListWidget;
class QListWidgetItem;

class CImageSet {
public:
    // `count` blank (black) images of width x height.
    void Create(int count, int width, int height);
    int Count() const { return static_cast<int>(images_.size()); }
    QSize ImageSize() const { return size_; }

    // Replaces image `index` by `image` (scaled to the set's size when it
    // differs). False for an index outside the set or a null image.
    bool Replace(int index, const QImage& image);
    // Image and icon `index`; null ones outside the set.
    QImage Image(int index) const;
    QIcon Icon(int index) const;

    // Shows image `index` on `item` and records the number there.
    void Assign(QListWidgetItem* item, int index) const;
    // The image number recorded on `item`; -1 when none.
    static int ItemImage(const QListWidgetItem* item);
    // Gives every item of `list` that shows image `index` its current icon.
    void Refresh(QListWidget* list, int index) const;

private:
    struct Entry {
        QImage image;
        QIcon icon;
    };
    std::vector<Entry> images_;
    QSize size_;
};
