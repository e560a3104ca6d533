#include "TaggedCard.h"

#include "CardFixtures.h"
#include "CardLayout.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const std::uint8_t* PatternFrame(int tag, int index)
{
    static std::map<std::pair<int, int>, std::vector<std::uint8_t>> cache;
    std::vector<std::uint8_t>& frame = cache[{tag, index}];
    if (frame.empty()) {
        frame.resize(kFrameSize);
        FillFrame(frame.data(), tag, index);
    }
    return frame.data();
}

bool HoldsPattern(const MemoryDeviceState& card, int cluster, int tag, int index)
{
    const std::uint64_t at = ClusterOffset(cluster);
    if (cluster < 0 || at + kFrameSize > card.bytes.size())
        return false;
    return std::memcmp(card.bytes.data() + at, PatternFrame(tag, index), kFrameSize) == 0;
}

void RestoreCard(MemoryDeviceState& card, const MemoryDeviceState& base)
{
    // memcpy rather than a vector copy: under AddressSanitizer the latter
    // goes byte by byte, and a hundred cards of 15 MB add up.
    if (card.bytes.size() != base.bytes.size())
        card.bytes.resize(base.bytes.size());
    std::memcpy(card.bytes.data(), base.bytes.data(), base.bytes.size());
    std::vector<std::uint8_t> bytes;
    bytes.swap(card.bytes);
    card = MemoryDeviceState();
    card.bytes.swap(bytes);
    card.reportedSize = base.reportedSize;
}

std::shared_ptr<MemoryDeviceState> CopyCard(const MemoryDeviceState& card)
{
    auto copy = std::make_shared<MemoryDeviceState>();
    RestoreCard(*copy, card);
    return copy;
}

std::shared_ptr<MemoryDeviceState> MakeTaggedCard(const TaggedCardLayout& layout)
{
    std::shared_ptr<MemoryDeviceState> card = MakeCardState(layout.clusters);
    CDisk disk;
    if (disk.OpenDevice(std::make_unique<CMemoryDevice>(card), 0) != kOpenOk)
        return nullptr;
    disk.Format();
    for (const TaggedClip& c : layout.clips) {
        ClipRecord& r = disk.Clips()[static_cast<std::size_t>(c.slot)];
        r.frames = static_cast<std::uint16_t>(c.length);
        r.firstSector = CDisk::SectorOfCluster(static_cast<std::uint32_t>(c.start));
        std::snprintf(r.name, sizeof r.name, "c%d", c.tag);
        for (int h = 0; h < c.length; ++h)
            std::memcpy(card->bytes.data() + ClusterOffset(c.start + h), PatternFrame(c.tag, h), kFrameSize);
    }
    for (std::size_t j = 0; j < layout.playlists.size(); ++j) {
        for (int slot : layout.playlists[j])
            disk.Playlists()[j].entries.push_back(PlaylistEntry{slot, kTransitionCut, 0});
    }
    if (!disk.WriteFAT())
        return nullptr;
    return CopyCard(*card);
}

int CTaggedSource::ReadFrame(int frame, std::uint8_t* buffer)
{
    if (frame == failAt || frame < 0 || frame >= frames_)
        return 0;
    std::memcpy(buffer, PatternFrame(tag_, frame), kFrameSize);
    return 1;
}

namespace {

int TagOf(const ClipRecord& c)
{
    char name[kNameLength + 1] = {};
    std::memcpy(name, c.name, kNameLength);
    int tag = -1;
    char rest = 0;
    if (name[0] != 'c' || std::sscanf(name + 1, "%d%c", &tag, &rest) != 1)
        return -1;
    return tag;
}

} // namespace

std::vector<ListedClip> InspectClips(const CDisk& disk, const MemoryDeviceState& card,
                                     const std::map<int, int>& lengths)
{
    std::vector<ListedClip> out;
    const std::vector<ClipRecord>& clips = disk.Clips();
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const ClipRecord& c = clips[i];
        if (c.frames == 0)
            continue;
        ListedClip l;
        l.slot = static_cast<int>(i);
        l.tag = TagOf(c);
        l.start = static_cast<int>(CDisk::ClusterOfSector(c.firstSector));
        l.length = c.frames;
        auto known = lengths.find(l.tag);
        l.lengthRight = known != lengths.end() && known->second == l.length;
        for (int h = 0; h < l.length; ++h) {
            if (!HoldsPattern(card, l.start + h, l.tag, h))
                l.badFrames.push_back(h);
        }
        out.push_back(l);
    }
    return out;
}

std::map<int, int> TagLengths(const std::vector<TaggedClip>& clips)
{
    std::map<int, int> m;
    for (const TaggedClip& c : clips)
        m[c.tag] = c.length;
    return m;
}

std::vector<std::vector<long long>> PlaylistsByTag(const CDisk& disk)
{
    std::vector<std::vector<long long>> out;
    for (const Playlist& p : disk.Playlists()) {
        std::vector<long long> v{p.loop, p.logoMode};
        for (const PlaylistEntry& e : p.entries) {
            const bool valid = e.slot >= 0 && e.slot < static_cast<int>(disk.Clips().size());
            v.push_back(valid ? TagOf(disk.Clips()[static_cast<std::size_t>(e.slot)]) : -2);
            v.push_back(e.transition);
        }
        out.push_back(v);
    }
    return out;
}

bool Reopen(const std::shared_ptr<MemoryDeviceState>& card, CDisk& disk)
{
    if (disk.OpenDevice(std::make_unique<CMemoryDevice>(card), 0) != kOpenOk)
        return false;
    return disk.ReadFAT() != 0;
}
