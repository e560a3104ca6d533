// CPreviewPlayback: what the preview player does, without any window. It
// shows one frame of a frame source at a time, decoded and halved to
// 360x288, follows the track bar, and plays against a millisecond clock at
// 25 frames per second: each timer tick shows the frame the clock has
// reached since Play, so a slow decode skips frames instead of slowing the
// clip down. Playback stops by itself on the last frame; Play on the last
// frame starts again from frame 0. A frame that cannot be read or decoded
// leaves the previous picture while the position still moves on.
//
// Given an audio sink, it plays the frames' sound in step with the picture
// (CPreviewSound): from the frame where Play starts, silenced at once by
// Stop and by a move of the track bar, and played out when the clip ends.
//
// The player dialog owns one, passes the track bar's moves, its buttons and
// its 40 ms timer ticks to it, and shows what it is told through
// IPlaybackView.
#pragma once
#include "CPicture.h"
#include "FrameSource.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CPreviewSound;
class IAudioSink;

inline constexpr int kPlayerWidth = 360;
inline constexpr int kPlayerHeight = 288;
// One frame every 40 milliseconds: 25 frames per second.
inline constexpr int kPlayerFramePeriodMs = 40;

// The window side of playback.
class IPlaybackView {
public:
    virtual ~IPlaybackView() = default;
    // A frame decoded at 360x288, to be copied into the picture and painted.
    virtual void ShowPicture(const CPicture& picture) = 0;
    // Moves the track bar to `frame` (a move made by the player, not by the
    // user: it must not come back as OnTrackPosition of another frame).
    virtual void SetTrackPosition(int frame) = 0;
    // Playback started or stopped: start or stop the timer that calls
    // OnTimer every kPlayerFramePeriodMs, and enable Play and the track bar
    // exactly when not playing, Stop exactly when playing.
    virtual void PlayingChanged(bool playing) = 0;
    // The frame shown (or tried) is now `frame`: update the time and frame
    // readout.
    virtual void PositionChanged(int /*frame*/) {}
};

// Decodes the 144000-byte DV frame at `frame` into a picture of the
// player's size; returns the code of DecodeDvFrame (0 decoded) and leaves
// `picture` alone on any other code.
using PlaybackDecoder = std::function<int(const std::uint8_t* frame, CPicture& picture)>;
// Milliseconds from any fixed moment; never goes backwards.
using PlaybackClock = std::function<std::int64_t()>;

// The decoder used when none is given: DecodeDvFrame, halved once.
int DecodePlayerPicture(const std::uint8_t* frame, CPicture& picture);
// The clock used when none is given: a monotonic clock.
std::int64_t SteadyMilliseconds();
// The player's readout of `frame` (from 0) of a clip of `frameCount`
// frames: its time and the clip's length in the card's time format, and
// the frame number counted from 1, in the interface language.
std::string FormatPlayerPosition(int frame, int frameCount);

class CPreviewPlayback {
public:
    // `source` and `view` (and `sink`, when given) must outlive the
    // playback. Empty decoder or clock functions mean DecodePlayerPicture
    // and SteadyMilliseconds; without a sink the preview is silent.
    CPreviewPlayback(IFrameSource& source, IPlaybackView& view, PlaybackDecoder decoder = {},
                     PlaybackClock clock = {}, IAudioSink* sink = nullptr);
    ~CPreviewPlayback();
    CPreviewPlayback(const CPreviewPlayback&) = delete;
    CPreviewPlayback& operator=(const CPreviewPlayback&) = delete;

    // Index of the last frame: frame count - 1, -1 for a source without
    // frames.
    int LastFrame() const { return lastFrame_; }
    // The track bar's range is 0 to TrackMaximum() (0 without frames).
    int TrackMaximum() const { return lastFrame_ > 0 ? lastFrame_ : 0; }
    // The frame shown, or tried, last.
    int CurrentFrame() const { return currentFrame_; }
    bool IsPlaying() const { return playing_; }
    // Frames handed to the decoder so far, and frames whose read failed.
    int Decodes() const { return decodes_; }
    int FailedReads() const { return failedReads_; }

    // Reads frame `frame` and shows it when it decodes; the current frame
    // becomes `frame` in every case.
    void ShowFrame(int frame);
    // The user moved the track bar to `position`: silences the sound still
    // playing and shows that frame unless it is the current one.
    void OnTrackPosition(int position);
    // Starts playback from the current frame, or from frame 0 when the
    // current frame is the last one. Nothing while playing, or when the
    // source has no frames.
    void OnPlay();
    // Stops playback where it is, the sound at once. Nothing while not
    // playing.
    void OnStop();
    // Moves `delta` frames from the current one (Left and Right), kept
    // within the clip; playback stops first.
    void StepFrame(int delta);
    // Goes to `frame` (Home and End), kept within the clip; playback stops
    // first and the track bar follows.
    void GoToFrame(int frame);
    // A timer tick: shows the frame the clock has reached, moves the track
    // bar to it, and stops on the last frame. Nothing while not playing, and
    // nothing for a tick that arrives while a frame is being shown (a card
    // read error's message runs its own event loop).
    void OnTimer();

    // The sound, when there is a sink.
    const CPreviewSound* Sound() const { return sound_.get(); }

private:
    // Playing ends: the timer stops and the buttons change.
    void EndPlaying();

    IFrameSource& source_;
    IPlaybackView& view_;
    PlaybackDecoder decoder_;
    PlaybackClock clock_;
    std::vector<std::uint8_t> buffer_;
    int lastFrame_ = -1;
    int currentFrame_ = 0;
    bool playing_ = false;
    bool showing_ = false;
    std::int64_t startTick_ = 0;
    int startFrame_ = 0;
    int decodes_ = 0;
    int failedReads_ = 0;
    std::unique_ptr<CPreviewSound> sound_;
};
