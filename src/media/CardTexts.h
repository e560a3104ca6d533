// The texts that show a card's contents: clip and playlist labels, the
// playlist info, tool tips, capacity and free space. The window's lists and
// the command line's `info` print the same texts.
#pragma once
#include <string>

class CDisk;
struct ClipRecord;

// The slot's name as UTF-8: up to 8 bytes, ending at the first zero; empty
// when the slot has no name. The same of a clip record of any table.
std::string ClipName(const CDisk& disk, int slot);
std::string RecordName(const ClipRecord& clip);

// "%02d - %s" with slot + 1 and the name, "%02d" without a name, an empty
// slot or a card that is not loaded.
std::string ClipItemLabel(const CDisk& disk, int slot);

// "%02d - %s" with p + 1 and the playlist's time, " <>" appended when it
// loops; "%02d" for an empty playlist.
std::string PlaylistItemLabel(const CDisk& disk, int playlist);

// Label of entry i of a playlist: the clip's "%02d - %s" (or "%02d" with
// i + 1 when the clip has no name), then "\r" and "AUTO" or "CUT" when the
// entry has a successor (or the playlist loops).
std::string EntryItemLabel(const CDisk& disk, int playlist, int entry);

// "CUT" or "AUTO" of a transition word (AUTO when its code is the auto one).
const char* TransitionWord(unsigned transition);

// kIdsPlaylistInfo (number, entries, time), or kIdsPlaylistEmpty for an
// empty playlist.
std::string PlaylistInfoText(const CDisk& disk, int playlist);

// "%s\r%s": the clip's name and its time and size on two lines; empty when
// the slot holds no clip.
std::string ClipTipText(const CDisk& disk, int slot);

// The capacity field: the time and size of all clusters; empty with no card.
std::string CapacityText(const CDisk& disk);
// The free field: the time and size of the free clusters, "Not formatted"
// for a card that is not loaded, empty with no card.
std::string FreeText(const CDisk& disk);
