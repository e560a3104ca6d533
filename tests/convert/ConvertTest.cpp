// ConvertAviToDv on type-2 AVI files with audio of several rates, channel
// counts and formats, and without audio: whole frames, one per source
// frame, the source's video blocks in each, the audio resampled to 48 kHz
// stereo inside; and the sources, outputs and write failures it refuses.
#include "CClipFile.h"
#include "ConvertAviToDv.h"
#include "ConvertFixtures.h"
#include "DvFixtures.h"
#include "DvFrame.h"
#include "MediaGraph.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFrames = 12;
constexpr int kFrameBytes = 144000;
constexpr int kSamplesPerFrame = 1920;

class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frames = dvfix::MakeDvFrames(kFrames, 0);
        ASSERT_EQ(std::size_t(kFrames) * kFrameBytes, frames.size());
        source = dir.File("in.avi");
        output = dir.File("out.dv");
    }

    // Converts `track` (no audio when it has 0 channels) and checks what
    // every conversion must give: code 0, one whole frame per source frame,
    // the source's video blocks in each.
    std::vector<std::uint8_t> Convert(const convfix::AudioTrack& track, const std::vector<int>& dropped = {})
    {
        EXPECT_TRUE(convfix::WriteAviWithTrack(source, frames, kFrameBytes, track, dropped));
        EXPECT_EQ(0, ConvertAviToDv(source, output));
        std::vector<std::uint8_t> out = dvfix::ReadBytes(output);
        EXPECT_EQ(std::size_t(kFrames) * kFrameBytes, out.size());
        if (out.size() != frames.size())
            return {};
        for (int i = 0; i < kFrames; ++i) {
            int from = i; // a dropped frame repeats the one before it
            while (std::find(dropped.begin(), dropped.end(), from) != dropped.end())
                --from;
            EXPECT_TRUE(convfix::SameVideoBlocks(frames.data() + std::size_t(from) * kFrameBytes,
                                                 out.data() + std::size_t(i) * kFrameBytes))
                << "frame " << i;
        }
        return out;
    }
    static void ExpectDvWith48k(const std::vector<std::uint8_t>& out)
    {
        for (int i = 0; i < kFrames; ++i) {
            const std::uint8_t* f = out.data() + std::size_t(i) * kFrameBytes;
            ASSERT_TRUE(IsDvFrame(f)) << "frame " << i;
            EXPECT_EQ(kDvAudio48k, ClassifyDvAudio(f)) << "frame " << i;
        }
    }
    // The output's audio against the source's signal played at 48 kHz:
    // `tolerance` 0 asks for the very samples.
    void ExpectAudio(int channels, int tolerance, long skip = 0)
    {
        const std::vector<std::int16_t> pcm = convfix::ReadDvAudio(output);
        ASSERT_EQ(std::size_t(kFrames) * kSamplesPerFrame * 2, pcm.size());
        int worst = 0;
        for (long i = skip; i < long(pcm.size() / 2); ++i)
            for (int ch = 0; ch < 2; ++ch) {
                const int want = convfix::Signal(48000, channels == 1 ? 0 : ch, i);
                worst = std::max(worst, std::abs(want - pcm[std::size_t(2 * i + ch)]));
            }
        EXPECT_LE(worst, tolerance);
    }

    CTempDir dir;
    std::vector<std::uint8_t> frames;
    std::string source;
    std::string output;
};

TEST_F(ConvertTest, StereoAt48kGoesIntoTheFramesSampleForSample)
{
    const auto out = Convert({48000, 2});
    ExpectDvWith48k(out);
    ExpectAudio(2, 0);
}

TEST_F(ConvertTest, StereoAt44kIsResampledTo48k)
{
    const auto out = Convert({44100, 2});
    ExpectDvWith48k(out);
    ExpectAudio(2, 150, 64);
}

TEST_F(ConvertTest, MonoPlaysOnBothChannelsAtItsOwnLevel)
{
    const auto out = Convert({48000, 1});
    ExpectDvWith48k(out);
    ExpectAudio(1, 1);
}

TEST_F(ConvertTest, EightBitMonoAt22kIsConvertedToo)
{
    convfix::AudioTrack track{22050, 1};
    track.unsigned8 = true;
    const auto out = Convert(track);
    ExpectDvWith48k(out);
    ExpectAudio(1, 500, 64);
}

TEST_F(ConvertTest, AudioShorterThanTheVideoEndsInSilence)
{
    convfix::AudioTrack track{48000, 2};
    track.samples = 5 * kSamplesPerFrame + 100;
    const auto out = Convert(track);
    ExpectDvWith48k(out);
    const std::vector<std::int16_t> pcm = convfix::ReadDvAudio(output);
    ASSERT_EQ(std::size_t(kFrames) * kSamplesPerFrame * 2, pcm.size());
    for (long i = 0; i < long(pcm.size() / 2); ++i) {
        const int want = i < track.samples ? convfix::Signal(48000, 1, i) : 0;
        ASSERT_EQ(want, pcm[std::size_t(2 * i + 1)]) << "sample " << i;
    }
}

TEST_F(ConvertTest, AudioLongerThanTheVideoDoesNotAddFrames)
{
    convfix::AudioTrack track{48000, 2};
    track.samples = (kFrames + 30) * kSamplesPerFrame;
    ExpectDvWith48k(Convert(track));
    ExpectAudio(2, 0);
}

TEST_F(ConvertTest, WithoutAudioTheFramesAreCopiedAsTheyAre)
{
    const auto out = Convert({48000, 0});
    EXPECT_EQ(frames, out);
}

TEST_F(ConvertTest, FramesTheFileLeavesOutRepeatTheFrameBefore)
{
    ExpectDvWith48k(Convert({48000, 2}, {3, 4, 9}));
    ExpectAudio(2, 0);
    Convert({48000, 0}, {5});
}

TEST_F(ConvertTest, InterleavedAviKeepsItsFrames)
{
    const std::vector<std::uint8_t> withAudio = dvfix::MakeDvFrames(kFrames, 48000);
    ASSERT_TRUE(dvfix::WriteInterleavedAvi(source, withAudio));
    ASSERT_EQ(0, ConvertAviToDv(source, output));
    EXPECT_EQ(withAudio, dvfix::ReadBytes(output));
}

TEST_F(ConvertTest, UnreadableSourcesGiveThreeAndLeaveAnEmptyOutput)
{
    struct Case {
        const char* what;
        std::function<bool(const std::string&)> make;
    };
    const std::vector<Case> cases = {
        {"garbage", [](const std::string& p) { return dvfix::WriteBytes(p, std::vector<std::uint8_t>(5000, 0x5A)); }},
        {"empty file", [](const std::string& p) { return dvfix::WriteBytes(p, {}); }},
        {"not DV video",
         [&](const std::string& p) {
             dvfix::AviLayout layout;
             layout.dvVideo = false;
             return dvfix::WriteDvVideoAvi(p, frames, layout);
         }},
        {"audio first",
         [&](const std::string& p) {
             dvfix::AviLayout layout;
             layout.audioFirst = true;
             return dvfix::WriteDvVideoAvi(p, frames, layout);
         }},
        {"NTSC frames",
         [](const std::string& p) {
             const auto ntsc = convfix::MakeNtscFrames(4);
             return ntsc.size() == 4 * 120000u && convfix::WriteAviWithTrack(p, ntsc, 120000, {48000, 2});
         }},
        {"frames of garbage",
         [](const std::string& p) {
             return convfix::WriteAviWithTrack(p, std::vector<std::uint8_t>(3 * kFrameBytes, 0xFF), kFrameBytes,
                                               {48000, 2});
         }},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.make(source)) << c.what;
        ASSERT_TRUE(dvfix::WriteBytes(output, std::vector<std::uint8_t>(777, 1))) << c.what;
        EXPECT_EQ(3, ConvertAviToDv(source, output)) << c.what;
        struct stat st {};
        ASSERT_EQ(0, stat(output.c_str(), &st)) << c.what;
        EXPECT_EQ(0, st.st_size) << c.what;
    }
    EXPECT_EQ(3, ConvertAviToDv(dir.File("no-such.avi"), output));
    EXPECT_TRUE(std::filesystem::exists(output));
}

TEST_F(ConvertTest, OutputThatCannotBeCreatedGivesTwoBeforeTheSourceIsRead)
{
    // The source does not exist either: a 2 shows the output came first.
    EXPECT_EQ(2, ConvertAviToDv(dir.File("no-such.avi"), dir.File("missing/out.dv")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
    EXPECT_EQ(2, ConvertAviToDv(dir.File("no-such.avi"), dir.Path()));

    ASSERT_TRUE(convfix::WriteAviWithTrack(source, frames, kFrameBytes, {48000, 2}));
    if (geteuid() != 0) {
        ASSERT_TRUE(dvfix::WriteBytes(output, {1, 2, 3}));
        ASSERT_EQ(0, chmod(output.c_str(), 0444));
        EXPECT_EQ(2, ConvertAviToDv(source, output));
        EXPECT_EQ(std::vector<std::uint8_t>({1, 2, 3}), dvfix::ReadBytes(output));
    }
}

TEST_F(ConvertTest, OutputNamingTheSourceIsRefusedWithTheSourceIntact)
{
    ASSERT_TRUE(convfix::WriteAviWithTrack(source, frames, kFrameBytes, {48000, 2}));
    const std::vector<std::uint8_t> before = dvfix::ReadBytes(source);
    EXPECT_EQ(2, ConvertAviToDv(source, source));
    EXPECT_EQ(2, ConvertAviToDv(source, dir.Path() + "/./in.avi"));
    ASSERT_EQ(0, symlink(source.c_str(), dir.File("link.dv").c_str()));
    EXPECT_EQ(2, ConvertAviToDv(source, dir.File("link.dv")));
    EXPECT_EQ(before, dvfix::ReadBytes(source));
}

TEST_F(ConvertTest, MissingDecoderGivesOneAndCreatesNothing)
{
    ASSERT_TRUE(convfix::WriteAviWithTrack(source, frames, kFrameBytes, {48000, 2}));
    EXPECT_EQ(1, ConvertAviToDv(source, output, false));
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(ConvertTest, WriteFailurePartWayGivesThreeAndKeepsWholeFrames)
{
    ASSERT_TRUE(convfix::WriteAviWithTrack(source, frames, kFrameBytes, {48000, 2}));
    // A file size limit stands in for a full disk: writes past it fail.
    int rc = 0;
    {
        CFileSizeLimit full(4 * kFrameBytes);
        rc = ConvertAviToDv(source, output);
    }

    EXPECT_EQ(3, rc);
    const auto out = dvfix::ReadBytes(output);
    EXPECT_EQ(std::size_t(4) * kFrameBytes, out.size());
    if (out.size() == std::size_t(4) * kFrameBytes) {
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(convfix::SameVideoBlocks(frames.data() + std::size_t(i) * kFrameBytes,
                                                 out.data() + std::size_t(i) * kFrameBytes));
    }
}

// A sink that takes `accept` frames and refuses the next.
class CFailingSink : public IDvFrameSink {
public:
    explicit CFailingSink(int accept) : accept_(accept) {}
    bool WriteFrame(const std::uint8_t*, int size) override
    {
        ++calls;
        sizes.push_back(size);
        return calls <= accept_;
    }
    int calls = 0;
    std::vector<int> sizes;

private:
    int accept_;
};

TEST_F(ConvertTest, SinkGetsWholeFramesAndNothingAfterItRefusesOne)
{
    for (int channels : {2, 0}) {
        ASSERT_TRUE(convfix::WriteAviWithTrack(source, frames, kFrameBytes, {48000, channels}));
        CFailingSink all(1000);
        EXPECT_EQ(kMuxDone, MuxAviToDv(source, all)) << channels;
        EXPECT_EQ(std::vector<int>(kFrames, kFrameBytes), all.sizes) << channels;

        CFailingSink refusing(3);
        EXPECT_EQ(kMuxWriteFailed, MuxAviToDv(source, refusing)) << channels;
        EXPECT_EQ(4, refusing.calls) << channels;
    }
}

// A type-2 AVI as the ffmpeg command-line tool writes it (44.1 kHz mono)
// converts into a raw DV file the clip reader takes, every frame DV with
// 48 kHz audio.
TEST_F(ConvertTest, AviFromTheFfmpegToolConverts)
{
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffmpeg command-line tool not installed";
    const std::string cmd = "ffmpeg -v error -y -f lavfi -i testsrc=size=720x576:rate=25 "
                            "-f lavfi -i sine=frequency=1000:sample_rate=44100 -t 2 "
                            "-c:v dvvideo -pix_fmt yuv420p -c:a pcm_s16le -ac 1 '" + source + "'";
    ASSERT_EQ(0, std::system(cmd.c_str()));
    ASSERT_EQ(0, ConvertAviToDv(source, output));

    CClipFile clip;
    ASSERT_EQ(0, clip.Open(output, true));
    EXPECT_EQ(50, clip.FrameCount());
    std::vector<std::uint8_t> buf(kFrameBytes);
    for (int i = 0; i < clip.FrameCount(); ++i) {
        ASSERT_TRUE(clip.ReadFrame(i, buf.data())) << i;
        ASSERT_TRUE(IsDvFrame(buf.data())) << i;
        EXPECT_EQ(kDvAudio48k, ClassifyDvAudio(buf.data())) << i;
    }
}

} // namespace
