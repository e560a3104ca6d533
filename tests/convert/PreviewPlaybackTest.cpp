// Preview playback without a window: frames follow a clock the test moves,
// playback stops on the last frame and restarts from 0, the track bar moved
// to the frame shown decodes nothing, and frames that cannot be read or
// decoded leave the picture while the position moves on.
#include "CPreviewPlayback.h"
#include "ConvertFixtures.h"
#include "IndexSource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Records what the player asked the window to do; a picture is known by
// the frame number its decoder wrote into every pixel.
class CRecordingView : public IPlaybackView {
public:
    void ShowPicture(const CPicture& picture) override
    {
        ASSERT_EQ(kPlayerWidth, picture.Width());
        ASSERT_EQ(kPlayerHeight, picture.Height());
        shown.push_back(IndexOfPicture(picture));
    }
    void SetTrackPosition(int frame) override { track = frame; }
    void PlayingChanged(bool playing) override { changes.push_back(playing); }

    std::vector<int> shown;
    int track = -1;
    std::vector<bool> changes;
};

class PreviewPlaybackTest : public ::testing::Test {
protected:
    // A player over `frames` frames whose decoder writes the frame number
    // into the picture and may advance the clock (a slow decoder) or fail.
    CPreviewPlayback& Make(int frames)
    {
        source = std::make_unique<CIndexSource>(frames);
        auto decoder = [this](const std::uint8_t* frame, CPicture& picture) {
            now += decodeCostMs;
            if (decodeFails)
                return 3;
            PaintIndexPicture(frame, picture);
            return 0;
        };
        player = std::make_unique<CPreviewPlayback>(*source, view, decoder, [this] { return now; });
        return *player;
    }

    // Ticks every `stepMs` until playback stops (at most `limit` ticks);
    // returns the number of ticks.
    int TickUntilStopped(int stepMs, int limit = 1000)
    {
        int ticks = 0;
        while (player->IsPlaying() && ticks < limit) {
            now += stepMs;
            player->OnTimer();
            ++ticks;
        }
        return ticks;
    }

    std::int64_t now = 100000;
    int decodeCostMs = 0;
    bool decodeFails = false;
    CRecordingView view;
    std::unique_ptr<CIndexSource> source;
    std::unique_ptr<CPreviewPlayback> player;
};

} // namespace

TEST_F(PreviewPlaybackTest, PlaysByTheClockAndStopsOnTheLastFrame)
{
    CPreviewPlayback& p = Make(10);
    EXPECT_EQ(9, p.LastFrame());
    EXPECT_EQ(9, p.TrackMaximum());
    p.ShowFrame(0);
    EXPECT_EQ(std::vector<int>{0}, view.shown);

    p.OnPlay();
    EXPECT_TRUE(p.IsPlaying());
    EXPECT_EQ(std::vector<bool>{true}, view.changes);

    now += 39;
    p.OnTimer();
    EXPECT_EQ(0, p.CurrentFrame()) << "39 ms is not yet one frame";
    now += 86; // 125 ms since Play
    p.OnTimer();
    EXPECT_EQ(3, p.CurrentFrame());
    EXPECT_EQ(3, view.track);

    now += 1000;
    p.OnTimer();
    EXPECT_EQ(9, p.CurrentFrame()) << "capped at the last frame";
    EXPECT_EQ(9, view.track) << "the track bar ends at its maximum";
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_EQ((std::vector<bool>{true, false}), view.changes);
    EXPECT_EQ((std::vector<int>{0, 0, 3, 9}), view.shown);

    const std::size_t reads = source->reads.size();
    p.OnTimer();
    EXPECT_EQ(reads, source->reads.size()) << "a tick after the stop does nothing";
}

TEST_F(PreviewPlaybackTest, SlowDecodingSkipsFramesButKeepsTime)
{
    CPreviewPlayback& p = Make(50);
    p.ShowFrame(10);
    decodeCostMs = 130; // more than three frame periods per decode
    const std::int64_t started = now;
    p.OnPlay();
    std::vector<std::int64_t> tickAt; // time since Play when each tick began
    while (p.IsPlaying() && tickAt.size() < 1000) {
        now += 40;
        tickAt.push_back(now - started);
        p.OnTimer();
    }

    EXPECT_EQ(49, p.CurrentFrame());
    EXPECT_LT(view.shown.size(), 20u) << "fewer frames are shown on the way";
    for (std::size_t i = 1; i < view.shown.size(); ++i)
        EXPECT_LT(view.shown[i - 1], view.shown[i]);
    // The last frame comes at the first tick at which (49 - 10) * 40 ms had
    // passed since Play.
    ASSERT_GE(tickAt.size(), 2u);
    EXPECT_GE(tickAt.back(), 39 * 40);
    EXPECT_LT(tickAt[tickAt.size() - 2], 39 * 40);
}

TEST_F(PreviewPlaybackTest, PlayOnTheLastFrameStartsAgainFromZero)
{
    CPreviewPlayback& p = Make(5);
    p.ShowFrame(0);
    p.OnTrackPosition(4);
    ASSERT_EQ(4, p.CurrentFrame());
    view.shown.clear();

    p.OnPlay();
    EXPECT_EQ(0, p.CurrentFrame());
    EXPECT_EQ(std::vector<int>{0}, view.shown) << "frame 0 is shown first";
    EXPECT_EQ(0, view.track);
    now += 80;
    p.OnTimer();
    EXPECT_EQ(2, p.CurrentFrame()) << "timed from frame 0";
}

TEST_F(PreviewPlaybackTest, StopThenPlayContinuesWhereItStopped)
{
    CPreviewPlayback& p = Make(100);
    p.ShowFrame(0);
    p.OnPlay();
    now += 200;
    p.OnTimer();
    p.OnStop();
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_EQ(5, p.CurrentFrame());

    now += 5000; // time passing while stopped does not count
    p.OnPlay();
    now += 40;
    p.OnTimer();
    EXPECT_EQ(6, p.CurrentFrame());
    EXPECT_EQ((std::vector<bool>{true, false, true}), view.changes);

    p.OnPlay();
    p.OnStop();
    p.OnStop();
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), view.changes)
        << "Play while playing and Stop while stopped change nothing";
}

TEST_F(PreviewPlaybackTest, TrackBarToTheShownFrameDecodesNothing)
{
    CPreviewPlayback& p = Make(10);
    p.ShowFrame(0);
    p.OnTrackPosition(0);
    EXPECT_EQ(1, p.Decodes());
    p.OnTrackPosition(6);
    p.OnTrackPosition(6);
    EXPECT_EQ(2, p.Decodes());
    EXPECT_EQ((std::vector<int>{0, 6}), view.shown);
    EXPECT_EQ((std::vector<int>{0, 6}), source->reads);
}

TEST_F(PreviewPlaybackTest, UnreadableFramesLeaveThePictureWhilePlaybackMovesOn)
{
    CPreviewPlayback& p = Make(10);
    source->fail = {3, 4};
    p.ShowFrame(0);
    p.OnPlay();
    now += 80;
    p.OnTimer();
    now += 40;
    p.OnTimer();
    EXPECT_EQ(3, p.CurrentFrame());
    EXPECT_EQ(3, view.track);
    EXPECT_TRUE(p.IsPlaying());
    EXPECT_EQ(2, view.shown.back()) << "frame 2 stays on screen";
    EXPECT_EQ(1, p.FailedReads());

    TickUntilStopped(40);
    EXPECT_EQ(9, p.CurrentFrame());
    EXPECT_EQ(9, view.shown.back());
    EXPECT_EQ(2, p.FailedReads());
}

TEST_F(PreviewPlaybackTest, FramesThatDoNotDecodeShowNothingAndStillMove)
{
    CPreviewPlayback& p = Make(3);
    decodeFails = true;
    p.ShowFrame(0);
    p.OnTrackPosition(2);
    EXPECT_TRUE(view.shown.empty());
    EXPECT_EQ(2, p.CurrentFrame());
    EXPECT_EQ(2, p.Decodes());
}

TEST_F(PreviewPlaybackTest, SourceWithoutFramesNeverPlays)
{
    CPreviewPlayback& p = Make(0);
    EXPECT_EQ(-1, p.LastFrame());
    EXPECT_EQ(0, p.TrackMaximum());
    p.ShowFrame(0);
    EXPECT_EQ(0, p.Decodes());
    p.OnPlay();
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_TRUE(view.changes.empty());
    p.OnTimer();
    EXPECT_EQ(1u, source->reads.size());
}

TEST_F(PreviewPlaybackTest, TicksArrivingWhileAFrameIsShownAreDropped)
{
    // A card read error shows a message, whose event loop keeps delivering
    // timer ticks; they must not start a second read inside the first.
    CPreviewPlayback& p = Make(10);
    p.ShowFrame(0);
    p.OnPlay();
    int nested = 0;
    source->onRead = [&] {
        if (nested++ == 0) {
            now += 40;
            player->OnTimer();
            player->OnTrackPosition(7);
        }
    };
    now += 80;
    p.OnTimer();
    EXPECT_EQ((std::vector<int>{0, 2}), source->reads);
    EXPECT_EQ(2, p.CurrentFrame());
    EXPECT_TRUE(p.IsPlaying());
}

TEST_F(PreviewPlaybackTest, TheDefaultDecoderHalvesOnceOrLeavesThePictureAlone)
{
    std::vector<std::uint8_t> frame = convfix::MakeBarsFrame({40, 120, 200});
    ASSERT_EQ(144000u, frame.size());
    CPicture picture;
    ASSERT_EQ(0, DecodePlayerPicture(frame.data(), picture));
    EXPECT_EQ(kPlayerWidth, picture.Width());
    EXPECT_EQ(kPlayerHeight, picture.Height());

    std::vector<std::uint8_t> junk(144000, 0x5A);
    CPicture untouched;
    EXPECT_NE(0, DecodePlayerPicture(junk.data(), untouched));
    EXPECT_TRUE(untouched.IsEmpty());
}
