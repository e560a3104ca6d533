// Finding runs of DV frames on a card in the clusters that no clip of its
// table covers (every cluster when the table cannot be read): a run is a
// stretch of clusters holding PAL DV frames of one recording, ended where
// a cluster holds no PAL DV frame, the timecode does not follow on, the
// recording date and time jump, or the frame shape or the audio format
// changes. Only first sectors of clusters are read, many at a time: every
// one where no run is, and along a recording whose frames carry a timecode
// and a recording time one in 64, the ones between taken as the
// recording's when the one read matches it to the frame and the second;
// where it does not, the stretch is narrowed, eight points at a time, to
// the frame where the recording stops. The audio format is read only at a run's ends and where
// they differ.
#pragma once
#include "FrameHead.h"

#include <cstdint>
#include <vector>

class CDisk;
class IProgress;

struct FoundRun {
    std::uint32_t firstCluster = 0;
    int frames = 0;
    FrameHead head; // of its first frame
    bool LongEnough() const;  // at least the shortest clip the program writes
};

// Runs found on `disk` in order of their first cluster. False when a read
// failed (the card's access message shown) or the progress aborted; `runs`
// then holds what was found before.
bool FindFrameRuns(CDisk& disk, std::vector<FoundRun>& runs, IProgress* progress = nullptr);
