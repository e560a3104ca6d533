// Saving a clip as a raw DV file: the bytes, aborts, failed card reads and
// a full disk.
#include "CDisk.h"
#include "ClipExport.h"
#include "DvFixtures.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class ClipExportTest : public ::testing::Test {
protected:
    // The clip of slot 3: 75 frames of pattern 5 from cluster 40.
    void SetUp() override
    {
        state = MakeTaggedCard({120, {{0, 0, 10, 1}, {1, 10, 10, 2}, {2, 20, 10, 3}, {3, 40, 75, 5}}});
        ASSERT_NE(nullptr, state);
        disk.SetInteraction(&ui);
        ASSERT_TRUE(Reopen(state, disk));
    }

    bool FileHoldsFrames(const std::string& path, int frames)
    {
        const std::vector<std::uint8_t> bytes = dvfix::ReadBytes(path);
        if (bytes.size() != 144000u * static_cast<std::size_t>(frames))
            return false;
        for (int f = 0; f < frames; ++f) {
            if (!IsPatternFrame(bytes.data() + 144000ull * f, 5, f))
                return false;
        }
        return true;
    }

    std::shared_ptr<MemoryDeviceState> state;
    CScriptedInteraction ui;
    CScriptedProgress progress;
    CDisk disk;
    CTempDir dir;
};

TEST_F(ClipExportTest, WholeClipIsItsFramesWithoutTheClusterTails)
{
    const std::string path = dir.File("out.dv");
    int controls = 0;
    ExportReport report;
    EXPECT_EQ(kExportDone, ExportClip(disk, 3, path, progress, [&] { ++controls; }, &report));
    EXPECT_EQ(75, report.framesWritten);
    EXPECT_TRUE(FileHoldsFrames(path, 75)) << "10,800,000 bytes, frame by frame";
    EXPECT_EQ(std::vector<int>{76}, progress.ranges);
    EXPECT_EQ(75, progress.lastPosition);
    EXPECT_EQ(1, controls);
    EXPECT_TRUE(ui.Shown().empty()) << "no completion message";

    EXPECT_EQ(kExportNothing, ExportClip(disk, 4, path, progress)) << "empty slot";
    EXPECT_TRUE(FileHoldsFrames(path, 75)) << "an empty slot does not touch the file";
}

TEST_F(ClipExportTest, AbortAndReadFailuresLeaveWholeFramesOnly)
{
    const std::string path = dir.File("out.dv");
    progress.abortAt = 30;
    ExportReport report;
    EXPECT_EQ(kExportAborted, ExportClip(disk, 3, path, progress, {}, &report));
    EXPECT_EQ(30, report.framesWritten);
    EXPECT_TRUE(FileHoldsFrames(path, 30));
    EXPECT_EQ(kIdsOperationAborted, ui.Shown().back().id);
    EXPECT_EQ(1, progress.ends);

    progress.abortAt = -1;
    state->failRead = state->reads + 11;
    EXPECT_EQ(kExportAborted, ExportClip(disk, 3, path, progress, {}, &report));
    EXPECT_EQ(10, report.framesWritten);
    EXPECT_TRUE(FileHoldsFrames(path, 10));
    EXPECT_EQ(1, ui.Count(kIdsCardAccessError));
}

TEST_F(ClipExportTest, UncreatableOrFullOutputEndsCleanly)
{
    const std::string missing = dir.File("no/such/folder/out.dv");
    EXPECT_EQ(kExportCannotCreate, ExportClip(disk, 3, missing, progress));
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsCannotOpenFile, ui.Shown()[0].id);
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find(missing));
    EXPECT_TRUE(progress.ranges.empty()) << "nothing began";

    // A full disk: the second frame does not fit.
    ExportReport report;
    {
        CFileSizeLimit full(200000);
        EXPECT_EQ(kExportAborted, ExportClip(disk, 3, dir.File("full.dv"), progress, {}, &report));
    }
    EXPECT_EQ(1, report.framesWritten);
    EXPECT_TRUE(FileHoldsFrames(dir.File("full.dv"), 1)) << "cut back to the whole frame";
    EXPECT_EQ(1, progress.ends);
    EXPECT_FALSE(progress.running);
    EXPECT_EQ(kIdsOperationAborted, ui.Shown().back().id);
}

TEST_F(ClipExportTest, DevicesPipesAndFoldersAreRefusedBeforeAnythingIsOpened)
{
    // A pipe opened for writing would wait for a reader, a device would
    // take the frames; a link leads to what it names.
    const std::string pipe = dir.File("pipe");
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    const std::string link = dir.File("link.dv");
    ASSERT_EQ(0, ::symlink("/dev/null", link.c_str()));
    for (const std::string& path : {std::string("/dev/null"), std::string("/dev/full"), pipe, link, dir.Path()}) {
        SCOPED_TRACE(path);
        ui.Reset();
        const int readsBefore = state->reads;
        EXPECT_FALSE(IsExportTarget(path));
        EXPECT_EQ(kExportCannotCreate, ExportClip(disk, 3, path, progress));
        ASSERT_EQ(1u, ui.Shown().size());
        EXPECT_EQ(kIdsExportNotAFile, ui.Shown()[0].id);
        EXPECT_NE(std::string::npos, ui.Shown()[0].text.find(path));
        EXPECT_EQ(readsBefore, state->reads);
    }
    EXPECT_TRUE(progress.ranges.empty()) << "nothing began";
    EXPECT_TRUE(IsExportTarget(dir.File("new.dv")));
}

TEST_F(ClipExportTest, TheProposedFileNameStaysInTheFolderItIsSavedTo)
{
    const std::vector<std::pair<std::string, std::string>> names = {
        {"PARIS", "PARIS"}, {"../etc", ".._etc"}, {"a/b\tc", "a_b_c"}, {"..", ""}, {".", ""}, {"", ""},
    };
    for (const auto& [name, proposed] : names) {
        const ClipRecord& clip = disk.Clips()[3];
        ASSERT_TRUE(disk.RecordClip(3, name, clip.frames, clip.firstSector).Done());
        EXPECT_EQ(proposed, ExportFileName(disk, 3)) << name;
    }
}

} // namespace
