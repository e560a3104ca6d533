// Copying the clips and playlists of one loaded card onto one or more
// other cards or card images, through the card code every write takes: the
// target's table formatted and written first, then each clip written
// through the frame loop, flushed, read back (ClipVerifier.h) and recorded
// (RecordClip), then the playlists, so that a cut at any moment leaves a
// target that loads with the clips recorded so far. The source is read
// once, on the calling thread, and never written; each target has its own
// writer thread with its own read-back. Every question, message and
// progress call stays on the calling thread.
#pragma once
#include "CardCopyPlan.h"

#include <string>
#include <vector>

class CDisk;
class IInteraction;
class IProgress;

enum CopyTargetState : int {
    kTargetPending = 0, // not ended yet
    kTargetWhole = 1,   // every clip and the playlists are on it
    kTargetFailed = 2,  // a write, a flush or the read-back failed; its message shown
    kTargetStopped = 3, // Abort, or the source failed: the clips recorded so far stay
};

struct CopyTarget {
    std::string name;     // how the messages name it
    CDisk* disk = nullptr; // open; what it held is replaced
    CardCopyPlan plan;    // PlanCardCopy of the source for it (not kCopyNoRoom)
    bool file = false;    // a backup file: its faults are a file's, not a card's
    // What the copy did.
    int state = kTargetPending;
    int clipsRecorded = 0;
    std::string failure;  // the message of its fault, when it failed
};

// What the front ends show besides the one progress over the whole copy.
// Called on the calling thread; empty defaults.
class ICardCopyView {
public:
    virtual ~ICardCopyView() = default;
    // Target `index` has done `done` of its `total` steps (each frame
    // written, then each frame read back).
    virtual void TargetProgress(int /*index*/, const CopyTarget& /*target*/, long long /*done*/, long long /*total*/) {}
    // Target `index` has ended (its state set).
    virtual void TargetEnded(int /*index*/, const CopyTarget& /*target*/) {}
};

enum CardCopyResult : int {
    kCopyAllWhole = 0,     // every target is whole
    kCopySomeFailed = 1,   // at least one target failed; the others went on
    kCopyStopped = 2,      // Abort
    kCopySourceFailed = 3, // the source could not be read (its message shown)
};

// Copies `source` (open and loaded) onto `targets`. With `verify` every
// clip is read back from each target before it is recorded there. A target
// that fails is reported through `ui` by name ("Copying onto %s failed")
// and the others go on. Shows no closing message: the flows do.
int CopyCardOnto(CDisk& source, std::vector<CopyTarget>& targets, IProgress& progress, IInteraction* ui,
                 ICardCopyView* view = nullptr, bool verify = true);
