// The session's edits of the chosen card: deleting and renaming a clip,
// formatting, and the playlist edits (adding, removing and exchanging
// entries, exchanging playlists, emptying a playlist, the loop flag, an
// entry's transition).
// Each runs through the card's table operation, which checks it and writes
// the tables at once, and tells the views what it changed. Nothing runs
// while the session is busy.
#pragma once
#include "TableChange.h"

#include <string>

class CCardSession;
class IInteraction;

// Asks and deletes the clip of `slot`; non-zero when the slot is empty
// afterwards, 0 when declined or not possible.
int DeleteSessionClip(CCardSession& session, int slot, IInteraction& ui);

// Gives the clip of `slot` the name `name` (UTF-8). A name the card cannot
// hold (ClipName.h) is refused with its message and nothing written.
TableChange RenameSessionClip(CCardSession& session, int slot, const std::string& name, IInteraction& ui);

enum FormatFlowResult : int {
    kFormatFlowNotDone = 0,     // declined, or no card
    kFormatFlowDone = 1,        // formatted
    kFormatFlowWriteFailed = 2, // the tables could not be written; the card list was read again
    kFormatFlowCardChanged = 3, // the open card is not the chosen one; nothing written, the list read again
};
// Formats the chosen card after its question (FormatFlow.h), once the open
// device has been found to be that card.
int FormatChosenCard(CCardSession& session, IInteraction& ui);

// Adds an entry for `slot` to `playlist` before `position` (-1: at the end)
// and makes that playlist current.
TableChange InsertSessionEntry(CCardSession& session, int playlist, int slot, int position);
TableChange RemoveSessionEntry(CCardSession& session, int playlist, int entry);
// Asks "Delete playlist %02d?" and empties the playlist.
TableChange DeleteSessionPlaylist(CCardSession& session, int playlist, IInteraction& ui);
TableChange SwapSessionPlaylists(CCardSession& session, int a, int b);
TableChange SwapSessionEntries(CCardSession& session, int playlist, int a, int b);
// The loop flag of the current playlist; a refused edit still tells the
// views of that playlist, so that they show its flag again.
TableChange SetSessionLoop(CCardSession& session, bool loop);
// Toggles the transition of entry `entry` of the current playlist, unless
// it is the last entry of a playlist that does not loop.
TableChange ToggleSessionTransition(CCardSession& session, int entry);
