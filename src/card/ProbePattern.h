// The content a card test writes into a cluster it tests: every 512-byte
// sector says which run of the test wrote it (a random value per run),
// which cluster it was meant for and which sector of it, and carries a
// checksum of the rest. A sector read back tells whether it is the one
// written there, and a sector found at the wrong place tells where it was
// meant to go: a card that wraps its writes around shows by how far.
#pragma once
#include "CardLayout.h"

#include <cstdint>
#include <vector>

inline constexpr int kSectorsPerProbe = kSectorsPerCluster;

class CProbePattern {
public:
    // A pattern of the run `runValue` (never 0).
    explicit CProbePattern(std::uint64_t runValue);

    std::uint64_t RunValue() const { return run_; }
    // Fills `buffer` (kClusterSize bytes) with the content of `cluster`.
    void Fill(std::uint32_t cluster, std::uint8_t* buffer) const;
    // The first sector of `buffer` that is not the content of `cluster`,
    // or -1 when the whole cluster is.
    int FirstBadSector(std::uint32_t cluster, const std::uint8_t* buffer) const;

    // Where one sector of this run's content was meant to go.
    struct Origin {
        std::uint32_t cluster = 0;
        int sector = 0;
    };
    // True when `sector` (512 bytes) is whole content of this run; `origin`
    // says which cluster and sector it was written for.
    bool OriginOf(const std::uint8_t* sector, Origin& origin) const;

private:
    std::uint64_t SectorSeed(std::uint32_t cluster, int sector) const;
    std::uint64_t run_;
    std::vector<std::uint64_t> body_; // a random cluster's worth of words
};

// A random value for a run of a test (never 0).
std::uint64_t NewRunValue();
