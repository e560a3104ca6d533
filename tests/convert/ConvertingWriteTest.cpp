// Writing a file that needs converting straight onto the card: Abort and a
// failure part-way record nothing, leave the card's tables as they were and
// stop the conversion, which never runs far ahead of the card.
#include "CFrameQueue.h"
#include "ConvertFixtures.h"
#include "ConvertingWrite.h"
#include "MediaResult.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class ConvertingWriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Eight seconds at 30 frames a second: 200 DV frames.
        convfix::Clip clip;
        clip.seconds = 8;
        source = dir.File("phone.mp4");
        skip = convfix::MakeClip(source, clip);
        card = MakeTaggedCard(TaggedCardLayout{400, {{0, 0, 100, 1}}});
        ASSERT_NE(nullptr, card);
        disk.SetInteraction(&ui);
        ASSERT_TRUE(Reopen(card, disk));
        fat.assign(card->bytes.begin(), card->bytes.begin() + 5120);
    }

    // The card's tables as a fresh opening reads them, and its FAT area.
    void ExpectTablesAsBefore()
    {
        CDisk again;
        ASSERT_TRUE(Reopen(card, again));
        EXPECT_EQ(TableSnapshot(disk), TableSnapshot(again));
        EXPECT_EQ(0, again.Clips()[1].frames);
        EXPECT_TRUE(std::equal(fat.begin(), fat.end(), card->bytes.begin()));
    }

    CTempDir dir;
    std::string source;
    std::string skip;
    std::shared_ptr<MemoryDeviceState> card;
    std::vector<std::uint8_t> fat;
    CScriptedInteraction ui;
    CDisk disk;
};

TEST_F(ConvertingWriteTest, AbortOrAFailurePartWayRecordsNothingAndStopsTheConversion)
{
    if (!skip.empty())
        GTEST_SKIP() << skip;
    ConvertingWriteOptions options;
    options.keepPath = dir.File("kept.dv");
    CScriptedProgress progress;
    progress.abortAt = 60;
    ConvertingWriteReport report;
    EXPECT_EQ(kWriteAborted, WriteConvertedClip(disk, -1, source, options, progress, nullptr, &report));
    EXPECT_EQ(kIdsOperationAborted, ui.Shown().back().id);
    ExpectTablesAsBefore();
    // The conversion stopped with the writer: no further than the frames
    // waiting in the queue, and its copy is gone.
    EXPECT_EQ(200, report.conversion.expected);
    EXPECT_LE(report.conversion.converted, 60 + CFrameQueue::kDefaultFrames + 2);
    EXPECT_EQ(kMediaDone, report.conversionResult) << "stopped by the writer, not failed";
    EXPECT_FALSE(std::filesystem::exists(options.keepPath));

    // A stage that fails (the copy cannot be created) ends the write with
    // its message, nothing recorded.
    ui.Reset();
    CScriptedProgress plain;
    options.keepPath = dir.File("missing/kept.dv");
    EXPECT_EQ(kWriteAborted, WriteConvertedClip(disk, -1, source, options, plain, nullptr, &report));
    EXPECT_EQ(kMediaFileNotCreatable, report.conversionResult);
    EXPECT_EQ(kIdsCannotOpenFile, ui.Shown().back().id);
    ExpectTablesAsBefore();
}

} // namespace
