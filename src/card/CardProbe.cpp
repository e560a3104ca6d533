#include "CardProbe.h"

#include "CDisk.h"
#include "ClusterMap.h"
#include "Log.h"
#include "TextId.h"
#include "ProbePattern.h"
#include "Progress.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

// Free clusters probed at the very start of the card: where a card that
// wraps its writes around puts the writes just past its real capacity.
constexpr int kStartProbes = 6;
// Clips lying in the first clusters are read back to see that none changed.
constexpr std::uint32_t kStartArea = 64;
constexpr int kMinPositions = 24;
constexpr int kMaxPositions = 64;
// A wrap-around is looked for at real capacities of at least this much.
constexpr std::uint64_t kSmallestWrap = 1u << 20;
constexpr int kMaxWrapDivisor = 16;

std::uint64_t Offset(std::uint32_t cluster) { return ClusterOffset(cluster); }

// Data written for byte `writtenAt` was read at byte `foundAt`.
struct Misplaced {
    std::uint64_t writtenAt = 0;
    std::uint64_t foundAt = 0;
};

class CProbeRun {
public:
    CProbeRun(CDisk& disk, IProgress& progress, CardProbeReport& report)
        : disk_(disk), progress_(progress), r_(report), pattern_(NewRunValue()), used_(UsedClusters(disk)),
          total_(disk.TotalClusters()), buffer_(kClusterSize)
    {
    }
    int Run();

private:
    std::vector<std::uint32_t> Positions();
    int NearestFree(std::uint64_t cluster, std::uint64_t low, std::uint64_t high) const;
    // Pre-reads, writes, flushes, drops and reads back `clusters`: 0, or
    // kProbeStopped / kProbeFailed.
    int Round(const std::vector<std::uint32_t>& clusters);
    bool Step();
    bool Vanished() const;
    // The card's message (once) and kProbeFailed.
    int Failed(bool write)
    {
        disk_.ReportError(write);
        return kProbeFailed;
    }
    void Note(std::uint32_t cluster, const std::uint8_t* data);
    bool ReadBack(std::uint32_t cluster, std::vector<std::uint8_t>& data);
    void SaveStartClips();
    bool StartClipsIntact();
    int RecheckAll();
    int FindWrap();
    bool WrapsAt(std::uint64_t capacity, int& result);
    int Bisect();
    int Restore();
    bool IsBad(std::uint32_t c) const
    {
        const auto it = status_.find(c);
        return it != status_.end() && it->second >= 0;
    }

    CDisk& disk_;
    IProgress& progress_;
    CardProbeReport& r_;
    CProbePattern pattern_;
    std::vector<bool> used_;
    std::uint32_t total_;
    std::vector<std::uint8_t> buffer_;
    struct Written {
        std::uint32_t cluster = 0;
        std::vector<std::uint8_t> old;
    };
    std::vector<Written> log_;
    std::map<std::uint32_t, int> status_; // probed cluster -> first bad sector, -1 kept
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> startClips_;
    std::vector<Misplaced> misplaced_;
    int step_ = 0;
    int range_ = 0;
};

bool CProbeRun::Vanished() const
{
    const int e = disk_.LastError();
    return e == ENOMEDIUM || e == ENODEV || e == ENXIO;
}

bool CProbeRun::Step()
{
    progress_.Set(std::min(++step_, range_));
    return !progress_.Pump();
}

int CProbeRun::NearestFree(std::uint64_t cluster, std::uint64_t low, std::uint64_t high) const
{
    high = std::min<std::uint64_t>(high, total_);
    if (cluster < low)
        cluster = low;
    for (std::uint64_t c = cluster; c < high; ++c) {
        if (!used_[static_cast<std::size_t>(c)])
            return static_cast<int>(c);
    }
    for (std::uint64_t c = std::min(cluster, high); c-- > low;) {
        if (!used_[static_cast<std::size_t>(c)])
            return static_cast<int>(c);
    }
    return -1;
}

std::vector<std::uint32_t> CProbeRun::Positions()
{
    std::vector<std::uint64_t> wanted;
    // The start, where wrapped writes land.
    for (std::uint64_t c = 0, n = 0; c < std::min<std::uint64_t>(kStartArea, total_) && n < kStartProbes; ++c) {
        if (!used_[static_cast<std::size_t>(c)]) {
            wanted.push_back(c);
            ++n;
        }
    }
    // Either side of every power-of-two byte position: a card that keeps
    // only the low address bits wraps the cluster after it onto the start.
    const std::uint64_t bytes = disk_.SizeBytes();
    for (int s = 20; s < 63 && (1ull << s) < bytes; ++s) {
        const std::uint64_t after = ((1ull << s) + kClusterSize - 1) / kClusterSize;
        wanted.push_back(after);
        if (after > 0)
            wanted.push_back(after - 1);
    }
    wanted.push_back(total_ - 1);
    for (std::uint64_t c = 1; c < total_; c <<= 1)
        wanted.push_back(c);
    const std::size_t budget = static_cast<std::size_t>(
        std::clamp<std::uint64_t>(total_ / 250, kMinPositions, kMaxPositions));
    std::mt19937_64 random(pattern_.RunValue());
    while (wanted.size() < budget + 16)
        wanted.push_back(random() % total_);

    std::set<std::uint32_t> chosen;
    for (std::uint64_t c : wanted) {
        if (chosen.size() >= budget)
            break;
        if (c >= total_)
            continue;
        const int free = NearestFree(c, 0, total_);
        if (free >= 0)
            chosen.insert(static_cast<std::uint32_t>(free));
    }
    return std::vector<std::uint32_t>(chosen.begin(), chosen.end());
}

void CProbeRun::Note(std::uint32_t cluster, const std::uint8_t* data)
{
    const std::uint64_t at = Offset(cluster);
    for (int s = 0; s < kSectorsPerProbe; ++s) {
        CProbePattern::Origin origin;
        if (!pattern_.OriginOf(data + static_cast<std::size_t>(s) * kSectorSize, origin))
            continue;
        const std::uint64_t written = Offset(origin.cluster) + static_cast<std::uint64_t>(origin.sector) * kSectorSize;
        const std::uint64_t found = at + static_cast<std::uint64_t>(s) * kSectorSize;
        if (written != found)
            misplaced_.push_back(Misplaced{written, found});
    }
}

bool CProbeRun::ReadBack(std::uint32_t cluster, std::vector<std::uint8_t>& data)
{
    data.resize(kClusterSize);
    if (disk_.ReadClusters(static_cast<int>(cluster), 1, data.data(), true))
        return true;
    std::fill(data.begin(), data.end(), 0);
    return false;
}

int CProbeRun::Round(const std::vector<std::uint32_t>& clusters)
{
    std::vector<std::uint32_t> written;
    for (std::uint32_t c : clusters) {
        Written entry;
        entry.cluster = c;
        // What is there now, to be put back; on a card that wraps, what
        // the write will overwrite. A position that cannot be read is not
        // written: it could not be put back.
        if (!ReadBack(c, entry.old)) {
            if (Vanished())
                return Failed(false);
            status_[c] = 0;
            continue;
        }
        Note(c, entry.old.data());
        pattern_.Fill(c, buffer_.data());
        r_.bytesWritten += kClusterSize;
        if (!disk_.WriteClusters(static_cast<int>(c), 1, buffer_.data(), true)) {
            if (Vanished())
                return Failed(true);
            status_[c] = 0;
        } else {
            log_.push_back(std::move(entry));
            written.push_back(c);
        }
        if (!Step())
            return kProbeStopped;
    }
    if (!disk_.Flush())
        return kProbeFailed;
    std::vector<std::uint8_t> data;
    for (std::uint32_t c : written) {
        if (!disk_.DropCachedClusters(static_cast<int>(c), 1))
            return kProbeFailed;
        if (!ReadBack(c, data) && Vanished())
            return Failed(false);
        status_[c] = pattern_.FirstBadSector(c, data.data());
        Note(c, data.data());
        if (!Step())
            return kProbeStopped;
    }
    return 0;
}

void CProbeRun::SaveStartClips()
{
    for (std::uint32_t c = 0; c < std::min(kStartArea, total_); ++c) {
        std::vector<std::uint8_t> data;
        if (used_[c] && ReadBack(c, data))
            startClips_.emplace_back(c, std::move(data));
    }
}

bool CProbeRun::StartClipsIntact()
{
    bool intact = true;
    std::vector<std::uint8_t> data;
    for (const auto& [c, before] : startClips_) {
        if (!disk_.DropCachedClusters(static_cast<int>(c), 1))
            return false;
        ReadBack(c, data);
        Note(c, data.data());
        intact = intact && data == before;
    }
    return intact;
}

int CProbeRun::RecheckAll()
{
    std::vector<std::uint8_t> data;
    for (auto& [c, firstBad] : status_) {
        if (firstBad >= 0)
            continue;
        if (!disk_.DropCachedClusters(static_cast<int>(c), 1))
            return kProbeFailed;
        if (!ReadBack(c, data) && Vanished())
            return Failed(false);
        firstBad = pattern_.FirstBadSector(c, data.data());
        Note(c, data.data());
        if (!Step())
            return kProbeStopped;
    }
    return 0;
}

// Whether a write just past `capacity` lands on the start of the card:
// the lowest free cluster at or after it is probed and the place its data
// would wrap to is read.
bool CProbeRun::WrapsAt(std::uint64_t capacity, int& result)
{
    result = 0;
    if (capacity < kFatSize)
        return false;
    const int m = NearestFree((capacity - kFatSize + kClusterSize - 1) / kClusterSize, 0, total_);
    if (m < 0 || Offset(static_cast<std::uint32_t>(m)) < capacity || Offset(static_cast<std::uint32_t>(m)) >= 2 * capacity)
        return false;
    if ((result = Round({static_cast<std::uint32_t>(m)})) != 0)
        return false;
    const std::uint64_t lands = Offset(static_cast<std::uint32_t>(m)) - capacity;
    const std::uint32_t first = lands < kFatSize ? 0 : static_cast<std::uint32_t>((lands - kFatSize) / kClusterSize);
    const std::size_t before = misplaced_.size();
    std::vector<std::uint8_t> data;
    for (std::uint32_t c = first; c < first + 2 && c < static_cast<std::uint32_t>(m); ++c) {
        if (!disk_.DropCachedClusters(static_cast<int>(c), 1)) {
            result = kProbeFailed;
            return false;
        }
        ReadBack(c, data);
        Note(c, data.data());
    }
    for (std::size_t i = before; i < misplaced_.size(); ++i) {
        if (misplaced_[i].writtenAt - misplaced_[i].foundAt == capacity)
            return true;
    }
    return false;
}

int CProbeRun::FindWrap()
{
    std::uint64_t distance = 0;
    for (const Misplaced& m : misplaced_) {
        if (m.writtenAt > m.foundAt && (distance == 0 || m.writtenAt - m.foundAt < distance))
            distance = m.writtenAt - m.foundAt;
    }
    if (distance == 0)
        return 0;
    // The distance is a multiple of the capacity the card wraps at: the
    // smallest one that a probe confirms.
    std::uint64_t capacity = distance;
    for (int k = kMaxWrapDivisor; k > 1; --k) {
        const std::uint64_t candidate = distance / static_cast<std::uint64_t>(k);
        if (distance % static_cast<std::uint64_t>(k) != 0 || candidate % kSectorSize != 0 || candidate < kSmallestWrap)
            continue;
        int result = 0;
        const bool wraps = WrapsAt(candidate, result);
        if (result != 0)
            return result;
        if (wraps) {
            capacity = candidate;
            break;
        }
    }
    r_.wrapped = true;
    r_.realBytes = std::min(r_.realBytes, capacity);
    return 0;
}

int CProbeRun::Bisect()
{
    std::uint32_t bad = total_;
    for (const auto& [c, firstBad] : status_) {
        if (firstBad >= 0) {
            bad = c;
            break;
        }
    }
    if (bad == total_)
        return 0;
    // A fake capacity loses everything past it; a bad position with good
    // ones after it is a damaged area instead.
    for (const auto& [c, firstBad] : status_) {
        if (c > bad && firstBad < 0) {
            r_.outcome = kProbeBadArea;
            return 0;
        }
    }
    long long good = -1;
    for (const auto& [c, firstBad] : status_) {
        if (c < bad && firstBad < 0)
            good = c;
    }
    for (;;) {
        const std::uint64_t low = static_cast<std::uint64_t>(good + 1);
        if (low >= bad)
            break;
        const int m = NearestFree((low + bad) / 2, low, bad);
        if (m < 0)
            break;
        if (const int result = Round({static_cast<std::uint32_t>(m)}); result != 0)
            return result;
        if (!misplaced_.empty())
            return FindWrap();
        if (IsBad(static_cast<std::uint32_t>(m)))
            bad = static_cast<std::uint32_t>(m);
        else
            good = m;
    }
    r_.realBytes = std::min(r_.realBytes, Offset(bad) + static_cast<std::uint64_t>(status_[bad]) * kSectorSize);
    return 0;
}

int CProbeRun::Restore()
{
    bool ok = true;
    for (std::size_t i = log_.size(); i-- > 0;) {
        r_.bytesWritten += kClusterSize;
        ok = disk_.WriteClusters(static_cast<int>(log_[i].cluster), 1, log_[i].old.data()) != 0 && ok;
        if (!ok)
            break;
    }
    log_.clear();
    if (!ok || !disk_.Flush())
        return kProbeFailed;
    return 0;
}

int CProbeRun::Run()
{
    r_ = CardProbeReport();
    r_.reportedBytes = r_.realBytes = disk_.SizeBytes();
    if (!disk_.IsOpen() || total_ == 0)
        return r_.outcome = kProbeNoRoom;
    const std::vector<std::uint32_t> positions = Positions();
    if (positions.empty())
        return r_.outcome = kProbeNoRoom;
    LogMessage("probe: %d positions", static_cast<int>(positions.size()));
    r_.outcome = kProbeGenuine;
    range_ = static_cast<int>(positions.size()) * 3 + 2 * 40;
    progress_.Begin(range_);
    progress_.SetCaption(kIdsProbing);
    SaveStartClips();
    int result = Round(positions);
    if (result == 0)
        result = RecheckAll();
    if (result == 0) {
        r_.clipsChanged = !StartClipsIntact();
        result = !misplaced_.empty() ? FindWrap() : Bisect();
    }
    // Whatever happened, what the probes overwrote is put back.
    const int restored = Restore();
    if (result == 0 && restored != 0)
        result = restored;
    r_.clipsIntact = restored == 0 && StartClipsIntact();
    progress_.Set(range_);
    progress_.End();
    for (const auto& entry : status_) {
        ++r_.positions;
        r_.badPositions += entry.second >= 0 ? 1 : 0;
    }
    if (r_.wrapped || r_.realBytes < r_.reportedBytes)
        r_.outcome = kProbeFake;
    const std::uint64_t real = std::min(r_.realBytes, disk_.SizeBytes());
    r_.realClusters = real < kFatSize ? 0 : static_cast<std::uint32_t>(std::min<std::uint64_t>(total_, (real - kFatSize) / kClusterSize));
    if (result != 0)
        r_.outcome = result;
    LogMessage("probe: outcome %d, real capacity %llu of %llu bytes", r_.outcome,
               static_cast<unsigned long long>(r_.realBytes), static_cast<unsigned long long>(r_.reportedBytes));
    return r_.outcome;
}

} // namespace

int ProbeCard(CDisk& disk, IProgress& progress, CardProbeReport& report)
{
    CProbeRun run(disk, progress, report);
    return run.Run();
}
