// Files dragged onto the main window from a file manager: which drags the
// window takes (local files, no folder), where they go (the "Clip" group
// loads one file as Open clip does; the clip list writes each file into a
// slot: the slot dropped on, or the lowest empty one over empty space,
// then the empty slots after it), as plain functions of the card's tables.
#pragma once
#include <string>
#include <vector>

class CDisk;
class QMimeData;

enum class FileDropPlace {
    None,     // not taken here
    Picture,  // the clip picture or the "Clip" group: one file, loaded
    ClipList, // the clip list: files written into slots
};

struct FileDropTarget {
    FileDropPlace place = FileDropPlace::None;
    std::vector<std::string> files;
    // Clip list: the slots the files go to when each is written, in order;
    // fewer than the files when the empty slots run out.
    std::vector<int> intoSlots;
};

// The local files named by the URL list of `mime`, in order. Empty when it
// names none, or when any of them is not a local file or is a folder: such
// a drag is not taken at all.
std::vector<std::string> DroppedFiles(const QMimeData* mime);

// The lowest empty slot at or after `from`, else the lowest empty slot of
// the card; slots in `taken` count as used. -1 when there is none, or the
// card's tables are not loaded.
int NextEmptySlot(const CDisk& disk, int from, const std::vector<int>& taken = {});

// Where `count` files dropped on slot `slot` (-1: empty space of the list)
// go, each written: that slot (over empty space the lowest empty slot),
// then the empty slots after it, going round to the lowest ones. Empty
// when there is no slot for the first file.
std::vector<int> DropSlots(const CDisk& disk, int slot, int count);
