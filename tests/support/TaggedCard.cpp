#include "TaggedCard.h"

#include "CardLayout.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::size_t CardBytes(int clusters) { return ClusterOffset(static_cast<std::uint64_t>(clusters)) + kSectorSize; }

namespace {

std::uint8_t PatternByte(int tag, int index, std::size_t i)
{
    return static_cast<std::uint8_t>(tag * 37 + index * 11 + i * 7 + (i >> 9));
}

// The tables of `layout` as the card's records encode them.
std::vector<std::uint8_t> FatArea(const TaggedCardLayout& layout)
{
    if (!layout.formatted)
        return std::vector<std::uint8_t>(kFatSize, 0);
    std::vector<ClipRecord> clips(kSlotCount);
    for (const TaggedClip& c : layout.clips) {
        ClipRecord& r = clips[static_cast<std::size_t>(c.slot)];
        r.frames = static_cast<std::uint16_t>(c.length);
        r.firstSector = CDisk::SectorOfCluster(static_cast<std::uint32_t>(c.start));
        r.attribute = c.attribute;
        const std::string name = c.name ? *c.name : std::string("c").append(std::to_string(c.tag));
        std::memcpy(r.name, name.data(), std::min<std::size_t>(name.size(), kNameLength));
    }
    std::array<Playlist, kPlaylistCount> playlists;
    for (std::size_t j = 0; j < layout.playlists.size(); ++j) {
        const TaggedPlaylist& from = layout.playlists[j];
        Playlist& p = playlists[j];
        for (std::size_t k = 0; k < from.entries.size(); ++k)
            p.entries.push_back(PlaylistEntry{from.entries[k], k < from.transitions.size() ? from.transitions[k] : kTransitionCut, 0});
        p.loop = from.loop;
        p.logoMode = from.logoMode;
    }
    return EncodeFatArea(clips, playlists);
}

// Calls `put(cluster, frame)` for every cluster of a clip that holds
// something and lies on a card of `clusters` clusters. False when a picture
// cannot be made.
template <typename Put>
bool ForEachClipFrame(const TaggedCardLayout& layout, Put put)
{
    for (const TaggedClip& c : layout.clips) {
        if (c.picture) {
            const std::vector<std::uint8_t> frame = convfix::MakeBarsFrame(*c.picture);
            if (frame.size() != static_cast<std::size_t>(kFrameSize))
                return false;
            if (c.start < layout.clusters && !put(c.start, frame.data()))
                return false;
            continue;
        }
        if (c.dv) {
            for (int h = 0; h < c.length && c.start + h < layout.clusters; ++h) {
                const std::size_t at = static_cast<std::size_t>(c.dvFirst + h) * kFrameSize;
                if (at + kFrameSize > c.dv->size() || !put(c.start + h, c.dv->data() + at))
                    return false;
            }
            continue;
        }
        for (int h = 0; h < c.length && c.start + h < layout.clusters; ++h) {
            if (!put(c.start + h, PatternFrame(c.tag, h)))
                return false;
        }
    }
    return true;
}

bool WriteAllAt(int fd, const std::uint8_t* data, std::size_t size, std::uint64_t offset)
{
    return ::pwrite(fd, data, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

} // namespace

std::shared_ptr<MemoryDeviceState> MakeTaggedCard(const TaggedCardLayout& layout)
{
    auto card = MakeDeviceState(CardBytes(layout.clusters), 0);
    const std::vector<std::uint8_t> fat = FatArea(layout);
    std::copy(fat.begin(), fat.end(), card->bytes.begin());
    const bool made = ForEachClipFrame(layout, [&](int cluster, const std::uint8_t* frame) {
        std::memcpy(card->bytes.data() + ClusterOffset(static_cast<std::uint64_t>(cluster)), frame, kFrameSize);
        return true;
    });
    return made ? card : nullptr;
}

bool WriteTaggedImage(const std::string& path, const TaggedCardLayout& layout)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const std::vector<std::uint8_t> fat = FatArea(layout);
    bool ok = ::ftruncate(fd, static_cast<off_t>(CardBytes(layout.clusters))) == 0 &&
              WriteAllAt(fd, fat.data(), fat.size(), 0);
    ok = ok && ForEachClipFrame(layout, [&](int cluster, const std::uint8_t* frame) {
             return WriteAllAt(fd, frame, kFrameSize, ClusterOffset(static_cast<std::uint64_t>(cluster)));
         });
    return ::close(fd) == 0 && ok;
}

const std::uint8_t* PatternFrame(int tag, int index)
{
    static std::map<std::pair<int, int>, std::vector<std::uint8_t>> cache;
    std::vector<std::uint8_t>& frame = cache[{tag, index}];
    if (frame.empty()) {
        frame.resize(kFrameSize);
        for (std::size_t i = 0; i < frame.size(); ++i)
            frame[i] = PatternByte(tag, index, i);
    }
    return frame.data();
}

bool IsPatternFrame(const std::uint8_t* frame, int tag, int index)
{
    return std::memcmp(frame, PatternFrame(tag, index), kFrameSize) == 0;
}

bool HoldsPattern(const MemoryDeviceState& card, int cluster, int tag, int index)
{
    const std::uint64_t at = ClusterOffset(static_cast<std::uint64_t>(cluster));
    if (cluster < 0 || at + kFrameSize > card.bytes.size())
        return false;
    return IsPatternFrame(card.bytes.data() + at, tag, index);
}

bool ClusterTailIsZero(const MemoryDeviceState& card, int cluster)
{
    const std::uint8_t* tail = card.bytes.data() + ClusterOffset(static_cast<std::uint64_t>(cluster)) + kFrameSize;
    return std::all_of(tail, tail + kClusterTail, [](std::uint8_t b) { return b == 0; });
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

CTaggedSource::CTaggedSource(int frames, int tag, std::string path)
    : frames_(frames), tag_(tag), path_(path.empty() ? "/videos/c" + std::to_string(tag) + ".dv" : std::move(path))
{
}

int CTaggedSource::ReadFrame(int frame, std::uint8_t* buffer)
{
    ++reads;
    if (streamed >= 0) {
        // Each frame once, in order; past the last one the end.
        if (frame != next_ || frame == failAt || ended_)
            return 0;
        if (frame >= streamed) {
            ended_ = true;
            return 0;
        }
        ++next_;
    } else if (frame == failAt || frame < 0 || frame >= frames_) {
        return 0;
    }
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

const ListedClip* FindClip(const std::vector<ListedClip>& clips, int tag)
{
    for (const ListedClip& c : clips) {
        if (c.tag == tag)
            return &c;
    }
    return nullptr;
}

int StartOfClip(const std::vector<ListedClip>& clips, int tag)
{
    const ListedClip* c = FindClip(clips, tag);
    return c != nullptr ? c->start : -1;
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
