// What an edit of the card's clip and playlist tables did: its result code
// and the slots and playlists it changed, so that the front ends redraw
// exactly those. Every table operation of CDisk returns one.
#pragma once
#include "CardLayout.h"

#include <bitset>

// Result codes of the table operations.
enum TableEditResult : int {
    // A precondition failed or the user declined: nothing changed in memory
    // and nothing was written.
    kEditRefused = 0,
    // Changed in memory and written to the card.
    kEditStored = 1,
    // Changed in memory, but the table write failed (the card's write
    // message has been shown); the next successful WriteFAT stores it.
    kEditNotStored = 2,
};

// Position argument of InsertEntry that appends at the end.
inline constexpr int kAppendEntry = -1;

struct TableChange {
    int result = kEditRefused;
    std::bitset<kSlotCount> changedSlots;         // clip records changed
    std::bitset<kPlaylistCount> changedPlaylists; // entries, their order, loop flag or logo mode changed
    // The entry whose transition changed, -1 when none. Nothing else of its
    // playlist changed, so the playlist is not among the changed ones.
    int transitionPlaylist = -1;
    int transitionEntry = -1;

    // Changed in memory (stored or not).
    bool Done() const { return result != kEditRefused; }
    bool Stored() const { return result == kEditStored; }
    bool SlotChanged(int slot) const { return slot >= 0 && slot < kSlotCount && changedSlots.test(static_cast<std::size_t>(slot)); }
    bool PlaylistChanged(int playlist) const
    {
        return playlist >= 0 && playlist < kPlaylistCount && changedPlaylists.test(static_cast<std::size_t>(playlist));
    }
};

// What DeleteClip did, with the number of playlists that held the clip (the
// count its question showed).
struct ClipDeletion : TableChange {
    int useCount = 0;
};
