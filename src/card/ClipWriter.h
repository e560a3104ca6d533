// Writing a clip onto the card: slot choice, the length and room checks,
// deleting the slot's former clip, first-fit placement of one contiguous
// run of clusters, compaction when the free space is split, the frame loop
// and the commit. UI-free: questions and messages go through the card's
// interaction, progress and abort through IProgress, redraws through
// IClipWriteView. Both front ends call WriteClip.
#pragma once
#include "TableChange.h"

#include <string>
#include <vector>

class CDisk;
class IFrameSource;
class IProgress;

// How a write ended.
enum ClipWriteOutcome : int {
    kWriteNothing = 0,      // no slot, card not loaded, or the deletion was declined
    kWriteTooShort = 1,     // under 75 frames (message shown)
    kWriteTooLong = 2,      // over 65534 frames (message shown)
    kWriteNoRoom = 3,       // not enough free clusters in total (message shown)
    kWriteDone = 4,         // "Write completed." shown
    kWriteAborted = 5,      // "Operation aborted." shown; nothing new recorded on the card
    kWriteCompactionStopped = 6, // compaction ended by Abort or a failure; no final message
    kWriteBeyondCapacity = 7, // fits the card only past the real capacity a test found (message shown)
};

// What the window redraws while a write runs. Every method has an empty
// default so that the command line and tests pass only what they need.
class IClipWriteView {
public:
    virtual ~IClipWriteView() = default;
    // The busy state changed (progress began or ended): enable or disable
    // the controls.
    virtual void UpdateControls() {}
    // The slot's former clip was deleted: `change` names the slot and the
    // playlists that lost entries.
    virtual void ClipDeleted(const TableChange& /*change*/) {}
    // A clip moved by compaction has been recorded at its new place; its
    // frames and name are the same.
    virtual void ClipMoved(const TableChange& /*change*/) {}
    // The new clip has been recorded in `slot`: redraw what `change` names
    // and scroll the slot into view.
    virtual void ClipRecorded(int /*slot*/, const TableChange& /*change*/) {}
};

// One element of the placement list: a clip's run of clusters, or the end
// marker (slot -1, start = total clusters, length 0).
struct ClusterRun {
    int start = 0;
    int length = 0;
    int slot = -1;
};

// The used slots as runs, in slot order.
std::vector<ClusterRun> UsedRuns(const CDisk& disk);
// Sorts by start cluster the way the writer does (selection sort: a later
// element replaces the minimum only when its start is strictly smaller).
void SortRuns(std::vector<ClusterRun>& runs);
// First fit of `frames` clusters over sorted runs, with the end marker
// appended when the last clip ends before the end of the card. No run ends
// past `totalClusters` (the usable clusters of a card whose real capacity
// is known). Returns the first cluster, or -1 when no run is long enough.
int FindFreeRun(std::vector<ClusterRun> sortedRuns, int frames, int totalClusters);

struct ClipWriteReport {
    int outcome = kWriteNothing;
    int slot = -1;          // the target slot (-1 when none)
    int firstCluster = -1;  // where the clip was placed
    int compactions = 0;    // compaction passes run
    int frames = 0;         // frames written (a streamed source's, as it gave them)
    ClipDeletion deletion;  // what deleting the slot's former clip changed
    bool verified = false;  // the clip was read back from the card and matched
    int mismatchFrame = -1; // the frame the card returned different data for
};

// Clusters reserved for a streamed source beyond the frames its duration
// foretells: a timeline may round to a frame or two more.
inline constexpr int kStreamSlackFrames = 4;

// The "Verify" setting of section "Options" (default 1): whether a written
// clip is read back and compared before it is recorded.
bool VerifyAfterWriting();

// Writes `source` into `selectedSlot` (or, when it is -1, the lowest empty
// slot) of the open and loaded card. With `verify` the frames, once flushed,
// are read back from the card and compared with the digests kept while
// writing them (ClipVerifier.h), the source read only once; a clip that
// does not match is not recorded and the write ends as aborted. A streamed
// source is checked and placed by the frames its duration foretells and
// recorded with the frames it gave; one that ends under 75 frames gives
// kWriteTooShort, one that outgrows the free run it was placed in
// kWriteAborted (the room or length message shown), nothing recorded.
// Returns the outcome; `report` (optional) gets the details.
int WriteClip(CDisk& disk, int selectedSlot, IFrameSource& source, IProgress& progress,
              IClipWriteView* view = nullptr, ClipWriteReport* report = nullptr, bool verify = true);

// What a kWriteBeyondCapacity refusal says: the real capacity a test found
// for the card and the clusters within it.
std::string BeyondCapacityText(const CDisk& disk);
