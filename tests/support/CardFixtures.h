// Cards and sources for tests of the card writer: a card image in memory of
// a given cluster count, clusters stamped with a recognisable frame pattern,
// a frame source that produces the same patterns, and a progress that
// presses Abort at a chosen position or pump.
#pragma once
#include "FrameSource.h"
#include "MemoryDevice.h"
#include "Progress.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDisk;

// Everything in a card's tables in memory (clips, playlists, entries, flags)
// as one vector, so that "nothing changed" or "read back the same" is one
// comparison.
std::vector<long long> TableSnapshot(const CDisk& disk);

// Bytes of a card with exactly `clusters` clusters (one sector to spare).
std::size_t CardBytes(int clusters);
std::shared_ptr<MemoryDeviceState> MakeCardState(int clusters);

// Frame `frame` of the clip tagged `tag`: every byte depends on both.
void FillFrame(std::uint8_t* frame, int tag, int index);
bool FrameMatches(const std::uint8_t* frame, int tag, int index);
// The same on a cluster of a memory card.
void StampCluster(MemoryDeviceState& state, int cluster, int tag, int index);
bool ClusterHolds(const MemoryDeviceState& state, int cluster, int tag, int index);
// The 384 bytes after the frame of a cluster are all zero.
bool ClusterTailIsZero(const MemoryDeviceState& state, int cluster);

// A source of `frames` frames tagged `tag`; reading frame `failAt` fails.
class CPatternSource : public IFrameSource {
public:
    CPatternSource(int frames, int tag, std::string path = "/videos/clip.dv")
        : frames_(frames), tag_(tag), path_(std::move(path)) {}
    int FrameCount() const override { return frames_; }
    int ReadFrame(int frame, std::uint8_t* buffer) override;
    std::string SourcePath() const override { return path_; }
    int failAt = -1;
    int reads = 0;

private:
    int frames_;
    int tag_;
    std::string path_;
};

// A progress that records what it was given and presses Abort when the
// position `abortAt` is set (or after `abortAfterPumps` pumps).
class CScriptedProgress : public IProgress {
public:
    void Begin(int range) override;
    void Set(int position) override;
    void SetCaption(int textId) override;
    bool Pump() override;
    void SetAbort() override { aborted_ = true; }
    bool Aborted() const override { return aborted_; }
    void End() override { ++ends; running = false; }

    int abortAt = -1;
    int abortAfterPumps = -1;
    std::vector<int> ranges;    // every Begin
    std::vector<int> captions;  // every caption set
    int caption = 0;            // the caption now (Begin clears it)
    int lastPosition = -1;
    int pumps = 0;
    int ends = 0;
    bool running = false;

private:
    bool aborted_ = false;
};
