// The drop highlight of list items: where a drag over the main window's
// lists would land (a playlist, an entry, the slots files would be written
// to), drawn as a selected item is and recorded on the item.
#pragma once

class QListWidget;

// Sets or clears the highlight of item `item` of `list` and redraws it.
void HighlightListItem(QListWidget* list, int item, bool on);
// Whether item `item` of `list` is highlighted now.
bool ListItemHighlighted(const QListWidget* list, int item);
