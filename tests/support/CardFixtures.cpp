// Card and source fixtures for the card writer tests.
#include "CardFixtures.h"

#include "CDisk.h"
#include "CardLayout.h"

std::size_t CardBytes(int clusters)
{
    return ClusterOffset(static_cast<std::uint64_t>(clusters)) + kSectorSize;
}

std::shared_ptr<MemoryDeviceState> MakeCardState(int clusters)
{
    return MakeDeviceState(CardBytes(clusters), 0);
}

namespace {

std::uint8_t PatternByte(int tag, int index, std::size_t i)
{
    return static_cast<std::uint8_t>(tag * 37 + index * 11 + i * 7 + (i >> 9));
}

} // namespace

void FillFrame(std::uint8_t* frame, int tag, int index)
{
    for (std::size_t i = 0; i < static_cast<std::size_t>(kFrameSize); ++i)
        frame[i] = PatternByte(tag, index, i);
}

bool FrameMatches(const std::uint8_t* frame, int tag, int index)
{
    for (std::size_t i = 0; i < static_cast<std::size_t>(kFrameSize); ++i) {
        if (frame[i] != PatternByte(tag, index, i))
            return false;
    }
    return true;
}

void StampCluster(MemoryDeviceState& state, int cluster, int tag, int index)
{
    FillFrame(state.bytes.data() + ClusterOffset(cluster), tag, index);
}

bool ClusterHolds(const MemoryDeviceState& state, int cluster, int tag, int index)
{
    return FrameMatches(state.bytes.data() + ClusterOffset(cluster), tag, index);
}

bool ClusterTailIsZero(const MemoryDeviceState& state, int cluster)
{
    const std::uint8_t* tail = state.bytes.data() + ClusterOffset(cluster) + kFrameSize;
    for (int i = 0; i < kClusterTail; ++i) {
        if (tail[i] != 0)
            return false;
    }
    return true;
}

int CPatternSource::ReadFrame(int frame, std::uint8_t* buffer)
{
    ++reads;
    if (frame == failAt || frame < 0 || frame >= frames_)
        return 0;
    FillFrame(buffer, tag_, frame);
    return 1;
}

void CScriptedProgress::Begin(int range)
{
    ranges.push_back(range);
    aborted_ = false;
    running = true;
    lastPosition = 0;
    caption = 0;
}

void CScriptedProgress::SetCaption(int textId)
{
    captions.push_back(textId);
    caption = textId;
}

void CScriptedProgress::Set(int position)
{
    lastPosition = position;
    if (abortAt >= 0 && position == abortAt)
        aborted_ = true;
}

bool CScriptedProgress::Pump()
{
    ++pumps;
    if (abortAfterPumps >= 0 && pumps >= abortAfterPumps)
        aborted_ = true;
    return aborted_;
}

std::vector<long long> TableSnapshot(const CDisk& disk)
{
    std::vector<long long> v;
    for (const ClipRecord& c : disk.Clips())
        v.insert(v.end(), {c.frames, c.firstSector, c.attribute, c.name[0]});
    for (const Playlist& p : disk.Playlists()) {
        v.insert(v.end(), {-1, p.logoMode, p.loop});
        for (const PlaylistEntry& e : p.entries)
            v.insert(v.end(), {e.slot, e.transition, e.reserved});
    }
    return v;
}
