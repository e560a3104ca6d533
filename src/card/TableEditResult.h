// What an edit of the card's clip and playlist tables did: the result codes
// of the table operations of CDisk, and what DeleteClip changed so that the
// front ends can redraw exactly the playlists and the slot concerned.
#pragma once
#include <cstdint>

// Results of the table operations (InsertEntry, RemoveEntry, SwapEntries,
// SwapPlaylists, DeletePlaylist, ToggleTransition, SetLoop).
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

// What DeleteClip did.
struct ClipDeletion {
    int slot = -1;                   // the slot asked for
    int useCount = 0;                // playlists that held the clip (shown in the question)
    bool deleted = false;            // the slot held a clip and was emptied in memory
    bool stored = false;             // ... and the tables reached the card
    std::uint16_t changedPlaylists = 0; // bit j set: playlist j lost at least one entry

    bool PlaylistChanged(int playlist) const
    {
        return playlist >= 0 && playlist < 16 && ((changedPlaylists >> playlist) & 1u) != 0;
    }
};
