// Lost clips found again: the table history kept before every table write,
// earlier tables put back while their clips are whole, and runs of DV
// frames found in the clusters no clip covers and recorded as new clips.
// Only the table is ever written, and only after a Yes.
#include "DvFixtures.h"
#include "FormatFlow.h"
#include "LoadedCard.h"
#include "RecoverFlow.h"
#include "RunFinder.h"
#include "StateFolder.h"
#include "TableHistory.h"
#include "TempDir.h"
#include "TestEnvironment.h"

#include <cstring>
#include <fstream>

namespace {

constexpr int kRecoveryClusters = 400;

std::shared_ptr<const std::vector<std::uint8_t>> Recording(int frames, const dvfix::DvStamp& stamp)
{
    return std::make_shared<const std::vector<std::uint8_t>>(dvfix::MakeStampedDvFrames(frames, stamp));
}

class Recovery : public LoadedCard {
protected:
    // A card of DV recordings whose table is kept in a history of its own.
    void LoadRecordings(const std::vector<TaggedClip>& clips, const std::vector<TaggedPlaylist>& playlists = {})
    {
        for (const TaggedClip& c : clips)
            ASSERT_TRUE(c.dv && !c.dv->empty());
        Load(TaggedCardLayout{kRecoveryClusters, clips, playlists});
        CardIdentity id;
        id.path = "/cards/recovery.img";
        id.image = true;
        id.sizeBytes = state->bytes.size();
        disk.SetIdentity(id);
    }
    std::vector<FoundRun> Runs()
    {
        std::vector<FoundRun> runs;
        EXPECT_TRUE(FindFrameRuns(disk, runs));
        return runs;
    }
    // Every read since the counters were reset began at a cluster's first
    // sector or at its audio pack's, and there were at most `most`.
    void ExpectOnlyClusterHeadsRead(std::size_t most) const
    {
        EXPECT_LE(state->readOffsets.size(), most);
        for (std::uint64_t off : state->readOffsets) {
            const std::uint64_t in = (off - kFatSize) % kClusterSize;
            EXPECT_TRUE(off >= static_cast<std::uint64_t>(kFatSize) && (in == 0 || in == kAudioPackSector * 512u)) << off;
        }
    }

    CTempDir home;
    CScopedEnv stateHome{"XDG_STATE_HOME", home.Path()};
};

TEST_F(Recovery, AFormattedCardGetsItsTableBackOrItsClipsAsFoundRuns)
{
    const auto first = Recording(100, {"10:00:00:00", "2026-12-09T14:02:03Z"});
    const auto second = Recording(90, {"11:00:00:00", "2026-12-09T15:30:00Z", false, 48000, 500});
    LoadRecordings({{0, 0, 100, 1, "beach", {}, 0, first}, {1, 150, 90, 2, "hill", {}, 0, second}},
                   {{{0, 1}, true}, {{1}}});
    const std::vector<std::uint8_t> table = Bytes(0, kFatSize);

    ui.Answer(kIdsAskFormatCard, kIdYes);
    ASSERT_EQ(kFormatDone, FormatCard(disk, ui, "CARD1"));
    std::vector<EarlierTable> tables = EarlierTables(disk);
    ASSERT_EQ(1u, tables.size());
    EXPECT_TRUE(tables[0].Whole());
    EXPECT_EQ(kTableFormat, tables[0].kept.operation);
    EXPECT_EQ(0u, EarlierTableText(tables[0]).find("before Format, 20")) << EarlierTableText(tables[0]);
    EXPECT_NE(std::string::npos, EarlierTableText(tables[0]).find(": 2 clips, 2 playlists"));

    // No: nothing written.
    state->writeOffsets.clear();
    EXPECT_EQ(kRecoverNotDone, PutBackEarlierTable(disk, ui, tables[0], false));
    EXPECT_TRUE(state->writeOffsets.empty());
    ui.Answer(kIdsRecoverAskTable, kIdYes);
    EXPECT_EQ(kRecoverDone, PutBackEarlierTable(disk, ui, tables[0], false));
    EXPECT_EQ(table, Bytes(0, kFatSize)) << "the table as it was, byte for byte";
    ExpectOnlyFatWritten();
    EXPECT_EQ(2u, Reread().Playlists()[0].entries.size());

    // Formatted again: the runs give every clip back with its exact frames.
    ui.Answer(kIdsAskFormatCard, kIdYes);
    ASSERT_EQ(kFormatDone, FormatCard(disk, ui, "CARD1"));
    state->readOffsets.clear();
    const std::vector<FoundRun> runs = Runs();
    ExpectOnlyClusterHeadsRead(kRecoveryClusters + 10);
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(0u, runs[0].firstCluster);
    EXPECT_EQ(100, runs[0].frames);
    EXPECT_EQ(150u, runs[1].firstCluster);
    EXPECT_EQ(90, runs[1].frames);
    EXPECT_EQ(11 * 3600 * 25, runs[1].head.timecode);
    EXPECT_EQ(15, runs[1].head.hour);
    EXPECT_EQ(30, runs[1].head.minute);
    ui.Answer(kIdsRecoverAskRuns, kIdYes);
    EXPECT_EQ(kRecoverDone, RecordFoundRuns(disk, ui, runs));
    ExpectOnlyFatWritten();
    const CDisk& back = Reread();
    EXPECT_EQ(std::string("REC01"), std::string(back.Clips()[0].name, 5));
    EXPECT_EQ(100, back.Clips()[0].frames);
    EXPECT_EQ(CDisk::SectorOfCluster(0), back.Clips()[0].firstSector);
    EXPECT_EQ(std::string("REC02"), std::string(back.Clips()[1].name, 5));
    EXPECT_EQ(CDisk::SectorOfCluster(150), back.Clips()[1].firstSector);
    EXPECT_EQ(90, back.Clips()[1].frames);
    EXPECT_TRUE(Runs().empty()) << "recorded runs are covered by the table now";
}

TEST_F(Recovery, AClipWrittenOverADeletedOneMakesItsTableNotWhole)
{
    const auto old = Recording(200, {"09:00:00:00", "2026-12-01T09:00:00Z"});
    LoadRecordings({{0, 0, 200, 1, "old", {}, 0, old}});
    ui.Answer(kIdsAskDeleteClip, kIdYes);
    ASSERT_EQ(1, disk.DeleteClip(0));

    CTaggedSource shorter(100, 2);
    CScriptedProgress progress;
    ASSERT_EQ(kWriteDone, WriteClip(disk, 0, shorter, progress));
    ASSERT_EQ(0u, CDisk::ClusterOfSector(disk.Clips()[0].firstSector));

    const std::vector<EarlierTable> tables = EarlierTables(disk);
    ASSERT_EQ(1u, tables.size()) << "before the delete; the empty table before the write is not kept";
    const EarlierTable& beforeDelete = tables[0];
    EXPECT_EQ(kTableDeleteClip, beforeDelete.kept.operation);
    ASSERT_FALSE(beforeDelete.Whole());
    EXPECT_EQ(std::vector<int>{0}, beforeDelete.brokenSlots);
    const std::vector<std::uint8_t> table = Bytes(0, kFatSize);
    ui.AlwaysAnswer(kIdsRecoverAskTable, kIdYes);
    EXPECT_EQ(kRecoverRefused, PutBackEarlierTable(disk, ui, beforeDelete, false));
    EXPECT_EQ(table, Bytes(0, kFatSize));
    EXPECT_EQ(1, ui.Count(kIdsRecoverNotWhole));

    // What is left of the old clip is found past the new one.
    const std::vector<FoundRun> runs = Runs();
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(100u, runs[0].firstCluster);
    EXPECT_EQ(100, runs[0].frames);
    EXPECT_EQ((9 * 3600 + 4) * 25, runs[0].head.timecode) << "the timecode of frame 100";
}

TEST_F(Recovery, AClipWrittenInPlaceOfADeletedOneOfTheSameLengthKeepsItsOwnDigests)
{
    const auto old = Recording(80, {"09:00:00:00", "2026-12-01T09:00:00Z"});
    LoadRecordings({{0, 0, 80, 1, "old", {}, 0, old}});
    ui.Answer(kIdsAskDeleteClip, kIdYes);
    ASSERT_EQ(1, disk.DeleteClip(0));
    CTaggedSource same(80, 2);
    CScriptedProgress progress;
    ASSERT_EQ(kWriteDone, WriteClip(disk, 0, same, progress));
    ASSERT_EQ(CDisk::SectorOfCluster(0), disk.Clips()[0].firstSector) << "the old clip's run exactly";
    ASSERT_TRUE(disk.InsertEntry(0, 0).Stored());

    const std::vector<EarlierTable> tables = EarlierTables(disk);
    ASSERT_EQ(2u, tables.size());
    EXPECT_EQ(kTablePlaylistEdit, tables[0].kept.operation);
    EXPECT_TRUE(tables[0].Whole()) << "the new clip's frames, not the deleted one's";
    EXPECT_FALSE(tables[1].Whole());
}

TEST_F(Recovery, RunsEndWhereTheRecordingDateOrTheShapeChangesAndCardsWithGarbageTables)
{
    // One continuous timecode over three recordings: the second an hour
    // later, the third on the same date in 16:9. Then a stray frame.
    const auto a = Recording(80, {"10:00:00:00", "2026-12-09T14:00:00Z"});
    const auto b = Recording(80, {"10:00:03:05", "2026-12-09T15:00:00Z", false, 48000, 80});
    const auto c = Recording(80, {"10:00:06:10", "2026-12-09T15:00:00Z", true, 48000, 160});
    LoadRecordings({{0, 10, 80, 1, "a", {}, 0, a}, {1, 90, 80, 2, "b", {}, 0, b}, {2, 170, 80, 3, "c", {}, 0, c},
                    {3, 300, 5, 4, "d", {}, 0, a, 40}},
                   {});
    // Garbage in the table: nothing loads.
    for (int i = 0; i < kFatSize; ++i)
        state->bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + 200);
    const std::vector<std::uint8_t> garbage = Bytes(0, kFatSize);
    ASSERT_FALSE(disk.ReadFAT());

    const std::vector<FoundRun> runs = Runs();
    ASSERT_EQ(4u, runs.size());
    const std::uint32_t starts[] = {10, 90, 170, 300};
    const int lengths[] = {80, 80, 80, 5};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(starts[i], runs[i].firstCluster) << i;
        EXPECT_EQ(lengths[i], runs[i].frames) << i;
    }
    EXPECT_TRUE(runs[2].head.wide);
    EXPECT_FALSE(runs[1].head.wide);
    EXPECT_FALSE(runs[3].LongEnough());
    EXPECT_TRUE(runs[0].LongEnough());

    ui.Answer(kIdsRecoverAskRuns, kIdYes);
    ASSERT_EQ(kRecoverDone, RecordFoundRuns(disk, ui, {runs[0], runs[1], runs[2]}));
    EXPECT_TRUE(Reread().IsLoaded());
    EXPECT_EQ(3, static_cast<int>(std::count_if(reread->Clips().begin(), reread->Clips().end(),
                                                [](const ClipRecord& r) { return r.frames == 80; })));
    // The damaged table went into the history before it was replaced.
    const std::vector<KeptTable> kept = LoadHistory(CardStateFolder(disk.Identity(), false));
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ(garbage, kept[0].fat);
}

TEST_F(Recovery, ALongRecordingIsFollowedWithFewReadsAndEveryRunStillEndsExactly)
{
    // 300 frames, then 20 whose timecode jumps, then 70 whose clock stands
    // still (every frame's VAUX blocks as the first one's): such a clock
    // does not keep to the frames, so its frames are followed one by one.
    const auto a = Recording(300, {"10:00:00:00", "2026-12-09T14:00:00Z"});
    const auto b = Recording(20, {"12:00:00:00", "2026-12-09T14:00:12Z", false, 48000, 300});
    auto frozen = dvfix::MakeStampedDvFrames(70, {"13:00:00:00", "2026-12-09T16:00:00Z", false, 48000, 320});
    ASSERT_FALSE(frozen.empty());
    constexpr std::size_t kVaux = 3 * 80;
    for (std::size_t f = 1; f < 70; ++f)
        std::copy(frozen.begin() + kVaux, frozen.begin() + 6 * 80,
                  frozen.begin() + static_cast<std::ptrdiff_t>(f * kFrameSize + kVaux));
    const auto c = std::make_shared<const std::vector<std::uint8_t>>(std::move(frozen));
    LoadRecordings({{0, 5, 300, 1, "a", {}, 0, a}, {1, 305, 20, 2, "b", {}, 0, b}, {2, 325, 70, 3, "c", {}, 0, c}});
    ui.Answer(kIdsAskFormatCard, kIdYes);
    ASSERT_EQ(kFormatDone, FormatCard(disk, ui, "CARD1"));

    state->readOffsets.clear();
    const std::vector<FoundRun> runs = Runs();
    ASSERT_EQ(3u, runs.size());
    const std::uint32_t starts[] = {5, 305, 325};
    const int lengths[] = {300, 20, 70};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(starts[i], runs[i].firstCluster) << i;
        EXPECT_EQ(lengths[i], runs[i].frames) << i;
    }
    // Reading every cluster's head would be 400 reads.
    ExpectOnlyClusterHeadsRead(kRecoveryClusters / 2);
}

TEST(RecoveryOnImageFile, HolesArePassedOverAndRunsBesideThemFoundWhole)
{
    // A sparse image file of 400 clusters, its table never written: a
    // recording at cluster 203 (its first sector on a page boundary), one
    // at 300 (in the middle of a page), and a stray byte in cluster 100's
    // tail, the only data of its page.
    CTempDir dir;
    const std::string path = dir.File("sparse.img");
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(static_cast<std::streamoff>(ClusterOffset(400) + kSectorSize) - 1);
        out.put('\0');
        const auto place = [&](const std::vector<std::uint8_t>& dv, std::uint64_t cluster) {
            for (std::size_t f = 0; f * kFrameSize < dv.size(); ++f) {
                out.seekp(static_cast<std::streamoff>(ClusterOffset(cluster + f)));
                out.write(reinterpret_cast<const char*>(dv.data() + f * kFrameSize), kFrameSize);
            }
        };
        place(dvfix::MakeStampedDvFrames(80, {"10:00:00:00", "2026-12-09T14:00:00Z"}), 203);
        place(dvfix::MakeStampedDvFrames(5, {"11:00:00:00", "2026-12-09T15:00:00Z"}), 300);
        out.seekp(static_cast<std::streamoff>(ClusterOffset(100) + 100000));
        out.put('\x7f');
        ASSERT_TRUE(out.good());
    }
    ASSERT_EQ(0u, ClusterOffset(203) % 4096);
    ASSERT_NE(0u, ClusterOffset(300) % 4096);
    CDisk disk;
    ASSERT_EQ(kOpenOk, disk.OpenPath(path, kCardRead));
    std::vector<FoundRun> runs;
    ASSERT_TRUE(FindFrameRuns(disk, runs));
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(203u, runs[0].firstCluster);
    EXPECT_EQ(80, runs[0].frames);
    EXPECT_EQ(300u, runs[1].firstCluster);
    EXPECT_EQ(5, runs[1].frames);
}

TEST_F(Recovery, AHistoryThatCannotBeWrittenNeverStopsAnOperation)
{
    const auto rec = Recording(80, {"10:00:00:00", "2026-12-09T14:00:00Z"});
    LoadRecordings({{0, 0, 80, 1, "a", {}, 0, rec}});
    std::ofstream(home.File("file")) << "x";
    const CScopedEnv unwritable("XDG_STATE_HOME", home.File("file"));
    disk.SetIdentity(disk.Identity());
    ui.Answer(kIdsAskFormatCard, kIdYes);
    EXPECT_EQ(kFormatDone, FormatCard(disk, ui, "CARD1"));
    EXPECT_EQ(0u, state->reads) << "no digests are read for a history that cannot be kept";
    EXPECT_TRUE(EarlierTables(disk).empty());

    // The newest 50 are kept, newest first.
    KeptTable t;
    t.fat.assign(kFatSize, 0xFF);
    for (int i = 0; i < kHistoryLength + 3; ++i) {
        t.time = i;
        ASSERT_TRUE(SaveKeptTable(home.Path(), t));
    }
    const std::vector<KeptTable> kept = LoadHistory(home.Path());
    ASSERT_EQ(static_cast<std::size_t>(kHistoryLength), kept.size());
    EXPECT_EQ(kHistoryLength + 2, kept.front().time);
    EXPECT_EQ(3, kept.back().time);
}

} // namespace
