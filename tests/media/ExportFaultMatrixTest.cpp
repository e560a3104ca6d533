// Device faults while a clip is exported to a raw DV file: the first, a
// middle and the last cluster read failing, the card vanishing half-way, a
// full disk on the PC side and an output file that cannot be made. Each run
// must end with the documented messages (the card's access message at most
// once per opening, then "Operation aborted."), a file of whole frames that
// are exactly the clip's first frames, and the card untouched. One line
// reports the faults injected and held.
#include "ClipExport.h"
#include "DvFixtures.h"
#include "FaultMatrix.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const FaultMatrixName kExportMatrix{"clip export",
                                    "each ended \"Operation aborted.\" after at most one card message, the file cut "
                                    "back to the clip's whole first frames, the card untouched"};

class ExportFaults : public ::testing::Test {
protected:
    // c1 (12 frames) at cluster 2 in slot 0, c2 after it.
    void SetUp() override
    {
        base = MakeTaggedCard({30, {{0, 2, 12, 1}, {1, 20, 5, 2}}});
        ASSERT_NE(nullptr, base);
    }

    // Exports slot 0 of a copy of the card to `path`, `fault` (null: none)
    // armed.
    int Export(const std::string& path, const DeviceFault* fault)
    {
        run = std::make_unique<FaultRun>();
        controlChanges = 0;
        RunOnCopy(*run, *base, fault, [&](FaultRun& r) {
            return ExportClip(r.disk, 0, path, r.progress, [this] { ++controlChanges; }, &report);
        });
        return run->result;
    }

    // The file holds exactly the clip's first `frames` frames.
    ::testing::AssertionResult HoldsFirstFrames(const std::string& path, int frames) const
    {
        const std::vector<std::uint8_t> bytes = dvfix::ReadBytes(path);
        if (bytes.size() != static_cast<std::size_t>(frames) * kFrameSize)
            return ::testing::AssertionFailure() << "file of " << bytes.size() << " bytes, not " << frames << " frames";
        for (int f = 0; f < frames; ++f) {
            if (!IsPatternFrame(bytes.data() + static_cast<std::size_t>(f) * kFrameSize, 1, f))
                return ::testing::AssertionFailure() << "frame " << f << " differs";
        }
        return ::testing::AssertionSuccess();
    }

    bool CardUntouched() const { return run->counts.writes == 0 && run->card->bytes == base->bytes; }

    std::shared_ptr<MemoryDeviceState> base;
    std::unique_ptr<FaultRun> run;
    ExportReport report;
    int controlChanges = 0;
    CTempDir dir;
};

TEST_F(ExportFaults, EveryFaultLeavesWholeFramesOnlyAndOneCardMessage)
{
    const std::string path = dir.File("clip.dv");
    ASSERT_EQ(kExportDone, Export(path, nullptr));
    ASSERT_TRUE(run->Messages().empty());
    ASSERT_TRUE(HoldsFirstFrames(path, 12));
    ASSERT_EQ(12, run->counts.reads);
    ASSERT_EQ(0, run->counts.writes + run->counts.flushes);

    for (const DeviceFault& fault : StandardFaults(TransferCounts{12, 0, 0})) {
        SCOPED_TRACE(fault.name);
        const CFaultScenario scenario(kExportMatrix);
        EXPECT_EQ(kExportAborted, Export(path, &fault));
        EXPECT_EQ((std::vector<int>{kIdsCardAccessError, kIdsOperationAborted}), run->Messages());
        const int whole = fault.failRead > 0 ? fault.failRead - 1 : fault.vanishAfter;
        EXPECT_EQ(whole, report.framesWritten);
        EXPECT_TRUE(HoldsFirstFrames(path, whole));
        EXPECT_TRUE(CardUntouched());
        EXPECT_FALSE(run->progress.running);
        EXPECT_EQ(2, controlChanges) << "controls updated when the progress began and after it ended";
    }

    // A second failing export in the same opening shows no second card
    // message, only its own closing one.
    {
        SCOPED_TRACE("second failure in the same opening");
        const CFaultScenario scenario(kExportMatrix);
        DeviceFault fault;
        fault.failRead = 3;
        EXPECT_EQ(kExportAborted, Export(path, &fault));
        run->card->vanished = true;
        EXPECT_EQ(kExportAborted, ExportClip(run->disk, 0, path, run->progress, {}, &report));
        EXPECT_EQ((std::vector<int>{kIdsCardAccessError, kIdsOperationAborted, kIdsOperationAborted}), run->Messages());
        EXPECT_TRUE(HoldsFirstFrames(path, 0));
    }

    // A full disk on the PC side: no card message, the export aborted.
    {
        SCOPED_TRACE("output disk full");
        const CFaultScenario scenario(kExportMatrix);
        {
            CFileSizeLimit full(0);
            EXPECT_EQ(kExportAborted, Export(dir.File("full.dv"), nullptr));
        }
        EXPECT_EQ(std::vector<int>{kIdsOperationAborted}, run->Messages());
        EXPECT_EQ(0, report.framesWritten);
        EXPECT_EQ(1, run->counts.reads) << "the export stops at the first frame it cannot write";
        EXPECT_TRUE(CardUntouched());
    }

    // An output file that cannot be made: its message, nothing read.
    {
        SCOPED_TRACE("output file cannot be created");
        const CFaultScenario scenario(kExportMatrix);
        EXPECT_EQ(kExportCannotCreate, Export(dir.File("no-such-folder/clip.dv"), nullptr));
        EXPECT_EQ(std::vector<int>{kIdsCannotOpenFile}, run->Messages());
        EXPECT_EQ(0, run->counts.reads);
    }
}

} // namespace
