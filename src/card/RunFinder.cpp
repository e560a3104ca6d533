#include "RunFinder.h"

#include "CDisk.h"
#include "Progress.h"

#include <algorithm>

namespace {

// Clusters whose first sectors are asked for together.
constexpr std::uint32_t kBatch = 1024;

// The clusters the loaded table's clips cover.
std::vector<bool> Covered(const CDisk& disk)
{
    std::vector<bool> covered(disk.TotalClusters(), false);
    if (!disk.IsLoaded())
        return covered;
    for (const ClipRecord& c : disk.Clips()) {
        if (c.frames == 0 || c.firstSector < kFirstClusterSector)
            continue;
        const std::uint32_t first = CDisk::ClusterOfSector(c.firstSector);
        for (std::uint32_t k = first; k < first + c.frames && k < covered.size(); ++k)
            covered[k] = true;
    }
    return covered;
}

// The audio format of a cluster's frame; false when the read failed.
bool AudioOf(CDisk& disk, std::uint32_t cluster, int& format)
{
    std::uint8_t sector[kSectorSize];
    if (!disk.ReadClusterHeads(cluster, 1, sector, kAudioPackSector))
        return false;
    format = ParseAudioFormat(sector);
    return true;
}

// Splits `run` where the audio format changes: its two ends are compared,
// and where they differ the change is found by halving and both parts are
// looked at again.
bool SplitByAudio(CDisk& disk, const FoundRun& run, std::vector<FoundRun>& out)
{
    int first = 0;
    int last = 0;
    if (!AudioOf(disk, run.firstCluster, first) || !AudioOf(disk, run.firstCluster + run.frames - 1u, last))
        return false;
    if (first == last) {
        out.push_back(run);
        return true;
    }
    // The frame at lo has the first frame's format, the one at hi not.
    int lo = 0;
    int hi = run.frames - 1;
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        int format = 0;
        if (!AudioOf(disk, run.firstCluster + static_cast<std::uint32_t>(mid), format))
            return false;
        (format == first ? lo : hi) = mid;
    }
    FoundRun head = run;
    head.frames = hi;
    FoundRun tail = run;
    tail.firstCluster = run.firstCluster + static_cast<std::uint32_t>(hi);
    tail.frames = run.frames - hi;
    std::uint8_t sector[kSectorSize];
    if (!disk.ReadClusterHeads(tail.firstCluster, 1, sector))
        return false;
    tail.head = ParseFrameHead(sector);
    return SplitByAudio(disk, head, out) && SplitByAudio(disk, tail, out);
}

} // namespace

bool FoundRun::LongEnough() const { return frames >= kMinClipFrames; }

bool FindFrameRuns(CDisk& disk, std::vector<FoundRun>& runs, IProgress* progress)
{
    runs.clear();
    const std::uint32_t total = disk.TotalClusters();
    const std::vector<bool> covered = Covered(disk);
    std::vector<std::uint8_t> heads(static_cast<std::size_t>(kBatch) * kSectorSize);
    std::vector<FoundRun> found;
    FoundRun current;
    FrameHead previous;
    bool open = false;
    if (progress != nullptr)
        progress->Begin(static_cast<int>(std::min<std::uint32_t>(total, INT32_MAX)));
    bool ok = true;
    for (std::uint32_t batch = 0; batch < total && ok; batch += kBatch) {
        const std::uint32_t count = std::min(kBatch, total - batch);
        // Covered clusters are not read; a batch wholly covered is skipped.
        std::uint32_t from = batch;
        while (from < batch + count && covered[from])
            ++from;
        std::uint32_t to = batch + count;
        while (to > from && covered[to - 1])
            --to;
        if (from < to && !disk.ReadClusterHeads(from, to - from, heads.data())) {
            ok = false;
            break;
        }
        for (std::uint32_t c = batch; c < batch + count; ++c) {
            FrameHead head;
            if (!covered[c] && c >= from && c < to)
                head = ParseFrameHead(heads.data() + static_cast<std::size_t>(c - from) * kSectorSize);
            if (open && head.pal && FollowsOn(previous, head)) {
                ++current.frames;
            } else {
                if (open)
                    found.push_back(current);
                open = head.pal;
                current = FoundRun{c, 1, head};
            }
            previous = head;
        }
        if (progress != nullptr) {
            progress->Set(static_cast<int>(std::min<std::uint32_t>(batch + count, INT32_MAX)));
            if (progress->Pump())
                ok = false;
        }
    }
    if (ok && open)
        found.push_back(current);
    if (progress != nullptr)
        progress->End();
    for (const FoundRun& run : found) {
        if (!SplitByAudio(disk, run, runs))
            return false;
    }
    return ok;
}
