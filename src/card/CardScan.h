// The full card test. A probe (CardProbe.h) runs first, so that nothing is
// written past a fake capacity it finds; then every free cluster up to the
// real capacity is written with content that names it (ProbePattern.h), in
// large requests that the bounded write-back hands to the card as they go,
// and after a flush, with the card dropped from the system's cache, every
// cluster is read back in large requests: free clusters are compared with
// what was written, the clusters of clips are checked to hold frames (the
// check is the caller's: the card layer knows no DV). The speed of every
// request is measured. The table is never written and no clip cluster is
// written: an Abort or a power cut leaves the card as it was except for its
// free clusters. Writing free clusters overwrites whatever frames of
// deleted or formatted-away clips they still held.
#pragma once
#include "CardProbe.h"
#include "ClusterMap.h"

#include <cstdint>
#include <functional>
#include <vector>

class CDisk;
class IProgress;

enum CardScanOutcome : int {
    kScanDone = 0,
    kScanStopped = 1, // Abort: what was found so far is reported
    kScanFailed = 2,  // the card vanished or could not be flushed (the card's message shown)
    kScanNoRoom = 3,  // a card without clusters
};

// Why a card is not fit for the player (bits of CardScanReport::unfit).
enum CardScanUnfit : unsigned {
    kUnfitFake = 1,       // it stores less than it reports
    kUnfitUnreadable = 2, // clusters that cannot be read or written
    kUnfitChanged = 4,    // clusters that did not keep their data
    kUnfitSlow = 8,       // a read slower than the player needs
};

// The player reads one frame every 40 ms: 25 clusters a second.
inline constexpr double kPlayerMBps = 3.6;

// The speed of the requests from `firstCluster` on, in MB (10^6 bytes) a
// second.
struct SpeedSample {
    std::uint32_t firstCluster = 0;
    double mbPerSecond = 0;
};

struct SpeedFigures {
    double minimum = 0;
    double average = 0;
    std::vector<SpeedSample> series; // across the card, one per request
};

struct CardScanReport {
    int outcome = kScanFailed;
    CardProbeReport probe;
    std::uint64_t reportedBytes = 0;
    std::uint64_t realBytes = 0;  // first byte that did not keep its data
    std::uint32_t realClusters = 0;
    std::uint32_t testedClusters = 0; // clusters read back (free and clip)
    std::uint32_t writtenClusters = 0;
    std::uint32_t clipClusters = 0;
    std::vector<ClusterRange> unreadable; // could not be read or written
    std::vector<ClusterRange> changed;    // read back other than written
    std::vector<ClusterRange> notFrames;  // clip clusters that hold no frame
    std::vector<ClusterRange> untested;   // past the real capacity
    SpeedFigures write;
    SpeedFigures read;
    unsigned unfit = 0; // CardScanUnfit bits; 0: fit for the player
    bool Fit() const { return unfit == 0; }
};

// Whether a clip's cluster holds a frame the player shows.
using FrameCheck = std::function<bool(const std::uint8_t* frame)>;

// Tests the open card. Only free clusters are written (on a card that is
// not loaded, every cluster). Returns the outcome.
int ScanCard(CDisk& disk, const FrameCheck& isFrame, IProgress& progress, CardScanReport& report);

// At most `points` samples of `series`, each the average of the ones it
// stands for (the speed across the card for a plot or --json).
std::vector<SpeedSample> ThinSeries(const std::vector<SpeedSample>& series, std::size_t points);
