// ConvertVideoToDv on short clips the ffmpeg tool makes: H.264 landscape
// and portrait, 60 frames a second with mono sound at 22 kHz, no sound,
// NTSC DV, and files that are not video. Every output is measured as the
// player and the loading checks see it: frame count (one per 40 ms), whole
// frames that pass the checks with 48 kHz sound, the bars and the upright
// picture in decoded pixels, the frame shape the DV frames carry; and what
// Abort and a full disk leave behind.
#include "CClipFile.h"
#include "ClipChecks.h"
#include "ConvertFixtures.h"
#include "ConvertVideoToDv.h"
#include "DvFixtures.h"
#include "SavePicturePng.h"
#include "DvFrame.h"
#include "ScriptedProgress.h"
#include "TempDir.h"
#include "VideoProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

constexpr int kFrameBytes = 144000;

// Pixel classes in a decoded 720x576 BGRX picture.
enum Colour { kBlack, kRed, kBlue, kOther };

Colour At(const std::vector<std::uint8_t>& px, int x, int y)
{
    const std::uint8_t* p = &px[(static_cast<std::size_t>(y) * 720 + x) * 4];
    const int b = p[0], g = p[1], r = p[2];
    if (r < 40 && g < 40 && b < 40)
        return kBlack;
    if (r > 150 && g < 90 && b < 90)
        return kRed;
    if (b > 150 && r < 90 && g < 90)
        return kBlue;
    return kOther;
}

// First and last row (down column x) or column (along row y) that is not
// black.
std::pair<int, int> PictureRows(const std::vector<std::uint8_t>& px, int x)
{
    int first = -1, last = -1;
    for (int y = 0; y < 576; ++y)
        if (At(px, x, y) != kBlack) {
            first = first < 0 ? y : first;
            last = y;
        }
    return {first, last};
}
std::pair<int, int> PictureColumns(const std::vector<std::uint8_t>& px, int y)
{
    int first = -1, last = -1;
    for (int x = 0; x < 720; ++x)
        if (At(px, x, y) != kBlack) {
            first = first < 0 ? x : first;
            last = x;
        }
    return {first, last};
}

class ConvertVideoTest : public ::testing::Test {
protected:
    // Makes `clip` as `name`; false (with the reason in `skip`) when the
    // machine cannot make it.
    bool Make(const std::string& name, const convfix::Clip& clip)
    {
        source = dir.File(name);
        skip = convfix::MakeClip(source, clip);
        return skip.empty();
    }

    // Converts the source and checks what every good output must be: code
    // 0, `frames` whole frames that pass the loading checks (DV, 48 kHz
    // sound in each, none silent-flagged), the progress run over them.
    void ConvertAndCheck(int frames, DvAspect aspect = kDvAspect4x3)
    {
        CScriptedProgress progress;
        ASSERT_EQ(kMediaDone, ConvertVideoToDv(source, output, aspect, progress));
        EXPECT_EQ(1, progress.ends);
        EXPECT_EQ(std::vector<int>{frames + 1}, progress.ranges) << "the duration foretells the frames";
        EXPECT_EQ(frames, progress.lastPosition);
        // Captioned with the file's name and its own figures from the start,
        // the time left once the first frames have taken some time.
        const std::string prefix = "Converting " + std::filesystem::path(source).filename().string() + ": ";
        ASSERT_FALSE(progress.captionTexts.empty());
        EXPECT_EQ(prefix + "0 %", progress.captionTexts.front());
        for (const std::string& caption : progress.captionTexts)
            EXPECT_EQ(0u, caption.find(prefix)) << caption;
        EXPECT_EQ(0u, progress.captionTexts.back().find(prefix + std::to_string(frames * 100 / (frames + 1)) + " %, "))
            << progress.captionTexts.back();
        EXPECT_TRUE(progress.captionCounted);
        EXPECT_EQ(static_cast<std::uintmax_t>(frames) * kFrameBytes, std::filesystem::file_size(output));
        CClipFile file;
        std::vector<std::uint8_t> frame(kFrameBytes);
        const ClipCheck check = CheckClipFile(file, output, frame.data());
        EXPECT_EQ(kVerdictOk, check.verdict);
        EXPECT_EQ(frames, check.frames);
        for (int i = 0; i < frames && file.IsOpen(); ++i) {
            ASSERT_TRUE(file.ReadFrame(i, frame.data()));
            ASSERT_TRUE(IsDvFrame(frame.data())) << "frame " << i;
            ASSERT_EQ(kDvAudio48k, ClassifyDvAudio(frame.data())) << "frame " << i;
        }
    }

    // The output's sound: 1920 stereo samples per frame.
    std::vector<std::int16_t> Sound(int frames)
    {
        std::vector<std::int16_t> pcm = convfix::ReadDvAudio(output);
        EXPECT_EQ(static_cast<std::size_t>(frames) * 1920 * 2, pcm.size());
        return pcm;
    }

    CTempDir dir;
    std::string source;
    std::string output = dir.File("out.dv");
    std::string skip;
};

TEST_F(ConvertVideoTest, LandscapeClipIsLetterboxedOrAnamorphic)
{
    if (!Make("phone.mp4", {}))
        GTEST_SKIP() << skip;
    // Two seconds at 30 frames a second give 50 frames.
    ConvertAndCheck(50);
    double shape = 0;
    const std::vector<std::uint8_t> px = convfix::DecodeDvFileFrame(output, 25, &shape);
    ASSERT_FALSE(px.empty());
    EXPECT_NEAR(4.0 / 3, shape, 0.01);
    // 16:9 in a 4:3 frame: 432 picture lines between bars of 72.
    const auto [top, bottom] = PictureRows(px, 360);
    EXPECT_NEAR(72, top, 2);
    EXPECT_NEAR(503, bottom, 2);
    EXPECT_EQ(kRed, At(px, 100, 288));
    EXPECT_EQ(kBlue, At(px, 620, 288));
    const std::vector<std::int16_t> pcm = Sound(50);
    EXPECT_GT(*std::max_element(pcm.begin(), pcm.end()), 2000) << "the tone is there";

    // Anamorphic: the whole frame, marked 16:9.
    std::filesystem::remove(output);
    ConvertAndCheck(50, kDvAspect16x9);
    const std::vector<std::uint8_t> wide = convfix::DecodeDvFileFrame(output, 25, &shape);
    ASSERT_FALSE(wide.empty());
    EXPECT_NEAR(16.0 / 9, shape, 0.01);
    EXPECT_EQ(std::make_pair(0, 575), PictureRows(wide, 360));
    EXPECT_EQ(std::make_pair(0, 719), PictureColumns(wide, 288));
}

TEST_F(ConvertVideoTest, PortraitPhoneClipStandsUprightBetweenSideBars)
{
    // Stored 320x180, shown 180x320 turned as the container says (the
    // ffmpeg tool shows the right half of the stored picture on top).
    convfix::Clip clip;
    clip.rotate = 90;
    if (!Make("portrait.mp4", clip))
        GTEST_SKIP() << skip;
    ConvertAndCheck(50);
    const std::vector<std::uint8_t> px = convfix::DecodeDvFileFrame(output, 10);
    ASSERT_FALSE(px.empty());
    // 9:16 in a 4:3 frame: 304 picture columns from 208.
    const auto [left, right] = PictureColumns(px, 288);
    EXPECT_NEAR(208, left, 2);
    EXPECT_NEAR(511, right, 2);
    EXPECT_EQ(std::make_pair(0, 575), PictureRows(px, 360));
    EXPECT_EQ(kBlue, At(px, 360, 100)) << "upright: the top";
    EXPECT_EQ(kRed, At(px, 360, 476)) << "upright: the bottom";
}

TEST_F(ConvertVideoTest, SixtyFramesASecondWithMono22kSound)
{
    convfix::Clip clip{160, 90, 60, 2, 0, 22050, 1};
    if (!Make("fast.mp4", clip))
        GTEST_SKIP() << skip;
    ConvertAndCheck(50);
    // Mono on both channels at its own level.
    const std::vector<std::int16_t> pcm = Sound(50);
    double left = 0;
    for (std::size_t i = 0; i + 1 < pcm.size(); i += 2) {
        left += std::abs(pcm[i]);
        ASSERT_EQ(pcm[i], pcm[i + 1]) << "sample " << i / 2;
    }
    // The tool's tone has an amplitude of 1/8: a mean level of 2/pi of it.
    const double tone = 2 / M_PI * 32767 / 8;
    EXPECT_NEAR(tone, left / (pcm.size() / 2), 0.12 * tone) << "the tone's level, not 3 dB down";
}

TEST_F(ConvertVideoTest, ClipWithoutSoundGetsSilenceThatPassesTheAudioTest)
{
    convfix::Clip clip;
    clip.audioRate = 0;
    if (!Make("mute.mkv", clip))
        GTEST_SKIP() << skip;
    ConvertAndCheck(50);
    const std::vector<std::int16_t> pcm = Sound(50);
    EXPECT_TRUE(std::all_of(pcm.begin(), pcm.end(), [](std::int16_t v) { return v == 0; }));
}

TEST_F(ConvertVideoTest, NtscDvIsNotTakenForPalAndConvertsToPal)
{
    convfix::Clip clip;
    clip.ntscDv = true;
    if (!Make("ntsc.dv", clip))
        GTEST_SKIP() << skip;
    // 30 frames of 120000 bytes: the size of 25 PAL frames.
    ASSERT_EQ(30u * 120000, std::filesystem::file_size(source));
    CClipFile file;
    std::vector<std::uint8_t> frame(kFrameBytes);
    const ClipCheck check = CheckClipFile(file, source, frame.data());
    EXPECT_EQ(kVerdictNotDv, check.verdict);
    VideoFacts facts;
    EXPECT_TRUE(IsConvertible(check, &facts));
    EXPECT_EQ(25, facts.frames);
    ConvertAndCheck(25);
    const std::vector<std::uint8_t> px = convfix::DecodeDvFileFrame(output, 0);
    EXPECT_EQ(std::make_pair(0, 575), PictureRows(px, 360)) << "4:3 fills the frame";
}

TEST_F(ConvertVideoTest, FilesThatAreNotVideoMakeNoOutput)
{
    const std::string text = dir.File("notes.mp4");
    ASSERT_TRUE(dvfix::WriteBytes(text, std::vector<std::uint8_t>(4000, 'x')));
    const std::string empty = dir.File("empty.mkv");
    ASSERT_TRUE(dvfix::WriteBytes(empty, {}));
    // Sound alone: an AVI whose video stream holds no frame.
    const std::string sound = dir.File("sound.avi");
    ASSERT_TRUE(convfix::WriteAviWithTrack(sound, {}, kFrameBytes, {48000, 2, false, 48000}));
    // Plain text, which libavformat reads as a picture of the text, and a
    // still picture.
    const std::string readme = dir.File("readme.txt");
    const std::string words = "A card utility.\n\nWrite clips onto the card, read them back.\n";
    ASSERT_TRUE(dvfix::WriteBytes(readme, std::vector<std::uint8_t>(words.begin(), words.end())));
    const std::string still = dir.File("still.png");
    CPicture picture;
    ASSERT_TRUE(picture.Create(320, 240));
    ASSERT_TRUE(SavePicturePng(picture, still));
    for (const std::string& path : {text, empty, sound, readme, still, dir.File("missing.mp4"), dir.Path()}) {
        CNullProgress progress;
        EXPECT_FALSE(ProbeVideo(path)) << path;
        EXPECT_EQ(kMediaNotVideo, ConvertVideoToDv(path, output, kDvAspect4x3, progress)) << path;
        EXPECT_FALSE(std::filesystem::exists(output)) << path;
    }
}

TEST_F(ConvertVideoTest, AbortAndAFullDiskRemoveThePartialOutput)
{
    if (!Make("phone.mp4", {}))
        GTEST_SKIP() << skip;
    CScriptedProgress progress;
    progress.abortAt = 10;
    EXPECT_EQ(kMediaAborted, ConvertVideoToDv(source, output, kDvAspect4x3, progress));
    EXPECT_EQ(10, progress.lastPosition) << "stopped at once";
    EXPECT_EQ(1, progress.ends);
    EXPECT_FALSE(std::filesystem::exists(output));

    // A file size limit stands in for a full disk.
    CNullProgress quiet;
    int rc = 0;
    {
        CFileSizeLimit full(5 * kFrameBytes);
        rc = ConvertVideoToDv(source, output, kDvAspect4x3, quiet);
    }
    EXPECT_EQ(kMediaWriteFailed, rc);
    EXPECT_FALSE(std::filesystem::exists(output));

    // The output may not name the source.
    EXPECT_EQ(kMediaFileNotCreatable, ConvertVideoToDv(source, source, kDvAspect4x3, quiet));
    EXPECT_TRUE(std::filesystem::exists(source));
}

} // namespace
