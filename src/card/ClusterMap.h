// Which clusters of a card its clips occupy, and runs of clusters as
// ranges: what the card tests may write and how they report what they
// found.
#pragma once
#include <cstdint>
#include <vector>

class CDisk;

// One flag per cluster of the card: true where a clip of the table lies.
// On a card that is not loaded no cluster is used.
std::vector<bool> UsedClusters(const CDisk& disk);

// A run of clusters.
struct ClusterRange {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    std::uint32_t End() const { return first + count; }
};

// Adds `count` clusters from `first` on to ascending `ranges`, joining a
// range that ends where they begin.
void AddClusters(std::vector<ClusterRange>& ranges, std::uint32_t first, std::uint32_t count = 1);
// The clusters the ranges hold.
std::uint64_t ClustersIn(const std::vector<ClusterRange>& ranges);
