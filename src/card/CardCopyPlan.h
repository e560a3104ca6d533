// Where the clips of a card go when the whole card is copied onto another
// one (a backup, a restore, a clone): at the same places when the target
// reaches the end of the last used cluster, so that its table is the same
// bytes; else packed from cluster 0 in the order of their places, when they
// fit at all. Slots, names and playlists stay as they are.
#pragma once
#include <cstdint>
#include <vector>

class CDisk;

enum CardCopyPlacement : int {
    kCopySamePlaces = 0,
    kCopyPacked = 1,
    kCopyNoRoom = 2,
};

// One clip of the source and where it goes.
struct CopiedClip {
    int slot = 0;
    int sourceCluster = 0; // first cluster on the source
    int targetCluster = 0; // first cluster on the target
    int frames = 0;
};

struct CardCopyPlan {
    int placement = kCopyNoRoom;
    // The clips in the order of their places on the source (the order
    // they are copied in).
    std::vector<CopiedClip> clips;
    long long framesNeeded = 0;   // all the clips' frames
    long long clustersNeeded = 0; // the target's clusters the placement takes
};

// The plan for copying the loaded `source` onto a card of `targetClusters`
// clusters.
CardCopyPlan PlanCardCopy(const CDisk& source, std::uint32_t targetClusters);
