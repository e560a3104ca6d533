// Files dragged onto the main window from a file manager: which drags the
// window takes (local files, no folder), where they go (the "Clip" group
// loads one file as Open clip does; the clip list writes each file into a
// slot: the slot dropped on, or the lowest empty one over empty space,
// then the empty slots after it), as plain functions of the card's tables.
#pragma once
#include "DropSlots.h"

#include <string>
#include <vector>

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
