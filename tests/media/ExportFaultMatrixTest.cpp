// Device faults while a clip is exported to a raw DV file: the first, a
// middle and the last cluster read failing, the card vanishing half-way, a
// full disk on the PC side and an output file that cannot be made. Each run
// must end with the documented messages (the card's access message at most
// once per opening, then "Operation aborted."), a file of whole frames that
// are exactly the clip's first frames, and the card untouched. One line
// reports the faults injected and held.
#include "ClipExport.h"
#include "DeviceFaults.h"
#include "DvFixtures.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class ExportFaults : public ::testing::Test {
protected:
    // c1 (12 frames) at cluster 2 in slot 0, c2 after it.
    void SetUp() override
    {
        layout.clusters = 30;
        layout.clips = {{0, 2, 12, 1}, {1, 20, 5, 2}};
        base = MakeTaggedCard(layout);
        ASSERT_NE(nullptr, base);
    }

    // Opens a copy of the card, arms `fault` (null: none) and exports slot
    // 0 to `path`.
    int Export(const std::string& path, const DeviceFault* fault)
    {
        card = CopyCard(*base);
        ui.Reset();
        disk.SetInteraction(&ui);
        EXPECT_TRUE(Reopen(card, disk));
        const TransferCounts before = CountsOf(*card);
        if (fault != nullptr)
            fault->Arm(*card, before.Calls());
        controlChanges = 0;
        const int result = ExportClip(disk, 0, path, progress, [this] { ++controlChanges; }, &report);
        counts = CountsSince(*card, before);
        return result;
    }

    std::vector<int> Messages() const
    {
        std::vector<int> ids;
        for (const ShownMessage& m : ui.Shown())
            ids.push_back(m.id);
        return ids;
    }

    // The file holds exactly the clip's first `frames` frames.
    ::testing::AssertionResult HoldsFirstFrames(const std::string& path, int frames) const
    {
        const std::vector<std::uint8_t> bytes = dvfix::ReadBytes(path);
        if (bytes.size() != static_cast<std::size_t>(frames) * kFrameSize)
            return ::testing::AssertionFailure() << "file of " << bytes.size() << " bytes, not " << frames << " frames";
        for (int f = 0; f < frames; ++f) {
            if (std::memcmp(bytes.data() + static_cast<std::size_t>(f) * kFrameSize, PatternFrame(1, f), kFrameSize) != 0)
                return ::testing::AssertionFailure() << "frame " << f << " differs";
        }
        return ::testing::AssertionSuccess();
    }

    bool CardUntouched() const { return counts.writes == 0 && card->bytes == base->bytes; }

    TaggedCardLayout layout;
    std::shared_ptr<MemoryDeviceState> base;
    std::shared_ptr<MemoryDeviceState> card;
    CScriptedInteraction ui;
    CScriptedProgress progress;
    CDisk disk;
    ExportReport report;
    TransferCounts counts;
    int controlChanges = 0;
    CTempDir dir;
};

int FailuresSoFar() { return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count(); }

TEST_F(ExportFaults, EveryFaultLeavesWholeFramesOnlyAndOneCardMessage)
{
    const std::string path = dir.File("clip.dv");
    ASSERT_EQ(kExportDone, Export(path, nullptr));
    ASSERT_TRUE(Messages().empty());
    ASSERT_TRUE(HoldsFirstFrames(path, 12));
    ASSERT_EQ(12, counts.reads);
    ASSERT_EQ(0, counts.writes + counts.flushes);

    int injected = 0;
    int held = 0;
    for (const DeviceFault& fault : StandardFaults(TransferCounts{12, 0, 0})) {
        SCOPED_TRACE(fault.name);
        const int failures = FailuresSoFar();
        ++injected;
        EXPECT_EQ(kExportAborted, Export(path, &fault));
        EXPECT_EQ((std::vector<int>{kIdsCardAccessError, kIdsOperationAborted}), Messages());
        const int whole = fault.failRead > 0 ? fault.failRead - 1 : fault.vanishAfter;
        EXPECT_EQ(whole, report.framesWritten);
        EXPECT_TRUE(HoldsFirstFrames(path, whole));
        EXPECT_TRUE(CardUntouched());
        EXPECT_FALSE(progress.running);
        EXPECT_EQ(2, controlChanges) << "controls updated when the progress began and after it ended";
        held += FailuresSoFar() == failures ? 1 : 0;
    }

    // A second failing export in the same opening shows no second card
    // message, only its own closing one.
    {
        SCOPED_TRACE("second failure in the same opening");
        const int failures = FailuresSoFar();
        ++injected;
        DeviceFault fault;
        fault.failRead = 3;
        EXPECT_EQ(kExportAborted, Export(path, &fault));
        card->vanished = true;
        EXPECT_EQ(kExportAborted, ExportClip(disk, 0, path, progress, {}, &report));
        EXPECT_EQ((std::vector<int>{kIdsCardAccessError, kIdsOperationAborted, kIdsOperationAborted}), Messages());
        EXPECT_TRUE(HoldsFirstFrames(path, 0));
        held += FailuresSoFar() == failures ? 1 : 0;
    }

    // A full disk on the PC side: no card message, the export aborted.
    {
        SCOPED_TRACE("output disk full");
        const int failures = FailuresSoFar();
        ++injected;
        {
            CFileSizeLimit full(0);
            EXPECT_EQ(kExportAborted, Export(dir.File("full.dv"), nullptr));
        }
        EXPECT_EQ(std::vector<int>{kIdsOperationAborted}, Messages());
        EXPECT_EQ(0, report.framesWritten);
        EXPECT_EQ(1, counts.reads) << "the export stops at the first frame it cannot write";
        EXPECT_TRUE(CardUntouched());
        held += FailuresSoFar() == failures ? 1 : 0;
    }

    // An output file that cannot be made: its message, nothing read.
    {
        SCOPED_TRACE("output file cannot be created");
        const int failures = FailuresSoFar();
        ++injected;
        EXPECT_EQ(kExportCannotCreate, Export(dir.File("no-such-folder/clip.dv"), nullptr));
        EXPECT_EQ(std::vector<int>{kIdsCannotOpenFile}, Messages());
        EXPECT_EQ(0, counts.reads);
        held += FailuresSoFar() == failures ? 1 : 0;
    }
    EXPECT_EQ(injected, held);
    std::printf("reliability: fault matrix, clip export: %d faults injected, %d held (each ended \"Operation "
                "aborted.\" after at most one card message, the file cut back to the clip's whole first frames, "
                "the card untouched)\n",
                injected, held);
    std::fflush(stdout);
}

} // namespace
