// The rules of drag and drop between and within the main window's three
// lists, as plain functions of the card's tables and the window's current
// playlist: which items may be dragged, where a dragged item may be
// dropped, what a drop does and which cursor the pointer shows.
#pragma once

class CDisk;

// The lists by number.
enum DragList : int {
    kNoDragList = -1,
    kDragClipList = 0,     // the 144 clip slots
    kDragPlaylistList = 1, // the 12 playlists
    kDragEntryList = 2,    // the entries of the current playlist
};

// Cursor ids during a drag: within the source list, onto another list, and
// the platform's not-allowed cursor.
inline constexpr int kCursorSameList = 135;
inline constexpr int kCursorOtherList = 136;
inline constexpr int kCursorNotAllowed = 0;

// What a drop does.
enum class DropKind {
    None,              // no drop from that list onto that list
    AppendToPlaylist,  // clip onto a playlist: appended to it
    InsertIntoCurrent, // clip onto the current playlist: before the entry, or at the end
    SwapPlaylists,     // playlist onto playlist: contents, loop flags and logo modes exchanged
    SwapEntries,       // entry onto entry of the current playlist: exchanged
};

// The place under the pointer and whether a drop there is accepted.
struct DropTarget {
    bool allowed = false;
    int list = kNoDragList;
    int item = -1;
};

// Whether item `item` of list `list` may be dragged: a clip slot holding a
// clip, a playlist with entries, or an entry of a current playlist that has
// at least two. Nothing may be dragged from a card that is not loaded.
bool CanBeginDrag(const CDisk& disk, int currentPlaylist, int list, int item);

// Whether the item dragged from (sourceList, sourceItem) may be dropped on
// item `item` (-1: empty space) of list `list`.
bool DropAllowed(const CDisk& disk, int currentPlaylist, int sourceList, int sourceItem, int list, int item);

// What dropping an item of `sourceList` onto `list` does.
DropKind KindOfDrop(int sourceList, int list);

// The cursor shown over list `list` while dragging from `sourceList`.
int DragCursorId(bool allowed, int sourceList, int list);
