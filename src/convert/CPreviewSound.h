// CPreviewSound: the sound of the preview player. While the picture plays
// against its clock, the sound of the frames from the one shown onwards is
// taken out of the frames (DvFrameAudio) and written to an audio sink, a
// few frames ahead of the picture so that the output never runs dry
// between two ticks. Every frame's sound is written in order, also for
// frames the picture skips, so the sound keeps its pace. When the output
// falls behind the picture (it is slow, it started late, or a tick came very
// late), the sound starts again at the picture's frame. Stop silences it at
// once; a clip that plays to its end lets the last sound play out. A frame
// without sound (or one that cannot be read) is a frame of silence. A sink
// that cannot start leaves the preview silent until the next Start.
#pragma once
#include "DvFrameAudio.h"
#include "FrameSource.h"
#include "IAudioSink.h"

#include <cstdint>
#include <vector>

class CPreviewSound {
public:
    // Frames of sound kept written ahead of the picture.
    static constexpr int kLeadFrames = 3;
    // How many frames the sound may trail the picture once the output has
    // begun to play, and before that (opening an output may take a while).
    static constexpr int kMaxLagFrames = 4;
    static constexpr int kStartupLagFrames = 25;

    // `source` and `sink` must outlive the sound.
    CPreviewSound(IFrameSource& source, IAudioSink& sink);
    ~CPreviewSound();
    CPreviewSound(const CPreviewSound&) = delete;
    CPreviewSound& operator=(const CPreviewSound&) = delete;

    // Playback starts at `frame`: whatever still plays is dropped and the
    // sound from `frame` on is written.
    void Start(int frame);
    // The picture's clock has reached `frame`: keeps the sound written up
    // to kLeadFrames past it (not past the last frame), and starts the
    // sound again at `frame` when it trails too far.
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
    bool consumed_ = false; // the output has played some of what was written
    int rate_ = 0;
    int channels_ = 0;
    int next_ = 0;
    long long written_ = 0; // sample frames written since the sink started
};
