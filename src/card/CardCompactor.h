// Compaction of the card: moves clips towards cluster 0, in the order of
// their start clusters, until the free space is one run at the end. Each
// moved clip is recorded on the card as soon as it has been moved; a move
// over the clip's own old run is made one that an opening of the card
// finishes after a power cut (CDisk::MoveOverOwnRun).
#pragma once
#include "ClipWriter.h"

#include <vector>

class CDisk;
class IProgress;
class IClipWriteView;

// `sortedRuns` is the placement list sorted by start (the end marker, slot
// -1, is skipped); the starts of moved clips are lowered in it. Returns
// true when the pass completed, false when Abort or a failed transfer
// stopped it after the current clip.
bool CompactCard(CDisk& disk, std::vector<ClusterRun>& sortedRuns, IProgress& progress,
                IClipWriteView* view);
