// The preview's sound without a window or a sound card: the samples taken
// out of DV frames (a known tone at 48 kHz, 32 kHz frames, frames without
// sound), and what the player writes to a recording sink as it plays
// against a clock the test moves: from the frame where Play starts, every
// frame in order also when the picture skips, silenced by Stop and by the
// track bar, started again when the output falls behind, and a preview
// that stays silent without an output device.
#include "CClipFile.h"
#include "CPreviewPlayback.h"
#include "CPreviewSound.h"
#include "ConvertAviToDv.h"
#include "ConvertFixtures.h"
#include "DvFixtures.h"
#include "DvFrameAudio.h"
#include "IAudioSink.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kFrameBytes = dvfix::kFrameBytes;

// Keeps every sample written. It plays them in step with the test's clock
// from its start, unless the test says how many it has played.
class CRecordingSink : public IAudioSink {
public:
    explicit CRecordingSink(const std::int64_t& clock) : clock_(clock) {}
    bool Start(int rate, int channels) override
    {
        starts.push_back({rate, channels, samples.size()});
        open = device;
        rate_ = rate;
        startedAt_ = clock_;
        return device;
    }
    void Write(const std::int16_t* data, int frames) override
    {
        EXPECT_TRUE(open) << "written while not started";
        samples.insert(samples.end(), data, data + frames * 2);
        written += frames;
    }
    long long Pending() const override
    {
        const long long heard = played >= 0 ? played : (clock_ - startedAt_) * rate_ / 1000;
        return std::max(0LL, written - heard);
    }
    void Stop() override
    {
        ++stops;
        open = false;
        written = 0;
    }

    struct Started {
        int rate, channels;
        std::size_t at; // samples written before
    };
    bool device = true;
    bool open = false;
    std::vector<Started> starts;
    std::vector<std::int16_t> samples;
    long long written = 0;
    long long played = -1; // sample frames played since the start, when >= 0
    int stops = 0;

private:
    const std::int64_t& clock_;
    std::int64_t startedAt_ = 0;
    int rate_ = 48000;
};

class PreviewSoundTest : public ::testing::Test {
protected:
    // A raw DV clip of `count` frames (sound at `rate`, 0 none) opened as
    // the player's source; every frame's sound differs from the others'.
    void Open(int count, int rate = 48000)
    {
        frames = dvfix::MakeDvFrames(count, rate);
        ASSERT_EQ(std::size_t(count) * kFrameBytes, frames.size());
        const std::string path = dir.File("clip.dv");
        ASSERT_TRUE(dvfix::WriteBytes(path, frames));
        ASSERT_EQ(kClipOpenOk, clip.Open(path, true));
        // Pictures are not this test's business: none decodes.
        player = std::make_unique<CPreviewPlayback>(
            clip, view, [](const std::uint8_t*, CPicture&) { return 3; }, [this] { return now; }, &sink);
    }
    // The sound of frames `from` to `to` one after another.
    std::vector<std::int16_t> SoundOf(int from, int to) const
    {
        std::vector<std::int16_t> out;
        for (int f = from; f <= to; ++f) {
            DvFrameAudio audio;
            EXPECT_TRUE(ExtractDvAudio(frames.data() + std::size_t(f) * kFrameBytes, kFrameBytes, audio));
            out.insert(out.end(), audio.samples.begin(), audio.samples.end());
        }
        return out;
    }
    // What was written since start number `start`.
    std::vector<std::int16_t> WrittenSince(std::size_t start) const
    {
        return {sink.samples.begin() + static_cast<std::ptrdiff_t>(sink.starts.at(start).at), sink.samples.end()};
    }
    // Moves the clock by `ms` and ticks; the output has played in step
    // with the clock, or `playedFrames` frames' worth since it started.
    void Tick(int ms, int playedFrames = -1)
    {
        now += ms;
        sink.played = playedFrames < 0 ? -1 : playedFrames * 1920LL;
        player->OnTimer();
    }

    struct : IPlaybackView {
        void ShowPicture(const CPicture&) override {}
        void SetTrackPosition(int) override {}
        void PlayingChanged(bool) override {}
    } view;
    CTempDir dir;
    std::vector<std::uint8_t> frames;
    CClipFile clip;
    std::int64_t now = 5000;
    CRecordingSink sink{now};
    std::unique_ptr<CPreviewPlayback> player;
};

} // namespace

TEST(DvFrameAudioTest, TheToneOfA48kClipComesOutSampleForSample)
{
    // A clip whose sound is a 440 Hz tone on the left and 880 Hz on the
    // right, put into DV frames by the conversion.
    CTempDir dir;
    const int count = 6;
    const std::string avi = dir.File("tone.avi");
    const std::string dv = dir.File("tone.dv");
    ASSERT_TRUE(convfix::WriteAviWithTrack(avi, dvfix::MakeDvFrames(count, 0), kFrameBytes, {48000, 2}));
    ASSERT_EQ(0, ConvertAviToDv(avi, dv));
    const std::vector<std::uint8_t> bytes = dvfix::ReadBytes(dv);
    ASSERT_EQ(std::size_t(count) * kFrameBytes, bytes.size());

    long at = 0;
    for (int f = 0; f < count; ++f) {
        DvFrameAudio audio;
        ASSERT_TRUE(ExtractDvAudio(bytes.data() + std::size_t(f) * kFrameBytes, kFrameBytes, audio));
        EXPECT_EQ(48000, audio.rate);
        ASSERT_EQ(2, audio.channels);
        ASSERT_EQ(1920, audio.Frames()) << "40 ms of sound in frame " << f;
        int worst = 0;
        for (int i = 0; i < audio.Frames(); ++i, ++at)
            for (int ch = 0; ch < 2; ++ch)
                worst = std::max(worst, std::abs(convfix::Signal(48000, ch, at) - audio.samples[2 * i + ch]));
        EXPECT_EQ(0, worst) << "frame " << f;
    }
}

TEST(DvFrameAudioTest, FramesAt32kFramesWithoutSoundAndOtherBytes)
{
    CTempDir dir;
    const std::vector<std::uint8_t> frames = dvfix::MakeDvFrames(3, 32000);
    ASSERT_TRUE(dvfix::WriteBytes(dir.File("32k.dv"), frames));
    const std::vector<std::int16_t> whole = convfix::ReadDvAudio(dir.File("32k.dv"));
    std::vector<std::int16_t> pieces;
    for (int f = 0; f < 3; ++f) {
        DvFrameAudio audio;
        ASSERT_TRUE(ExtractDvAudio(frames.data() + std::size_t(f) * kFrameBytes, kFrameBytes, audio));
        EXPECT_EQ(32000, audio.rate);
        EXPECT_EQ(1280, audio.Frames()) << "40 ms at 32 kHz";
        pieces.insert(pieces.end(), audio.samples.begin(), audio.samples.end());
    }
    EXPECT_EQ(whole, pieces) << "frame by frame, the sound of the whole file";

    DvFrameAudio audio;
    audio.rate = 1;
    const std::vector<std::uint8_t> silent = dvfix::MakeDvFrames(1, 0);
    EXPECT_FALSE(ExtractDvAudio(silent.data(), kFrameBytes, audio)) << "no sound pack";
    EXPECT_EQ(0, audio.rate);
    EXPECT_TRUE(audio.samples.empty());
    const std::vector<std::uint8_t> zeros(kFrameBytes, 0), ones(kFrameBytes, 0xFF);
    EXPECT_FALSE(ExtractDvAudio(zeros.data(), kFrameBytes, audio));
    EXPECT_FALSE(ExtractDvAudio(ones.data(), kFrameBytes, audio));
    EXPECT_FALSE(ExtractDvAudio(frames.data(), kFrameBytes - 1, audio)) << "a frame cut short";
    EXPECT_FALSE(ExtractDvAudio(nullptr, kFrameBytes, audio));
}

TEST_F(PreviewSoundTest, SoundStartsAtThePlayedFrameKeepsEveryFrameAndStopsWithStopAndTheTrackBar)
{
    Open(40);
    player->ShowFrame(0);
    player->OnTrackPosition(10);
    EXPECT_TRUE(sink.starts.empty()) << "nothing sounds before Play";

    player->OnPlay();
    ASSERT_EQ(1u, sink.starts.size());
    EXPECT_EQ(48000, sink.starts[0].rate);
    EXPECT_EQ(2, sink.starts[0].channels);
    EXPECT_EQ(SoundOf(10, 10 + CPreviewSound::kLeadFrames), sink.samples) << "from frame 10, a little ahead";

    Tick(125); // frame 13
    EXPECT_EQ(13, player->CurrentFrame());
    Tick(120); // frame 16: the picture skips frames, the sound does not
    EXPECT_EQ(16, player->CurrentFrame());
    EXPECT_EQ(SoundOf(10, 16 + CPreviewSound::kLeadFrames), sink.samples);
    EXPECT_EQ(1u, sink.starts.size());

    player->OnStop();
    EXPECT_EQ(1, sink.stops) << "silent at once";
    const std::size_t stopped = sink.samples.size();
    Tick(400);
    EXPECT_EQ(stopped, sink.samples.size());

    // Play goes on from the frame the track bar chose.
    player->OnTrackPosition(30);
    player->OnPlay();
    ASSERT_EQ(2u, sink.starts.size());
    EXPECT_EQ(SoundOf(30, 33), WrittenSince(1));

    // To the end: nothing past the last frame, and the end is not cut off;
    // a move of the track bar then silences what still sounds.
    while (player->IsPlaying())
        Tick(40);
    EXPECT_EQ(39, player->CurrentFrame());
    EXPECT_EQ(SoundOf(30, 39), WrittenSince(1));
    EXPECT_EQ(1, sink.stops) << "the last frames play out";
    player->OnTrackPosition(5);
    EXPECT_EQ(2, sink.stops);
}

TEST_F(PreviewSoundTest, AnOutputThatTrailsThePictureCatchesUp)
{
    Open(80);
    player->ShowFrame(0);
    player->OnPlay();
    ASSERT_EQ(1u, sink.starts.size());
    const CPreviewSound& sound = *player->Sound();

    // An output slow to open plays nothing for a while: up to a second is
    // waited for, then it is started again at the picture's frame.
    for (int i = 0; i < CPreviewSound::kStartupLagFrames; ++i)
        Tick(40, 0);
    EXPECT_EQ(1u, sink.starts.size());
    EXPECT_EQ(SoundOf(0, 25 + CPreviewSound::kLeadFrames), sink.samples);
    Tick(40, 0); // frame 26
    ASSERT_EQ(2u, sink.starts.size());
    EXPECT_EQ(SoundOf(26, 26 + CPreviewSound::kLeadFrames), WrittenSince(1));

    // It plays and settles, the sound heard a frame ahead of the picture.
    for (int frame = 27; frame <= 38; ++frame)
        Tick(40, frame - 25);
    // Then it stalls, and a few frames behind are allowed.
    Tick(120, 13); // frame 41: frame 39 heard
    Tick(80, 13);  // frame 43: 4 behind
    EXPECT_EQ(47, sound.NextFrame());

    // 5 frames behind: the sound of 4 frames is left out, without starting
    // the output again.
    Tick(40, 13); // frame 44
    EXPECT_EQ(51, sound.NextFrame());
    Tick(80, 16); // frame 46: the catch-up not heard yet
    Tick(80, 18); // frame 48: 51 written
    Tick(40, 21); // frame 49: frame 51 heard, 2 ahead
    EXPECT_EQ(53, sound.NextFrame());
    std::vector<std::int16_t> expected = SoundOf(26, 46);
    const std::vector<std::int16_t> after = SoundOf(51, 52);
    expected.insert(expected.end(), after.begin(), after.end());
    EXPECT_EQ(expected, WrittenSince(1));

    // A catch-up still heard far behind: the lag is the output's own, and
    // no more sound is left out for it.
    Tick(40, 21);  // frame 50
    Tick(280, 22); // frame 57: frame 52 heard, 5 behind; 58 written next
    EXPECT_EQ(61, sound.NextFrame());
    Tick(280, 24); // frame 64: frame 58 heard, still 6 behind
    Tick(40, 25);  // frame 65: 6 behind
    EXPECT_EQ(69, sound.NextFrame()) << "nothing left out";
    EXPECT_EQ(2u, sink.starts.size());

    // A tick that comes very late finds the output run dry: the sound goes
    // on at the picture's frame without starting the output again.
    Tick(400, 35); // frame 75
    EXPECT_EQ(75, player->CurrentFrame());
    EXPECT_EQ(SoundOf(75, 78), std::vector<std::int16_t>(sink.samples.end() - 4 * 1920 * 2, sink.samples.end()));
    EXPECT_EQ(2u, sink.starts.size());
}

TEST_F(PreviewSoundTest, WithoutAnOutputDeviceThePreviewPlaysSilently)
{
    Open(20);
    sink.device = false;
    player->ShowFrame(0);
    player->OnPlay();
    while (player->IsPlaying())
        Tick(40);
    EXPECT_EQ(19, player->CurrentFrame());
    EXPECT_EQ(1u, sink.starts.size()) << "asked once per Play, not at every tick";
    EXPECT_TRUE(sink.samples.empty());
    player->OnPlay();
    EXPECT_EQ(2u, sink.starts.size());
}

TEST_F(PreviewSoundTest, FramesWithoutSoundKeepThePaceAndAChangeOfRateStartsAgain)
{
    // Frames 0-2 without sound, 3-5 at 32 kHz, 6-9 at 48 kHz.
    const std::vector<std::uint8_t> none = dvfix::MakeDvFrames(10, 0);
    const std::vector<std::uint8_t> at32 = dvfix::MakeDvFrames(10, 32000);
    const std::vector<std::uint8_t> at48 = dvfix::MakeDvFrames(10, 48000);
    std::vector<std::uint8_t> mixed;
    for (int f = 0; f < 10; ++f) {
        const std::vector<std::uint8_t> frame = dvfix::Frame(f < 3 ? none : f < 6 ? at32 : at48, f);
        mixed.insert(mixed.end(), frame.begin(), frame.end());
    }
    ASSERT_TRUE(dvfix::WriteBytes(dir.File("mixed.dv"), mixed));
    ASSERT_EQ(kClipOpenOk, clip.Open(dir.File("mixed.dv"), true));
    frames = mixed;
    CPreviewSound sound(clip, sink);

    sound.Start(0);
    ASSERT_EQ(2u, sink.starts.size()) << "48 kHz silence, then 32 kHz from frame 3";
    EXPECT_EQ(48000, sink.starts[0].rate);
    std::vector<std::int16_t> expected(3 * 1920 * 2, 0);
    EXPECT_EQ(32000, sink.starts[1].rate);
    EXPECT_EQ(expected, std::vector<std::int16_t>(sink.samples.begin(), sink.samples.begin() + 3 * 1920 * 2))
        << "40 ms of silence per frame without sound";
    EXPECT_EQ(SoundOf(3, 3), WrittenSince(1));

    sound.Follow(3);
    ASSERT_EQ(3u, sink.starts.size());
    EXPECT_EQ(48000, sink.starts[2].rate);
    EXPECT_EQ(SoundOf(6, 6), WrittenSince(2));
    sound.Stop();
    EXPECT_FALSE(sound.Active());
}
