#include "DropHighlight.h"

#include <QListWidget>

namespace {

// The item data role that marks the highlight (the image number of the
// shared image set is Qt::UserRole + 1).
constexpr int kDropHighlightRole = Qt::UserRole + 2;

} // namespace

void HighlightListItem(QListWidget* list, int item, bool on)
{
    QListWidgetItem* entry = list != nullptr ? list->item(item) : nullptr;
    if (entry == nullptr)
        return;
    if (on) {
        entry->setData(kDropHighlightRole, true);
        entry->setBackground(list->palette().brush(QPalette::Highlight));
        entry->setForeground(list->palette().brush(QPalette::HighlightedText));
    } else {
        entry->setData(kDropHighlightRole, QVariant());
        entry->setData(Qt::BackgroundRole, QVariant());
        entry->setData(Qt::ForegroundRole, QVariant());
    }
    list->viewport()->update(list->visualItemRect(entry));
}

bool ListItemHighlighted(const QListWidget* list, int item)
{
    const QListWidgetItem* entry = list != nullptr ? list->item(item) : nullptr;
    return entry != nullptr && entry->data(kDropHighlightRole).toBool();
}
