// Reading a written clip back from the card and comparing it, frame by
// frame, with the digests the frame loop kept of what it wrote, before the
// clip is recorded; the source is not read again. The clusters are read in
// runs of several per request, with direct I/O where the device allows it,
// and dropped from the system's cache first, so what is compared is what
// the card returns, not what the cache still holds. The progress display runs
// through the clusters once more, with its own caption and the same Abort.
#pragma once

class CDisk;
class CFrameDigests;
class IProgress;

enum ClipVerifyResult : int {
    kVerifyMatch = 0,    // every cluster read back equals its frame
    kVerifyStopped = 1,  // Abort
    kVerifyReadFailed = 2, // a cluster could not be read (the card's message shown)
    kVerifyMismatch = 3, // a cluster differs (kIdsVerifyMismatch shown)
};

// Compares the clusters from `firstCluster` on, already flushed to the
// card, one per digest of `written`. Runs inside the progress the writer
// began (range frames + 1): positions start again from 0. Every result but
// kVerifyMatch sets the abort flag; `mismatchFrame` gets the frame that
// differs (-1 otherwise).
int VerifyClip(CDisk& disk, int firstCluster, const CFrameDigests& written, IProgress& progress,
               int& mismatchFrame);
