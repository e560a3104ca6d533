#include "PlaylistDrag.h"

#include "CDisk.h"

namespace {

int EntryCount(const CDisk& disk, int playlist)
{
    if (playlist < 0 || playlist >= kPlaylistCount)
        return -1;
    return static_cast<int>(disk.Playlists()[static_cast<std::size_t>(playlist)].entries.size());
}

// A playlist that exists and can take one more entry.
bool HasRoom(const CDisk& disk, int playlist)
{
    const int count = EntryCount(disk, playlist);
    return count >= 0 && count < kMaxEntries;
}

} // namespace

bool CanBeginDrag(const CDisk& disk, int currentPlaylist, int list, int item)
{
    if (!disk.IsOpen() || !disk.IsLoaded())
        return false;
    switch (list) {
    case kDragClipList:
        return item >= 0 && item < kSlotCount && static_cast<std::size_t>(item) < disk.Clips().size() &&
               disk.Clips()[static_cast<std::size_t>(item)].frames != 0;
    case kDragPlaylistList:
        return EntryCount(disk, item) > 0;
    case kDragEntryList:
        return item >= 0 && item < EntryCount(disk, currentPlaylist) && EntryCount(disk, currentPlaylist) >= 2;
    default:
        return false;
    }
}

bool DropAllowed(const CDisk& disk, int currentPlaylist, int sourceList, int sourceItem, int list, int item)
{
    if (!disk.IsOpen() || !disk.IsLoaded())
        return false;
    switch (KindOfDrop(sourceList, list)) {
    case DropKind::AppendToPlaylist:
        return item != -1 && HasRoom(disk, item);
    case DropKind::SwapPlaylists:
        return item != -1 && item != sourceItem && EntryCount(disk, item) >= 0;
    case DropKind::InsertIntoCurrent:
        return HasRoom(disk, currentPlaylist);
    case DropKind::SwapEntries:
        return item != -1 && item != sourceItem && item < EntryCount(disk, currentPlaylist);
    case DropKind::None:
        break;
    }
    return false;
}

DropKind KindOfDrop(int sourceList, int list)
{
    if (sourceList == kDragClipList && list == kDragPlaylistList)
        return DropKind::AppendToPlaylist;
    if (sourceList == kDragClipList && list == kDragEntryList)
        return DropKind::InsertIntoCurrent;
    if (sourceList == kDragPlaylistList && list == kDragPlaylistList)
        return DropKind::SwapPlaylists;
    if (sourceList == kDragEntryList && list == kDragEntryList)
        return DropKind::SwapEntries;
    return DropKind::None;
}

int DragCursorId(bool allowed, int sourceList, int list)
{
    if (!allowed)
        return kCursorNotAllowed;
    return list == sourceList ? kCursorSameList : kCursorOtherList;
}
