// Cards for the power-cut and fault tests. Every clip is named "c<tag>" and
// cluster h of it holds frame h of pattern `tag` (the patterns of
// CardFixtures), so that after a fault a fresh reading of the card can tell,
// frame by frame, whether each clip it lists is still exactly what it was.
// Pattern frames are computed once and compared with memcmp, which keeps a
// hundred restarts of a card of a hundred clusters quick under the
// sanitizers.
#pragma once
#include "CDisk.h"
#include "FrameSource.h"
#include "MemoryDevice.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct TaggedClip {
    int slot;
    int start;  // first cluster
    int length; // frames
    int tag;
};

struct TaggedCardLayout {
    int clusters = 0;
    std::vector<TaggedClip> clips;
    // Entries of playlists 0, 1, ... as slot numbers.
    std::vector<std::vector<int>> playlists;
};

// The bytes of a card of `layout.clusters` clusters: the clips' clusters
// stamped with their frames, every other cluster zero, and the tables
// written by WriteFAT.
std::shared_ptr<MemoryDeviceState> MakeTaggedCard(const TaggedCardLayout& layout);

// A new device state holding a copy of `card`'s bytes, with no fault armed
// and no transfer counted.
std::shared_ptr<MemoryDeviceState> CopyCard(const MemoryDeviceState& card);
// The same into an existing state, reusing its memory.
void RestoreCard(MemoryDeviceState& card, const MemoryDeviceState& base);

// Frame `index` of pattern `tag` (144000 bytes), computed on first use.
const std::uint8_t* PatternFrame(int tag, int index);
bool HoldsPattern(const MemoryDeviceState& card, int cluster, int tag, int index);

// A source of `frames` frames of pattern `tag` from a file named "c<tag>.dv";
// reading frame `failAt` fails.
class CTaggedSource : public IFrameSource {
public:
    CTaggedSource(int frames, int tag) : frames_(frames), tag_(tag) {}
    int FrameCount() const override { return frames_; }
    int ReadFrame(int frame, std::uint8_t* buffer) override;
    std::string SourcePath() const override { return "/videos/c" + std::to_string(tag_) + ".dv"; }
    int failAt = -1;

private:
    int frames_;
    int tag_;
};

// One clip as a table lists it, checked against the card's bytes.
struct ListedClip {
    int slot = -1;
    int tag = -1;   // from the name "c<tag>"; -1 for any other name
    int start = -1; // first cluster
    int length = 0;
    bool lengthRight = false;    // the length the tag's clip was made with
    std::vector<int> badFrames;  // frames whose cluster does not hold them
    bool Intact() const { return tag >= 0 && lengthRight && badFrames.empty(); }
};

// Every clip the tables of `disk` list, checked frame by frame against
// `card`. `lengths` gives each tag's true length.
std::vector<ListedClip> InspectClips(const CDisk& disk, const MemoryDeviceState& card,
                                     const std::map<int, int>& lengths);
// The tag -> length map of a card's clips.
std::map<int, int> TagLengths(const std::vector<TaggedClip>& clips);

// The playlists by what they play: per playlist its loop flag, logo mode and,
// per entry, the tag of the clip and the transition word. Independent of
// slot numbers, which a reading of the card renumbers.
std::vector<std::vector<long long>> PlaylistsByTag(const CDisk& disk);

// Opens a fresh CDisk on `card` (shared, not copied) and reads its tables:
// what the program finds when the card is inserted again.
bool Reopen(const std::shared_ptr<MemoryDeviceState>& card, CDisk& disk);
