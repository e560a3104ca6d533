// Bringing back what a format, a delete or a damaged table lost, without
// its window: the earlier tables of the card's history with the clips of
// each that are still whole, the runs of frames outside the table's clips,
// and putting back a table or recording found runs after the user's Yes.
// Only the table is ever written (one WriteFAT); the current table goes
// into the history first.
#pragma once
#include "CardLayout.h"
#include "RunFinder.h"
#include "TableHistory.h"

#include <array>
#include <string>
#include <vector>

class CDisk;
class IInteraction;

// A table of the history, decoded, and which of its clips are whole.
struct EarlierTable {
    KeptTable kept;
    std::vector<ClipRecord> clips;
    std::array<Playlist, kPlaylistCount> playlists;
    std::vector<int> brokenSlots; // slots (from 0) whose first or last frame changed
    std::vector<int> firstChanged; // of them, those whose first frame changed (or is unknown)
    int ClipCount() const;
    int PlaylistCount() const;
    bool Whole() const { return brokenSlots.empty(); }
};

// The tables kept for the card of `disk`, newest first: those that differ
// from the card's table and name clips, each with the clips that are no
// longer whole.
std::vector<EarlierTable> EarlierTables(CDisk& disk);

// "before Format, 2026-12-09 14:02: 5 clips, 3 playlists"
std::string EarlierTableText(const EarlierTable& table);
// Slots counted from 0 as the user counts them: "01, 04".
std::string SlotList(const std::vector<int>& slots);
// The kept time as local "YYYY-MM-DD HH:MM".
std::string KeptTimeText(std::int64_t time);
// A found run's first frame: its recording date and time
// ("2026-12-09 14:02:07") and its timecode ("00:01:02:03"); empty when the
// frame carries none.
std::string RecordedText(const FrameHead& head);
std::string TimecodeText(const FrameHead& head);

enum RecoverResult : int {
    kRecoverNotDone = 0,     // declined, or nothing to do
    kRecoverDone = 1,        // written; "Recovery complete..." shown
    kRecoverWriteFailed = 2, // the table write failed (the card's message shown)
    kRecoverRefused = 3,     // a clip of the table is not whole (message shown)
};

// Puts back `table` after the question; a table with clips that are no
// longer whole is refused (naming them) unless `partial`, which keeps the
// whole ones.
int PutBackEarlierTable(CDisk& disk, IInteraction& ui, const EarlierTable& table, bool partial);

// Records `runs` (each of at most kMaxClipFrames frames, longer ones in
// pieces) in the lowest empty slots, named REC01, REC02... (numbers not yet
// used on the card), after the question.
int RecordFoundRuns(CDisk& disk, IInteraction& ui, const std::vector<FoundRun>& runs);
