#include "CardScan.h"

#include "AlignedBuffer.h"
#include "BackgroundTask.h"
#include "CDisk.h"
#include "Log.h"
#include "TextId.h"
#include "ProbePattern.h"
#include "Progress.h"
#include "WriteBackWindow.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Chunks of the bounded write-back under way together while the scan
// writes (32 MB).
constexpr int kScanChunksUnderWay = 4;
// Clusters per request: a chunk of the bounded write-back.
constexpr int kRequestClusters = static_cast<int>(CWriteBackWindow::kChunkBytes / kClusterSize);

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

class CSpeedMeter {
public:
    void Add(std::uint32_t first, int clusters, double seconds)
    {
        const double mb = static_cast<double>(clusters) * kClusterSize / 1e6;
        bytesMB_ += mb;
        seconds_ += seconds;
        figures_.series.push_back(SpeedSample{first, seconds > 0 ? mb / seconds : 0});
    }
    // Time that belongs to the whole pass (its final flush).
    void AddTime(double seconds) { seconds_ += seconds; }
    SpeedFigures Figures() const
    {
        SpeedFigures f = figures_;
        f.average = seconds_ > 0 ? bytesMB_ / seconds_ : 0;
        for (std::size_t i = 0; i < f.series.size(); ++i)
            f.minimum = i == 0 ? f.series[i].mbPerSecond : std::min(f.minimum, f.series[i].mbPerSecond);
        return f;
    }

private:
    SpeedFigures figures_;
    double bytesMB_ = 0;
    double seconds_ = 0;
};

// One write or read of clusters [first, first + count) on the card's thread.
struct Request {
    std::uint32_t first = 0;
    int count = 0;
    bool ok = false;
    double seconds = 0;
    const std::uint8_t* data = nullptr; // a read's clusters
};

class CScanRun {
public:
    CScanRun(CDisk& disk, const FrameCheck& isFrame, IProgress& progress, CardScanReport& report)
        : disk_(disk), isFrame_(isFrame), progress_(progress), r_(report), pattern_(NewRunValue()),
          used_(UsedClusters(disk))
    {
        for (std::vector<std::uint8_t>& b : buffers_)
            b.resize(static_cast<std::size_t>(kRequestClusters) * kClusterSize);
    }
    int Run();

private:
    bool Vanished() const
    {
        const int e = disk_.LastError();
        return e == ENOMEDIUM || e == ENODEV || e == ENXIO;
    }
    int Failed(bool write)
    {
        disk_.ReportError(write);
        return kScanFailed;
    }
    // The next run from `c` on of clusters alike (free or used), at most
    // one request long and not past `limit`.
    int RunLength(std::uint32_t c, std::uint32_t limit, bool sameKind) const;
    // Both passes move the card's data on a thread of their own, a request
    // at a time, while this one makes the next request's patterns or
    // checks the last one's.
    int WritePass();
    int ReadPass();
    // After the write of `request` (in buffers_[slot]) ended: its speed,
    // and where it failed, one cluster at a time to find the ones that do.
    int EndWrite(const Request& request, int slot);
    // Checks a read request's clusters; where the read failed, one at a
    // time to find the ones that do not read.
    int CheckRead(const Request& request, const std::uint8_t* data);
    void Check(std::uint32_t cluster, const std::uint8_t* data);
    bool Advance(int clusters)
    {
        done_ += clusters;
        progress_.Set(done_);
        return !progress_.Pump();
    }

    CDisk& disk_;
    const FrameCheck& isFrame_;
    IProgress& progress_;
    CardScanReport& r_;
    CProbePattern pattern_;
    std::vector<bool> used_;
    std::vector<bool> unwritten_; // free clusters whose write failed
    std::vector<std::uint8_t> buffers_[2];
    CAlignedBuffer readBuffers_[2];
    std::uint32_t limit_ = 0;
    int done_ = 0;
    CSpeedMeter writeSpeed_;
    CSpeedMeter readSpeed_;
    std::uint64_t wrapDistance_ = 0;
    int tailFirstBadSector_ = 0;
};

int CScanRun::RunLength(std::uint32_t c, std::uint32_t limit, bool sameKind) const
{
    int n = 0;
    while (c + static_cast<std::uint32_t>(n) < limit && n < kRequestClusters &&
           (!sameKind || used_[c + static_cast<std::uint32_t>(n)] == used_[c]))
        ++n;
    return n;
}

int CScanRun::EndWrite(const Request& request, int slot)
{
    writeSpeed_.Add(request.first, request.count, request.seconds);
    if (!request.ok) {
        if (Vanished())
            return Failed(true);
        for (int i = 0; i < request.count; ++i) {
            const std::uint32_t one = request.first + static_cast<std::uint32_t>(i);
            if (!disk_.WriteClusters(static_cast<int>(one), 1,
                                     buffers_[slot].data() + static_cast<std::size_t>(i) * kClusterSize, true)) {
                if (Vanished())
                    return Failed(true);
                unwritten_[one] = true;
            }
        }
    }
    r_.writtenClusters += static_cast<std::uint32_t>(request.count);
    return Advance(request.count) ? kScanDone : kScanStopped;
}

int CScanRun::WritePass()
{
    // The card's queue is kept fuller than a clip write keeps it: only its
    // speed is measured here, and the final flush waits for all of it.
    struct Depth {
        CDisk& disk;
        ~Depth() { disk.SetWriteBackUnderWay(1); }
    } depth{disk_};
    disk_.SetWriteBackUnderWay(kScanChunksUnderWay);
    Request requests[2];
    int slot = 0;
    bool underWay = false; // the request of the other slot
    CBackgroundTask card;
    for (std::uint32_t c = 0; c < limit_;) {
        const int n = RunLength(c, limit_, true);
        if (used_[c]) {
            c += static_cast<std::uint32_t>(n);
            continue;
        }
        for (int i = 0; i < n; ++i)
            pattern_.Fill(c + static_cast<std::uint32_t>(i),
                          buffers_[slot].data() + static_cast<std::size_t>(i) * kClusterSize);
        if (underWay) {
            card.Wait();
            underWay = false;
            const int ended = EndWrite(requests[1 - slot], 1 - slot);
            if (ended != kScanDone)
                return ended;
        }
        requests[slot] = Request{c, n};
        card.Start([this, &request = requests[slot], &buffer = buffers_[slot]] {
            const Clock::time_point start = Clock::now();
            request.ok = disk_.WriteClusters(static_cast<int>(request.first), request.count, buffer.data(), true) != 0;
            request.seconds = Seconds(start, Clock::now());
        });
        underWay = true;
        slot = 1 - slot;
        c += static_cast<std::uint32_t>(n);
    }
    if (underWay) {
        card.Wait();
        const int ended = EndWrite(requests[1 - slot], 1 - slot);
        if (ended != kScanDone)
            return ended;
    }
    const Clock::time_point start = Clock::now();
    if (!disk_.Flush())
        return kScanFailed;
    writeSpeed_.AddTime(Seconds(start, Clock::now()));
    return kScanDone;
}

void CScanRun::Check(std::uint32_t c, const std::uint8_t* data)
{
    ++r_.testedClusters;
    if (used_[c]) {
        ++r_.clipClusters;
        if (!isFrame_ || !isFrame_(data))
            AddClusters(r_.notFrames, c);
        return;
    }
    if (unwritten_[c]) {
        AddClusters(r_.unreadable, c);
        return;
    }
    const int bad = pattern_.FirstBadSector(c, data);
    if (bad < 0)
        return;
    if (r_.changed.empty() || r_.changed.back().End() != c)
        tailFirstBadSector_ = bad;
    AddClusters(r_.changed, c);
    // Content of this run at the wrong place: the card wraps its writes
    // around by the distance (or a multiple of it).
    for (int s = bad; s < kSectorsPerProbe; ++s) {
        CProbePattern::Origin origin;
        if (!pattern_.OriginOf(data + static_cast<std::size_t>(s) * kSectorSize, origin))
            continue;
        const std::uint64_t written = ClusterOffset(origin.cluster) + static_cast<std::uint64_t>(origin.sector) * kSectorSize;
        const std::uint64_t found = ClusterOffset(c) + static_cast<std::uint64_t>(s) * kSectorSize;
        if (written > found && (wrapDistance_ == 0 || written - found < wrapDistance_))
            wrapDistance_ = written - found;
    }
}

int CScanRun::CheckRead(const Request& request, const std::uint8_t* data)
{
    for (int i = 0; i < request.count; ++i) {
        const std::uint32_t one = request.first + static_cast<std::uint32_t>(i);
        const std::uint8_t* cluster = data != nullptr ? data + static_cast<std::size_t>(i) * kClusterSize : nullptr;
        if (cluster == nullptr) {
            if (!disk_.ReadClusters(static_cast<int>(one), 1, buffers_[0].data(), true)) {
                if (Vanished())
                    return Failed(false);
                ++r_.testedClusters;
                AddClusters(r_.unreadable, one);
                continue;
            }
            cluster = buffers_[0].data();
        }
        Check(one, cluster);
    }
    return kScanDone;
}

int CScanRun::ReadPass()
{
    Request requests[2];
    CBackgroundTask card;
    // A request the card cannot read directly is dropped from the system's
    // cache right before it is read, so that it still reads the card, on
    // the card's thread like the read.
    bool dropFailed = false;
    const auto start = [&](int slot, std::uint32_t first) {
        requests[slot] = Request{first, RunLength(first, limit_, false)};
        card.Start([this, &dropFailed, &request = requests[slot], &buffer = readBuffers_[slot]] {
            const Clock::time_point begun = Clock::now();
            if (!disk_.ReadsRunDirectly(static_cast<int>(request.first), request.count) &&
                !disk_.DropCachedClusters(static_cast<int>(request.first), request.count)) {
                dropFailed = true;
                request.ok = false;
                return;
            }
            request.data = disk_.ReadClusterRun(static_cast<int>(request.first), request.count, buffer, true);
            request.ok = request.data != nullptr;
            request.seconds = Seconds(begun, Clock::now());
        });
    };
    if (limit_ == 0)
        return kScanDone;
    int slot = 0;
    start(slot, 0);
    for (bool more = true; more;) {
        card.Wait();
        if (dropFailed)
            return kScanFailed;
        const Request& done = requests[slot];
        readSpeed_.Add(done.first, done.count, done.seconds);
        const std::uint32_t next = done.first + static_cast<std::uint32_t>(done.count);
        more = next < limit_;
        // A failed request is gone through cluster by cluster before the
        // next one starts: the card does one thing at a time.
        if (!done.ok) {
            const int checked = CheckRead(done, nullptr);
            if (checked != kScanDone)
                return checked;
            if (more)
                start(1 - slot, next);
        } else {
            if (more)
                start(1 - slot, next);
            CheckRead(done, done.data);
        }
        if (!Advance(done.count))
            return kScanStopped;
        slot = 1 - slot;
    }
    return kScanDone;
}

int CScanRun::Run()
{
    r_ = CardScanReport();
    const std::uint32_t total = disk_.TotalClusters();
    r_.reportedBytes = r_.realBytes = disk_.SizeBytes();
    if (!disk_.IsOpen() || total == 0)
        return r_.outcome = kScanNoRoom;
    // The probe first: nothing is written past a fake capacity.
    const int probe = ProbeCard(disk_, progress_, r_.probe);
    if (probe == kProbeStopped || probe == kProbeFailed)
        return r_.outcome = probe == kProbeStopped ? kScanStopped : kScanFailed;
    limit_ = probe == kProbeFake ? r_.probe.realClusters : total;
    r_.realBytes = r_.probe.realBytes;
    // Nor past a real capacity an earlier test of this card found.
    if (disk_.RealCapacity() != 0) {
        limit_ = std::min(limit_, disk_.UsableClusters());
        r_.realBytes = std::min(r_.realBytes, disk_.RealCapacity());
    }
    if (limit_ < total)
        AddClusters(r_.untested, limit_, total - limit_);
    unwritten_.assign(total, false);

    std::uint32_t freeClusters = 0;
    for (std::uint32_t c = 0; c < limit_; ++c)
        freeClusters += used_[c] ? 0 : 1;
    progress_.Begin(static_cast<int>(freeClusters + limit_));
    LogMessage("scan: %d clusters, %d free", static_cast<int>(limit_), static_cast<int>(freeClusters));
    progress_.SetCaption(kIdsScanWriting);
    int result = WritePass();
    if (result == kScanDone) {
        progress_.SetCaption(kIdsScanReading);
        result = ReadPass();
    }
    progress_.End();
    r_.write = writeSpeed_.Figures();
    r_.read = readSpeed_.Figures();

    if (wrapDistance_ != 0)
        r_.realBytes = std::min(r_.realBytes, wrapDistance_);
    // A run of changed clusters up to the end of what was tested: the card
    // lost everything from there on.
    if (result == kScanDone && !r_.changed.empty() && r_.changed.back().End() == limit_ && r_.changed.back().count > 1)
        r_.realBytes = std::min(r_.realBytes, ClusterOffset(r_.changed.back().first) +
                                                  static_cast<std::uint64_t>(tailFirstBadSector_) * kSectorSize);
    const std::uint64_t real = std::min(r_.realBytes, r_.reportedBytes);
    r_.realClusters = real < kFatSize ? 0 : static_cast<std::uint32_t>(std::min<std::uint64_t>(total, (real - kFatSize) / kClusterSize));

    if (r_.realBytes < r_.reportedBytes)
        r_.unfit |= kUnfitFake;
    if (!r_.unreadable.empty())
        r_.unfit |= kUnfitUnreadable;
    if (!r_.changed.empty())
        r_.unfit |= kUnfitChanged;
    if (r_.read.series.empty() || r_.read.minimum < kPlayerMBps)
        r_.unfit |= kUnfitSlow;
    LogMessage("scan: outcome %d, unfit %u", result, r_.unfit);
    return r_.outcome = result;
}

} // namespace

int ScanCard(CDisk& disk, const FrameCheck& isFrame, IProgress& progress, CardScanReport& report)
{
    CScanRun run(disk, isFrame, progress, report);
    return run.Run();
}

std::vector<SpeedSample> ThinSeries(const std::vector<SpeedSample>& series, std::size_t points)
{
    if (points == 0 || series.size() <= points)
        return series;
    std::vector<SpeedSample> thin;
    for (std::size_t p = 0; p < points; ++p) {
        const std::size_t from = p * series.size() / points;
        const std::size_t to = (p + 1) * series.size() / points;
        double sum = 0;
        for (std::size_t i = from; i < to; ++i)
            sum += series[i].mbPerSecond;
        thin.push_back(SpeedSample{series[from].firstCluster, to > from ? sum / static_cast<double>(to - from) : 0});
    }
    return thin;
}
