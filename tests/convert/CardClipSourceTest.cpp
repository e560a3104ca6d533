// A clip on the card as a frame source: its frames come from consecutive
// clusters into a buffer of one frame, nothing is read outside the clip,
// and a failed read is reported once by the card.
#include "CCardClipSource.h"
#include "CardLayout.h"
#include "ScriptedInteraction.h"
#include "TaggedCard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

class CardClipSourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Slot 5: four frames of pattern 9 in clusters 3 to 6, named in
        // Cyrillic, between one-frame clips.
        state = MakeTaggedCard({12,
                                {{0, 0, 1, 1}, {1, 1, 1, 2}, {2, 2, 1, 3}, {3, 7, 1, 4}, {4, 8, 1, 5},
                                 {5, 3, 4, 9, "\xCA\xEB\xE8\xEF"}}});
        ASSERT_NE(nullptr, state);
        disk.SetInteraction(&ui);
        ASSERT_TRUE(Reopen(state, disk));
        state->reads = 0;
    }

    std::shared_ptr<MemoryDeviceState> state;
    CScriptedInteraction ui;
    CDisk disk;
};

} // namespace

TEST_F(CardClipSourceTest, FramesComeFromTheClipsClustersInOrder)
{
    CCardClipSource source(disk, 5);
    EXPECT_EQ(4, source.FrameCount());
    EXPECT_EQ("Клип", source.SourcePath());
    // Exactly one frame of room: the cluster's tail must not spill over.
    std::vector<std::uint8_t> frame(kFrameSize);
    for (int f = 3; f >= 0; --f) {
        ASSERT_EQ(1, source.ReadFrame(f, frame.data())) << f;
        EXPECT_TRUE(IsPatternFrame(frame.data(), 9, f)) << f;
    }
    EXPECT_EQ(4, state->reads);
}

TEST_F(CardClipSourceTest, NothingIsReadOutsideTheClip)
{
    CCardClipSource source(disk, 5);
    std::vector<std::uint8_t> frame(kFrameSize, 0xEE);
    EXPECT_EQ(0, source.ReadFrame(4, frame.data()));
    EXPECT_EQ(0, source.ReadFrame(-1, frame.data()));
    EXPECT_EQ(0, source.ReadFrame(0, nullptr));
    EXPECT_EQ(0, state->reads);
    EXPECT_EQ(0xEE, frame[0]);
    EXPECT_EQ(0, ui.Count(kIdsCardAccessError));

    EXPECT_EQ(0, CCardClipSource(disk, 6).FrameCount()) << "empty slot";
    EXPECT_EQ(0, CCardClipSource(disk, -1).FrameCount());
    EXPECT_EQ(0, CCardClipSource(disk, kSlotCount).FrameCount());
    CDisk closed;
    CCardClipSource none(closed, 5);
    EXPECT_EQ(0, none.FrameCount());
    EXPECT_EQ(0, none.ReadFrame(0, frame.data()));
}

TEST_F(CardClipSourceTest, AFailedReadIsReportedOnceAndLaterFramesStillRead)
{
    CCardClipSource source(disk, 5);
    std::vector<std::uint8_t> frame(kFrameSize);
    state->failRead = 2;
    EXPECT_EQ(1, source.ReadFrame(0, frame.data()));
    EXPECT_EQ(0, source.ReadFrame(1, frame.data()));
    EXPECT_EQ(1, source.ReadFrame(2, frame.data()));
    EXPECT_TRUE(IsPatternFrame(frame.data(), 9, 2));

    state->vanished = true;
    EXPECT_EQ(0, source.ReadFrame(3, frame.data()));
    EXPECT_EQ(1, ui.Count(kIdsCardAccessError)) << "the card shows its access error once";
}
