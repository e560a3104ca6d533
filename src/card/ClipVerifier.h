// Reading a written clip back from the card and comparing it with its
// source, frame by frame, before the clip is recorded. The clusters are
// dropped from the system's cache first, so what is compared is what the
// card returns, not what the cache still holds. The progress display runs
// through the clusters once more, with its own caption and the same Abort.
#pragma once

class CDisk;
class IFrameSource;
class IProgress;

enum ClipVerifyResult : int {
    kVerifyMatch = 0,    // every cluster read back equals its frame
    kVerifyStopped = 1,  // Abort, or a source frame could not be read again
    kVerifyReadFailed = 2, // a cluster could not be read (the card's message shown)
    kVerifyMismatch = 3, // a cluster differs (kIdsVerifyMismatch shown)
};

// Compares the `frames` clusters from `firstCluster` on, already flushed to
// the card, with the frames of `source` (each followed by 384 zero bytes).
// Runs inside the progress the writer began (range frames + 1): positions
// start again from 0. Every result but kVerifyMatch sets the abort flag;
// `mismatchFrame` gets the frame that differs (-1 otherwise).
int VerifyClip(CDisk& disk, int firstCluster, int frames, IFrameSource& source, IProgress& progress,
               int& mismatchFrame);
