#include "ClusterMap.h"

#include "CDisk.h"

std::vector<bool> UsedClusters(const CDisk& disk)
{
    const std::uint32_t total = disk.TotalClusters();
    std::vector<bool> used(total, false);
    if (!disk.IsLoaded())
        return used;
    for (const ClipRecord& clip : disk.Clips()) {
        if (clip.frames == 0 || clip.firstSector < kFirstClusterSector)
            continue;
        const std::uint64_t first = CDisk::ClusterOfSector(clip.firstSector);
        for (std::uint64_t c = first; c < first + clip.frames && c < total; ++c)
            used[static_cast<std::size_t>(c)] = true;
    }
    return used;
}

void AddClusters(std::vector<ClusterRange>& ranges, std::uint32_t first, std::uint32_t count)
{
    if (count == 0)
        return;
    if (!ranges.empty() && ranges.back().End() == first) {
        ranges.back().count += count;
        return;
    }
    ranges.push_back(ClusterRange{first, count});
}

std::uint64_t ClustersIn(const std::vector<ClusterRange>& ranges)
{
    std::uint64_t n = 0;
    for (const ClusterRange& r : ranges)
        n += r.count;
    return n;
}
