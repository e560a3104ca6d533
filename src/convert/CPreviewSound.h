// CPreviewSound: the sound of the preview player. While the picture plays
// against its clock, the sound of the frames from the one shown onwards is
// taken out of the frames (DvFrameAudio) and written to an audio sink, a
// few frames ahead of the picture so that the output never runs dry
// between two ticks. Every frame's sound is written in order, also for
// frames the picture skips, so the sound keeps its pace.
//
// The sink says how much of what it was given it has not played yet, which
// tells the frame whose sound is heard now. An output that has run dry (a
// tick came late) goes on at the picture's frame. One that trails the
// picture (it took long to start, its clock is slow) catches up by leaving
// out the sound of as many frames as it trails by; when that does not bring
// it closer, the lag is the output's own and is left alone. One that never
// begins to play is started again at the picture's frame.
//
// Stop silences the sound at once; a clip that plays to its end lets the
// last sound play out. A frame without sound (or one that cannot be read)
// is a frame of silence. A sink that cannot start leaves the preview silent
// until the next Start.
#pragma once
#include "DvFrameAudio.h"
#include "FrameSource.h"
#include "IAudioSink.h"

#include <cstdint>
#include <deque>
#include <vector>

class CPreviewSound {
public:
    // Frames of sound kept written ahead of the picture.
    static constexpr int kLeadFrames = 3;
    // An output has settled once it has played this many frames: until
    // then it may be slow to start and its idea of what it has played is
    // rough, and the sound may trail the picture by kStartupLagFrames.
    // After that by kMaxLagFrames.
    static constexpr int kSettleFrames = 12;
    static constexpr int kStartupLagFrames = 25;
    static constexpr int kMaxLagFrames = 4;

    // `source` and `sink` must outlive the sound.
    CPreviewSound(IFrameSource& source, IAudioSink& sink);
    ~CPreviewSound();
    CPreviewSound(const CPreviewSound&) = delete;
    CPreviewSound& operator=(const CPreviewSound&) = delete;

    // Playback starts at `frame`: whatever still plays is dropped and the
    // sound from `frame` on is written.
    void Start(int frame);
    // The picture's clock has reached `frame`: keeps the sound in step and
    // written up to kLeadFrames past it (not past the last frame).
    void Follow(int frame);
    // Silent at once; nothing more is written until the next Start.
    void Stop();
    // The clip played to its end: nothing more is written, and what was
    // written plays out.
    void Finish();

    // Whether sound is being written, and the frame whose sound is written
    // next.
    bool Active() const { return active_; }
    int NextFrame() const { return next_; }

private:
    // Where the sound of one frame begins among the samples written since
    // the sink started.
    struct Written {
        long long at;
        int frame;
    };

    // Keeps the sound in step with the picture at `frame`; false when it
    // has started the output again (and written from `frame` on).
    bool Resync(int frame);
    // The frame whose sound is heard after `played` samples.
    int HeardFrame(long long played);
    // Writes the sound of frame `next_` and moves on; false when the sink
    // cannot take it (the preview is then silent).
    bool WriteNext();
    bool OpenSink(int rate, int channels);
    void FillTo(int frame);

    IFrameSource& source_;
    IAudioSink& sink_;
    std::vector<std::uint8_t> buffer_;
    DvFrameAudio audio_;
    std::vector<std::int16_t> silence_;
    int lastFrame_ = -1;
    bool active_ = false;
    bool open_ = false;
    int rate_ = 0;
    int channels_ = 0;
    int next_ = 0;
    // Since the sink started: what was written, whether the output has
    // settled, a catch-up not yet heard (its first frame, -1 none), and the
    // lag found to be the output's own.
    long long samples_ = 0;
    std::deque<Written> written_;
    bool settled_ = false;
    int catchUpFrom_ = -1;
    long long ownLag_ = 0;
};
