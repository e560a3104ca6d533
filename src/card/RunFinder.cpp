#include "RunFinder.h"

#include "CDisk.h"
#include "Progress.h"

#include <algorithm>

namespace {

// Clusters whose first sectors are asked for together while looking for
// where a run starts: a gap's worth at first, twice as many each time none
// starts.
constexpr std::uint32_t kFirstLook = 64;
constexpr std::uint32_t kLongestLook = 512;
// How far along a run one read looks, and how many such looks are asked
// for together.
constexpr std::uint32_t kStride = 64;
constexpr std::uint32_t kLooksAhead = 8;
// Where a recording stops matching is looked for at this many points of
// the stretch at once, then of the part where it stops, and so on.
constexpr std::uint32_t kSplits = 8;

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

// True when `later`, `distance` frames after `anchor`, is a frame of the
// same recording: the same shape, the timecode that many frames on and the
// recording time that many frames' worth of seconds on (give or take the
// second the anchor was in). Frames of one recording so far apart that
// both match stand for the ones between, which need not be read: another
// recording would have to match the timecode to the frame and the clock
// to the second. Frames without a timecode or a recording time never
// stand for others.
bool SameRecordingAt(const FrameHead& anchor, const FrameHead& later, std::uint32_t distance)
{
    if (!anchor.hasTimecode || !anchor.hasRecorded || !later.pal || !later.hasTimecode || !later.hasRecorded ||
        later.wide != anchor.wide)
        return false;
    if (later.timecode != static_cast<int>((anchor.timecode + static_cast<std::uint64_t>(distance)) % kFramesPerDay))
        return false;
    const std::int64_t seconds = distance / kFramesPerSecond;
    const std::int64_t step = later.recorded - anchor.recorded;
    return step >= std::max<std::int64_t>(0, seconds - 1) && step <= seconds + 1;
}

// The first sectors of clusters, read a batch at a time and parsed on
// demand; a cluster asked for again comes from the last batch.
class CHeads {
public:
    explicit CHeads(CDisk& disk) : disk_(disk) {}

    // The head of `cluster`, read together with up to count - 1 clusters
    // `stride` apart after it when it is not in the last batch.
    bool Get(std::uint32_t cluster, FrameHead& head, std::uint32_t count = 1, std::uint32_t stride = 1)
    {
        if (!Holds(cluster)) {
            buffer_.resize(static_cast<std::size_t>(count) * kSectorSize);
            if (!disk_.ReadClusterHeads(cluster, count, buffer_.data(), 0, stride))
                return false;
            first_ = cluster;
            count_ = count;
            stride_ = stride;
        }
        head = ParseFrameHead(buffer_.data() + static_cast<std::size_t>((cluster - first_) / stride_) * kSectorSize);
        return true;
    }

    // True when the last batch has `cluster`.
    bool Holds(std::uint32_t cluster) const
    {
        return count_ > 0 && cluster >= first_ && (cluster - first_) % stride_ == 0 &&
               (cluster - first_) / stride_ < count_;
    }

private:
    CDisk& disk_;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t first_ = 0;
    std::uint32_t count_ = 0;
    std::uint32_t stride_ = 1;
};

// Follows the run that starts at `first` (its head `head`) to its last
// frame, within [first, end) where no cluster is covered; `last` is that
// frame. Along a recording it reads one frame in kStride and, where that
// one is not of the recording, narrows the stretch before it down to the
// frame where the recording stops matching; there the frame-to-frame rule says
// whether the run ends.
bool FollowRun(CHeads& heads, std::uint32_t first, const FrameHead& head, std::uint32_t end, std::uint32_t& last)
{
    last = first;
    FrameHead at = head;
    // False once the recording's clock has not kept to its frames: the
    // rest of it is read frame by frame.
    bool leaps = true;
    while (last + 1 < end) {
        FrameHead next;
        std::uint32_t nextAt = last + 1;
        const std::uint32_t room = end - 1 - last;
        if (leaps && at.hasTimecode && at.hasRecorded && room > 1) {
            const std::uint32_t distance = std::min(kStride, room);
            const std::uint32_t looks = distance < kStride ? 1 : std::min(kLooksAhead, room / kStride);
            FrameHead far;
            if (!heads.Get(last + distance, far, looks, kStride))
                return false;
            if (SameRecordingAt(at, far, distance)) {
                last += distance;
                at = far;
                continue;
            }
            // Frames up to `lo` match the anchor, the one at `hi` does not.
            std::uint32_t lo = last;
            std::uint32_t hi = last + distance;
            FrameHead loHead = at;
            FrameHead hiHead = far;
            while (hi - lo > 1) {
                const std::uint32_t step = (hi - lo + kSplits - 1) / kSplits;
                const std::uint32_t points = (hi - lo - 1) / step;
                const std::uint32_t from = lo;
                FrameHead m;
                if (!heads.Get(from + step, m, points, step))
                    return false;
                for (std::uint32_t j = 1; j <= points; ++j) {
                    const std::uint32_t p = from + j * step;
                    if (!heads.Get(p, m))
                        return false;
                    if (!SameRecordingAt(at, m, p - last)) {
                        hi = p;
                        hiHead = m;
                        break;
                    }
                    lo = p;
                    loHead = m;
                }
            }
            last = lo;
            at = loHead;
            nextAt = hi;
            next = hiHead;
            if (next.pal && FollowsOn(at, next))
                leaps = false;
        } else if (!heads.Get(nextAt, next, std::min(kLongestLook, end - nextAt))) {
            return false;
        }
        if (!next.pal || !FollowsOn(at, next))
            break;
        last = nextAt;
        at = next;
    }
    return true;
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
    // Its two ends' audio packs, read together.
    std::uint8_t ends[2 * kSectorSize];
    const std::uint32_t span = static_cast<std::uint32_t>(run.frames - 1);
    if (!disk.ReadClusterHeads(run.firstCluster, span == 0 ? 1 : 2, ends, kAudioPackSector, span == 0 ? 1 : span))
        return false;
    const int first = ParseAudioFormat(ends);
    const int last = span == 0 ? first : ParseAudioFormat(ends + kSectorSize);
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
    std::vector<FoundRun> found;
    CHeads heads(disk);
    if (progress != nullptr)
        progress->Begin(static_cast<int>(std::min<std::uint32_t>(total, INT32_MAX)));
    bool ok = true;
    std::uint32_t shown = 0;
    std::uint32_t c = 0;
    while (c < total && ok) {
        if (covered[c]) {
            ++c;
            continue;
        }
        // The stretch from here to the next covered cluster.
        std::uint32_t end = c + 1;
        while (end < total && !covered[end])
            ++end;
        // Where no run is, reads grow, so that an empty stretch is read in
        // large batches.
        std::uint32_t look = kFirstLook;
        while (c < end && ok) {
            FrameHead head;
            const bool fresh = !heads.Holds(c);
            if (fresh) {
                // Holes of an image (a backup's free clusters) hold no frame.
                const std::uint32_t data = disk.NextClusterWithData(c);
                if (data > c) {
                    c = std::min(data, end);
                    continue;
                }
            }
            if (!heads.Get(c, head, std::min(look, end - c))) {
                ok = false;
                break;
            }
            if (fresh)
                look = std::min(kLongestLook, look * 2);
            if (!head.pal) {
                ++c;
            } else {
                std::uint32_t last = c;
                if (!FollowRun(heads, c, head, end, last)) {
                    ok = false;
                    break;
                }
                found.push_back(FoundRun{c, static_cast<int>(last - c + 1), head});
                c = last + 1;
                look = kFirstLook;
            }
            if (progress != nullptr && c - shown >= 1024) {
                shown = c;
                progress->Set(static_cast<int>(std::min<std::uint32_t>(c, INT32_MAX)));
                if (progress->Pump())
                    ok = false;
            }
        }
    }
    if (progress != nullptr)
        progress->End();
    // Every run's ends are asked for before the first is looked at.
    for (const FoundRun& run : found)
        disk.PrefetchClusterHeads(run.firstCluster, 2, kAudioPackSector,
                                  std::max<std::uint32_t>(1, static_cast<std::uint32_t>(run.frames - 1)));
    for (const FoundRun& run : found) {
        if (!SplitByAudio(disk, run, runs))
            return false;
    }
    return ok;
}
