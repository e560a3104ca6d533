// Test cards described by what they hold: clips (slot, first cluster,
// length, a tag, a name) and playlists (entries by slot, transition words,
// loop flag, logo mode). Cluster h of a clip holds frame h of its tag's
// pattern, so that a fresh reading of the card can tell, frame by frame,
// whether each clip it lists is still exactly what it was; a clip may
// instead show a picture (a real DV frame in its first cluster, for the
// window's thumbnails). The builders write the description's bytes, the
// FAT area encoded by the card's own records, into memory or an image file;
// a test then opens the card as the program does. Pattern frames are
// computed once and compared with memcmp, which keeps a hundred restarts
// of a card of a hundred clusters quick under the sanitizers.
#pragma once
#include "CDisk.h"
#include "ConvertFixtures.h"
#include "FrameSource.h"
#include "MemoryDevice.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct TaggedClip {
    int slot = 0;
    int start = 0;  // first cluster
    int length = 0; // frames
    int tag = 0;
    std::optional<std::string> name{}; // card code page; none: "c<tag>"
    // A DV frame of colour bars over this colour as the clip's frame 0, its
    // other clusters left zero; none: every cluster holds its pattern frame.
    std::optional<convfix::Rgb> picture{};
    std::uint8_t attribute = 0;
    // DV frames back to back (dvfix::MakeStampedDvFrames) for its clusters
    // in place of the pattern frames: a camera's recording, for finding
    // runs of frames. Shared, as several clips may cut one recording.
    std::shared_ptr<const std::vector<std::uint8_t>> dv{};
    int dvFirst = 0; // the frame of `dv` in its first cluster
};

struct TaggedPlaylist {
    std::vector<int> entries{};               // slot of each entry, in order
    bool loop = false;
    std::vector<std::uint32_t> transitions{}; // per entry; missing ones CUT
    int logoMode = 0;
};

struct TaggedCardLayout {
    int clusters = 0;
    std::vector<TaggedClip> clips{};
    std::vector<TaggedPlaylist> playlists{}; // playlists 0, 1, ...
    // False: the FAT area is left zero, a card that opens but is not
    // formatted.
    bool formatted = true;
};

// Bytes of a card with exactly `clusters` clusters (one sector to spare).
std::size_t CardBytes(int clusters);

// The card of `layout` in memory: its FAT area, the clips' clusters (the
// part of a clip past the end of the card left out), every other cluster
// zero. Null when the layout cannot be made.
std::shared_ptr<MemoryDeviceState> MakeTaggedCard(const TaggedCardLayout& layout);
// The same as an image file; clusters that hold nothing are left as holes.
bool WriteTaggedImage(const std::string& path, const TaggedCardLayout& layout);

// A new device state holding a copy of `card`'s bytes, with no fault armed
// and no transfer counted.
std::shared_ptr<MemoryDeviceState> CopyCard(const MemoryDeviceState& card);
// The same into an existing state, reusing its memory.
void RestoreCard(MemoryDeviceState& card, const MemoryDeviceState& base);

// Frame `index` of pattern `tag` (144000 bytes, every byte depending on
// both), computed on first use.
const std::uint8_t* PatternFrame(int tag, int index);
bool IsPatternFrame(const std::uint8_t* frame, int tag, int index);
bool HoldsPattern(const MemoryDeviceState& card, int cluster, int tag, int index);
// The 384 bytes after the frame of a cluster are all zero.
bool ClusterTailIsZero(const MemoryDeviceState& card, int cluster);

// A source of `frames` frames of pattern `tag` from the file `path` (by
// default "c<tag>.dv", so that the clip written from it is named "c<tag>");
// reading frame `failAt` fails. Counts its reads. With `streamed` 0 or
// more it is a streamed source (a conversion) whose duration foretells
// `frames` frames but which gives `streamed` frames, in order only.
class CTaggedSource : public IFrameSource {
public:
    CTaggedSource(int frames, int tag, std::string path = {});
    int FrameCount() const override { return frames_; }
    int ReadFrame(int frame, std::uint8_t* buffer) override;
    std::string SourcePath() const override { return path_; }
    bool Streamed() const override { return streamed >= 0; }
    bool Ended() const override { return ended_; }
    int failAt = -1;
    int reads = 0;
    int streamed = -1;

private:
    int frames_;
    int tag_;
    std::string path_;
    int next_ = 0;
    bool ended_ = false;
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
// The clip tagged `tag` in a listing (null when not listed), and its first
// cluster (-1).
const ListedClip* FindClip(const std::vector<ListedClip>& clips, int tag);
int StartOfClip(const std::vector<ListedClip>& clips, int tag);

// The tag -> length map of a card's clips.
std::map<int, int> TagLengths(const std::vector<TaggedClip>& clips);

// The playlists by what they play: per playlist its loop flag, logo mode and,
// per entry, the tag of the clip and the transition word. Independent of
// slot numbers, which a reading of the card renumbers.
std::vector<std::vector<long long>> PlaylistsByTag(const CDisk& disk);

// Everything in a card's tables in memory (clips, playlists, entries, flags)
// as one vector, so that "nothing changed" or "read back the same" is one
// comparison.
std::vector<long long> TableSnapshot(const CDisk& disk);

// Opens a fresh CDisk on `card` (shared, not copied) and reads its tables:
// what the program finds when the card is inserted again.
bool Reopen(const std::shared_ptr<MemoryDeviceState>& card, CDisk& disk);
