// The quick test for a fake capacity: a few dozen free clusters spread over
// the whole card (near the start, at the power-of-two byte positions where a
// card that wraps its writes around shows it, at power-of-two cluster
// numbers, the last cluster and random ones) get content that names them
// (ProbePattern.h); after a flush and with the clusters dropped from the
// system's cache they are read back, and the clips near the start of the
// card with them. A position that did not keep its data, or whose data
// turned up elsewhere, marks a card that stores less than it reports; the
// real capacity is then found to the sector, by bisection between a good and
// a bad position or from where the wrapped data landed. Each probed cluster
// is read before it is written and put back afterwards in reverse order, so
// the card ends as it was (on a card that wraps its writes too: what a
// wrapped write overwrote is put back through the same wrap). The table is
// never written: a power cut during the probe loses nothing.
#pragma once
#include <cstdint>

class CDisk;
class IProgress;

enum CardProbeOutcome : int {
    kProbeGenuine = 0,  // every probed position kept its data
    kProbeFake = 1,     // the card stores less than it reports (realBytes)
    kProbeBadArea = 2,  // some positions did not keep their data, others beyond them did
    kProbeStopped = 3,  // Abort: the probed clusters were put back
    kProbeFailed = 4,   // a transfer failed or the card vanished (the card's message shown)
    kProbeNoRoom = 5,   // no free cluster to probe
};

struct CardProbeReport {
    int outcome = kProbeFailed;
    std::uint64_t reportedBytes = 0; // the size the card reports
    // The first byte that did not keep its data (reportedBytes when the
    // card is genuine), and the clusters that lie wholly before it.
    std::uint64_t realBytes = 0;
    std::uint32_t realClusters = 0;
    bool wrapped = false;       // data written far turned up nearer the start
    int positions = 0;          // positions probed
    int badPositions = 0;       // of them, those that did not keep their data
    std::uint64_t bytesWritten = 0; // the probes and their putting back
    bool clipsChanged = false;  // a clip cluster near the start read back changed
    bool clipsIntact = true;    // every clip cluster read is as it was at the end
};

// Probes the open card (loaded: only free clusters are written; not loaded:
// any cluster, the caller having asked). Returns the outcome.
int ProbeCard(CDisk& disk, IProgress& progress, CardProbeReport& report);
