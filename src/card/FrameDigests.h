// The digests of the clusters a write hands to the card, one per frame,
// kept while writing (XXH3-128 of each whole cluster: the frame and its zero
// tail). The read-back compares what the card returns with them, so the
// source is read only once, whatever it is (a file, a conversion).
#pragma once
#include <cstdint>
#include <vector>

class CFrameDigests {
public:
    // Keeps the digest of `cluster` (kClusterSize bytes) as that of frame
    // `frame`; frames are recorded in order from 0, a frame recorded again
    // replaces its digest.
    void Record(int frame, const std::uint8_t* cluster);
    // The frames recorded.
    int Count() const { return static_cast<int>(digests_.size()); }
    // True when `cluster` is exactly the cluster recorded for `frame`.
    bool Matches(int frame, const std::uint8_t* cluster) const;
    void Clear() { digests_.clear(); }

private:
    struct Digest {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
    };
    static Digest Of(const std::uint8_t* cluster);

    std::vector<Digest> digests_;
};
