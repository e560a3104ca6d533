// The probe and the scan on fake and damaged cards: where a card that drops
// or wraps its writes stops keeping data, to the sector; every byte the
// probe overwrote put back, and nothing but free clusters ever written;
// unreadable clusters reported as ranges; the writer keeping within a real
// capacity found.
#include "CardProbe.h"
#include "CardScan.h"
#include "ClipWriter.h"
#include "WriteBackWindow.h"
#include "LoadedCard.h"

#include <algorithm>

namespace {

constexpr int kCardClusters = 600;

class CardTestTest : public LoadedCard {
protected:
    // Clips at the very start (where wrapped writes land) and further on.
    void MakeCard() { Load(TaggedCardLayout{kCardClusters, {{0, 0, 80, 1}, {1, 100, 80, 2}, {2, 300, 75, 3}}}); }
    // Every clip still holds its frames, and a fresh reading lists the same
    // tables.
    void ExpectClipsAndTableAsBefore(const std::vector<long long>& table)
    {
        CDisk& again = Reread();
        EXPECT_EQ(table, TableSnapshot(again));
        for (const ListedClip& clip : InspectClips(again, *state, {{1, 80}, {2, 80}, {3, 75}}))
            EXPECT_TRUE(clip.Intact()) << "slot " << clip.slot;
    }
    static bool AnyFrame(const std::uint8_t*) { return true; }

    CScriptedProgress progress;
};

TEST_F(CardTestTest, ProbeFindsWhereACardStopsKeepingItsWritesAndTheWriterKeepsWithinIt)
{
    MakeCard();
    // Keeps 413 clusters and 7 sectors of the next.
    const std::uint64_t kept = ClusterOffset(413) + 7 * kSectorSize;
    state->keepOnly = kept;
    CardProbeReport report;
    ASSERT_EQ(kProbeFake, ProbeCard(disk, progress, report));
    EXPECT_EQ(kept, report.realBytes);
    EXPECT_EQ(413u, report.realClusters);
    EXPECT_FALSE(report.wrapped);
    EXPECT_TRUE(state->bytes == before) << "the probed clusters are put back";
    EXPECT_TRUE(ui.Shown().empty());

    // 235 clusters of clips, 413 real: a clip of 150 fits only once the
    // clips are packed (not at 375, past the real end); one of 200 does not
    // fit at all, though the card reports room for it.
    disk.SetRealCapacity(report.realBytes);
    EXPECT_EQ(413u, disk.UsableClusters());
    CTaggedSource tooLong(200, 8);
    EXPECT_EQ(kWriteBeyondCapacity, WriteClip(disk, -1, tooLong, progress));
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsBeyondRealCapacity, ui.Shown()[0].id);
    EXPECT_TRUE(state->bytes == before) << "nothing written for a refused clip";
    CTaggedSource fits(150, 9);
    ClipWriteReport written;
    ASSERT_EQ(kWriteDone, WriteClip(disk, -1, fits, progress, nullptr, &written));
    EXPECT_EQ(235, written.firstCluster);
    EXPECT_TRUE(HoldsPattern(*state, 384, 9, 149));
}

TEST_F(CardTestTest, ProbeOfACardThatWrapsAroundOntoItsClipsFindsTheWrapAndPutsTheClipsBack)
{
    MakeCard();
    state->wrapAt = 1u << 25;
    const std::vector<long long> table = TableSnapshot(disk);
    CardProbeReport report;
    ASSERT_EQ(kProbeFake, ProbeCard(disk, progress, report));
    EXPECT_TRUE(report.wrapped);
    EXPECT_EQ(1u << 25, report.realBytes);
    EXPECT_EQ(232u, report.realClusters);
    EXPECT_TRUE(report.clipsChanged) << "the wrapped writes landed on the first clip";
    EXPECT_TRUE(report.clipsIntact);
    EXPECT_TRUE(state->bytes == before);
    ExpectClipsAndTableAsBefore(table);
}

TEST_F(CardTestTest, AnUnreadableClusterIsADamagedAreaNotAFakeCapacity)
{
    MakeCard();
    // Cluster 256, a power-of-two position every probe takes.
    state->unreadable = {{ClusterOffset(256) + 100 * kSectorSize, kSectorSize}};
    CardProbeReport report;
    EXPECT_EQ(kProbeBadArea, ProbeCard(disk, progress, report));
    EXPECT_EQ(report.reportedBytes, report.realBytes) << "positions past it kept their data";
    EXPECT_EQ(1, report.badPositions);
    EXPECT_TRUE(state->bytes == before);
}

TEST_F(CardTestTest, PowerCutDuringTheProbeLeavesTableAndClipsAsTheyWere)
{
    MakeCard();
    const std::vector<long long> table = TableSnapshot(disk);
    const std::shared_ptr<MemoryDeviceState> base = CopyCard(*state);
    CardProbeReport report;
    ASSERT_EQ(kProbeGenuine, ProbeCard(disk, progress, report));
    const int writes = state->writes;
    ASSERT_GT(writes, 0);
    for (const std::uint64_t at : state->writeOffsets) {
        const std::uint64_t cluster = (at - kFatSize) / kClusterSize;
        ASSERT_GE(at, static_cast<std::uint64_t>(kFatSize)) << "the table is never written";
        ASSERT_TRUE((cluster >= 80 && cluster < 100) || (cluster >= 180 && cluster < 300) || cluster >= 375)
            << "cluster " << cluster << " belongs to a clip";
    }
    for (int keep = 0; keep < writes; keep += 5) {
        RestoreCard(*state, *base);
        state->keepWrites = keep;
        CDisk probed;
        ASSERT_TRUE(Reopen(state, probed));
        ProbeCard(probed, progress, report);
        ExpectClipsAndTableAsBefore(table);
    }
}

TEST_F(CardTestTest, ScanReportsUnreadableClustersAsRangesAndLeavesClipsAlone)
{
    MakeCard();
    const std::vector<long long> table = TableSnapshot(disk);
    state->unreadable = {{ClusterOffset(200) + 3 * kSectorSize, 10},
                         {ClusterOffset(450), 3 * static_cast<std::uint64_t>(kClusterSize)},
                         {ClusterOffset(310), 1}};
    CardScanReport report;
    ASSERT_EQ(kScanDone, ScanCard(disk, AnyFrame, progress, report));
    ASSERT_EQ(3u, report.unreadable.size());
    EXPECT_EQ(200u, report.unreadable[0].first);
    EXPECT_EQ(1u, report.unreadable[0].count);
    EXPECT_EQ(310u, report.unreadable[1].first) << "a clip's cluster too";
    EXPECT_EQ(450u, report.unreadable[2].first);
    EXPECT_EQ(3u, report.unreadable[2].count);
    EXPECT_TRUE(report.changed.empty());
    EXPECT_EQ(kUnfitUnreadable, report.unfit & ~static_cast<unsigned>(kUnfitSlow));
    EXPECT_EQ(static_cast<std::uint32_t>(kCardClusters), report.testedClusters);
    EXPECT_EQ(static_cast<std::uint32_t>(kCardClusters - 235), report.writtenClusters);
    EXPECT_EQ(report.reportedBytes, report.realBytes);
    ExpectClipsAndTableAsBefore(table);
}

TEST_F(CardTestTest, ScanOfAWrappingCardTestsOnlyUpToTheRealCapacityAndAbortLeavesClipsAlone)
{
    MakeCard();
    state->wrapAt = 1u << 25;
    const std::vector<long long> table = TableSnapshot(disk);
    CardScanReport report;
    ASSERT_EQ(kScanDone, ScanCard(disk, AnyFrame, progress, report));
    EXPECT_EQ(1u << 25, report.realBytes);
    ASSERT_EQ(1u, report.untested.size());
    EXPECT_EQ(232u, report.untested[0].first);
    EXPECT_TRUE(report.changed.empty());
    EXPECT_NE(0u, report.unfit & kUnfitFake);
    ExpectClipsAndTableAsBefore(table);

    // Abort half-way through writing the free clusters (after the probe).
    state->wrapAt = 0;
    CScriptedProgress aborting;
    aborting.abortAtBegin = 2;
    aborting.abortAt = 20 + 2 * 58;
    ASSERT_EQ(kScanStopped, ScanCard(disk, AnyFrame, aborting, report));
    EXPECT_GT(report.writtenClusters, 0u);
    EXPECT_LT(report.writtenClusters, 365u);
    ExpectClipsAndTableAsBefore(table);
}

TEST_F(CardTestTest, ScanReadsTheCardNotTheCacheAndChecksEveryClipFrame)
{
    MakeCard();
    // The card stores the free clusters from 80 on with a byte of cluster 81
    // changed; until they are dropped from the cache, reads still return
    // them as written.
    state->corruptRunAt = ClusterOffset(81) + 5000;
    // A clip frame the player would not show.
    state->bytes[ClusterOffset(120)] = 0xEE;
    const auto noMark = [](const std::uint8_t* frame) { return frame[0] != 0xEE; };
    CardScanReport report;
    ASSERT_EQ(kScanDone, ScanCard(disk, noMark, progress, report));
    ASSERT_EQ(1u, report.changed.size()) << "the corrupted write is seen on the card";
    EXPECT_EQ(81u, report.changed[0].first);
    EXPECT_EQ(1u, report.changed[0].count);
    ASSERT_EQ(1u, report.notFrames.size());
    EXPECT_EQ(120u, report.notFrames[0].first);
    EXPECT_EQ(235u, report.clipClusters);
    EXPECT_NE(0u, report.unfit & kUnfitChanged);
}

TEST_F(CardTestTest, ScanKeepsMoreOfTheCardsQueueFullAndGivesTheWriterItsBoundBack)
{
    MakeCard();
    state->maxPendingBytes = 0;
    CardScanReport report;
    ASSERT_EQ(kScanDone, ScanCard(disk, AnyFrame, progress, report));
    EXPECT_GT(state->maxPendingBytes, 16u << 20) << "more than two chunks under way";
    EXPECT_LE(state->maxPendingBytes, 5 * CWriteBackWindow::kChunkBytes);
    // A clip written afterwards lags no more than 16 MB behind again.
    state->maxPendingBytes = 0;
    CTaggedSource source(140, 4);
    ClipWriteReport written;
    ASSERT_EQ(kWriteDone, WriteClip(disk, -1, source, progress, nullptr, &written));
    EXPECT_GT(state->maxPendingBytes, 8u << 20);
    EXPECT_LE(state->maxPendingBytes, 16u << 20);
}

} // namespace
