// The clip slot and playlist operations of CDisk: editing the playlists in
// memory, each edit checked against its preconditions first and followed by
// a write of the whole FAT area, and the values derived from the tables.
#include "CDisk.h"

#include "Interaction.h"

#include <utility>

namespace {

bool ValidPlaylist(int playlist) { return playlist >= 0 && playlist < kPlaylistCount; }

bool ValidPosition(const Playlist& p, int position)
{
    return position >= 0 && position < static_cast<int>(p.entries.size());
}

} // namespace

bool CDisk::TablesReady() const
{
    return IsOpen() && loaded_ && clips_.size() == static_cast<std::size_t>(kSlotCount);
}

TableChange CDisk::StoreEdit(TableChange change, int operation)
{
    change.result = WriteFAT(operation) ? kEditStored : kEditNotStored;
    return change;
}

TableChange CDisk::StorePlaylistEdit(int playlist)
{
    TableChange change;
    change.changedPlaylists.set(static_cast<std::size_t>(playlist));
    return StoreEdit(change);
}

TableChange CDisk::InsertEntry(int playlist, int slot, int position)
{
    if (!TablesReady() || !ValidPlaylist(playlist) || slot < 0 || slot >= kSlotCount)
        return {};
    if (clips_[static_cast<std::size_t>(slot)].frames == 0)
        return {};
    Playlist& p = playlists_[static_cast<std::size_t>(playlist)];
    if (static_cast<int>(p.entries.size()) >= kMaxEntries)
        return {};
    if (position != kAppendEntry && !ValidPosition(p, position))
        return {};

    PlaylistEntry entry;
    entry.slot = slot;
    entry.transition = kTransitionCut;
    entry.reserved = 0;
    if (position == kAppendEntry)
        p.entries.push_back(entry);
    else
        p.entries.insert(p.entries.begin() + position, entry);
    return StorePlaylistEdit(playlist);
}

TableChange CDisk::RemoveEntry(int playlist, int position)
{
    if (!TablesReady() || !ValidPlaylist(playlist))
        return {};
    Playlist& p = playlists_[static_cast<std::size_t>(playlist)];
    if (!ValidPosition(p, position))
        return {};
    p.entries.erase(p.entries.begin() + position);
    return StorePlaylistEdit(playlist);
}

TableChange CDisk::SwapEntries(int playlist, int a, int b)
{
    if (!TablesReady() || !ValidPlaylist(playlist) || a == b)
        return {};
    Playlist& p = playlists_[static_cast<std::size_t>(playlist)];
    if (!ValidPosition(p, a) || !ValidPosition(p, b))
        return {};
    std::swap(p.entries[static_cast<std::size_t>(a)], p.entries[static_cast<std::size_t>(b)]);
    return StorePlaylistEdit(playlist);
}

TableChange CDisk::SwapPlaylists(int a, int b)
{
    if (!TablesReady() || !ValidPlaylist(a) || !ValidPlaylist(b) || a == b)
        return {};
    Playlist& source = playlists_[static_cast<std::size_t>(a)];
    Playlist& target = playlists_[static_cast<std::size_t>(b)];
    if (source.entries.empty())
        return {};
    std::swap(source, target);
    TableChange change;
    change.changedPlaylists.set(static_cast<std::size_t>(a)).set(static_cast<std::size_t>(b));
    return StoreEdit(change);
}

TableChange CDisk::DeletePlaylist(int playlist)
{
    if (!TablesReady() || !ValidPlaylist(playlist))
        return {};
    Playlist& p = playlists_[static_cast<std::size_t>(playlist)];
    if (p.entries.empty())
        return {};
    // Without anyone to ask, the default answer (No) stands.
    if (ui_ == nullptr || ShowMessage(*ui_, kIdsAskDeletePlaylist, kMsgYesNoDefNo, playlist + 1) != kIdYes)
        return {};
    p = Playlist();
    return StorePlaylistEdit(playlist);
}

TableChange CDisk::ToggleTransition(int playlist, int position)
{
    if (!TransitionMeaningful(playlist, position))
        return {};
    PlaylistEntry& e = playlists_[static_cast<std::size_t>(playlist)].entries[static_cast<std::size_t>(position)];
    const std::uint32_t code = (e.transition & kTransitionCodeMask) == kTransitionAuto ? kTransitionCut : kTransitionAuto;
    e.transition = (e.transition & ~kTransitionCodeMask) | code;
    TableChange change;
    change.transitionPlaylist = playlist;
    change.transitionEntry = position;
    return StoreEdit(change);
}

TableChange CDisk::SetLoop(int playlist, bool loop)
{
    if (!TablesReady() || !ValidPlaylist(playlist))
        return {};
    playlists_[static_cast<std::size_t>(playlist)].loop = loop;
    return StorePlaylistEdit(playlist);
}

int CDisk::PlaylistLength(int playlist) const
{
    if (!TablesReady() || !ValidPlaylist(playlist))
        return 0;
    int frames = 0;
    for (const PlaylistEntry& e : playlists_[static_cast<std::size_t>(playlist)].entries) {
        if (e.slot >= 0 && e.slot < kSlotCount)
            frames += clips_[static_cast<std::size_t>(e.slot)].frames;
    }
    return frames;
}

int CDisk::UseCount(int slot) const
{
    if (!TablesReady() || slot < 0 || slot >= kSlotCount)
        return 0;
    int count = 0;
    for (const Playlist& p : playlists_) {
        for (const PlaylistEntry& e : p.entries) {
            if (e.slot == slot) {
                ++count;
                break;
            }
        }
    }
    return count;
}

bool CDisk::TransitionMeaningful(int playlist, int position) const
{
    if (!TablesReady() || !ValidPlaylist(playlist))
        return false;
    const Playlist& p = playlists_[static_cast<std::size_t>(playlist)];
    if (!ValidPosition(p, position))
        return false;
    return p.loop || position + 1 < static_cast<int>(p.entries.size());
}

TableChange CDisk::SetPlaylists(const std::array<Playlist, kPlaylistCount>& playlists)
{
    if (!TablesReady())
        return {};
    TableChange change;
    for (int j = 0; j < kPlaylistCount; ++j) {
        const Playlist& p = playlists[static_cast<std::size_t>(j)];
        if (p.entries.size() > static_cast<std::size_t>(kMaxEntries) || p.logoMode < 0 || p.logoMode > 2)
            return {};
        for (const PlaylistEntry& e : p.entries) {
            if (e.slot < 0 || e.slot >= kSlotCount || clips_[static_cast<std::size_t>(e.slot)].frames == 0)
                return {};
        }
        change.changedPlaylists.set(static_cast<std::size_t>(j));
    }
    playlists_ = playlists;
    return StoreEdit(change);
}
