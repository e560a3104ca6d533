// Writing clips onto the card: placement, compaction, the checks before
// anything is written, aborts and transfer failures.
#include "CardCompactor.h"
#include "LoadedCard.h"
#include "Texts.h"

#include <cstring>

namespace {

class ClipWriterTest : public LoadedCard {
protected:
    // A loaded card of `clusters` clusters holding `clips`.
    void MakeCard(int clusters, const std::vector<TaggedClip>& clips) { Load(TaggedCardLayout{clusters, clips}); }
    std::vector<std::uint8_t> StoredFat() const { return Bytes(0, 5120); }
    // The clip of `slot` as a fresh reading of the card sees it.
    ClipRecord Reloaded(int slot) { return Reread().Clips()[static_cast<std::size_t>(slot)]; }
    int StartOf(int slot) const
    {
        return static_cast<int>(CDisk::ClusterOfSector(disk.Clips()[static_cast<std::size_t>(slot)].firstSector));
    }

    CScriptedProgress progress;
};

TEST_F(ClipWriterTest, EmptyCardTakesTheClipAtClusterZeroWithZeroTails)
{
    MakeCard(1000, {});
    CTaggedSource source(100, 7, "/home/u/holiday_video.avi");
    ClipWriteReport report;
    EXPECT_EQ(kWriteDone, WriteClip(disk, -1, source, progress, nullptr, &report));
    EXPECT_EQ(0, report.slot);
    EXPECT_EQ(0, report.firstCluster);
    EXPECT_EQ(0, report.compactions);
    for (int f = 0; f < 100; ++f) {
        ASSERT_TRUE(HoldsPattern(*state, f, 7, f)) << f;
        ASSERT_TRUE(ClusterTailIsZero(*state, f)) << f;
    }
    const ClipRecord stored = Reloaded(0);
    EXPECT_EQ(100, stored.frames);
    EXPECT_EQ(10u, stored.firstSector);
    EXPECT_EQ(0, std::memcmp("holiday_", stored.name, 8));
    EXPECT_EQ(900, disk.FreeClusters());
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsWriteCompleted, ui.Shown()[0].id);
    EXPECT_EQ(std::vector<int>{101}, progress.ranges);
    EXPECT_EQ(101, progress.lastPosition);
    EXPECT_EQ(1, progress.ends);
}

TEST_F(ClipWriterTest, FirstFitPrefersTheEarliestGapThenTheEndMarker)
{
    MakeCard(1000, {{0, 0, 100, 1}, {1, 300, 600, 2}});
    CTaggedSource ninety(90, 9, "a.dv");
    ClipWriteReport report;
    ASSERT_EQ(kWriteDone, WriteClip(disk, -1, ninety, progress, nullptr, &report));
    EXPECT_EQ(2, report.slot);
    EXPECT_EQ(100, report.firstCluster) << "the first gap that fits, not the tightest";
    EXPECT_EQ(0, std::memcmp("a\0\0\0\0\0\0\0", Reloaded(2).name, 8));

    MakeCard(1000, {{0, 0, 100, 1}, {1, 300, 100, 2}});
    CTaggedSource big(250, 9);
    ASSERT_EQ(kWriteDone, WriteClip(disk, -1, big, progress, nullptr, &report));
    EXPECT_EQ(400, report.firstCluster) << "after the last clip, through the end marker";

    // The placement helpers agree, with unsorted input and a clip reaching
    // the end of the card (no end marker, no room after it).
    std::vector<ClusterRun> runs = {{300, 700, 1}, {0, 100, 0}};
    SortRuns(runs);
    EXPECT_EQ(0, runs[0].start);
    EXPECT_EQ(100, FindFreeRun(runs, 200, 1000));
    EXPECT_EQ(-1, FindFreeRun(runs, 201, 1000));
}

TEST_F(ClipWriterTest, SplitFreeSpaceIsCompactedAndEveryMovedFrameKept)
{
    MakeCard(1000, {{0, 0, 100, 1}, {1, 200, 100, 2}, {2, 400, 600, 3}});
    CTaggedSource source(150, 4);
    ClipWriteReport report;
    ASSERT_EQ(kWriteDone, WriteClip(disk, -1, source, progress, nullptr, &report));
    EXPECT_EQ(1, report.compactions);
    EXPECT_EQ(3, report.slot);
    EXPECT_EQ(800, report.firstCluster);
    EXPECT_EQ(0, StartOf(0));
    EXPECT_EQ(100, StartOf(1));
    EXPECT_EQ(200, StartOf(2));
    for (int h = 0; h < 100; ++h) {
        ASSERT_TRUE(HoldsPattern(*state, h, 1, h));
        ASSERT_TRUE(HoldsPattern(*state, 100 + h, 2, h)) << h;
    }
    for (int h = 0; h < 600; ++h)
        ASSERT_TRUE(HoldsPattern(*state, 200 + h, 3, h)) << h;
    for (int f = 0; f < 150; ++f)
        ASSERT_TRUE(HoldsPattern(*state, 800 + f, 4, f)) << f;
    EXPECT_EQ(CDisk::SectorOfCluster(200), Reloaded(2).firstSector);
    EXPECT_EQ(CDisk::SectorOfCluster(800), Reloaded(3).firstSector);
    ASSERT_EQ(2u, progress.ranges.size());
    EXPECT_EQ(1001, progress.ranges[0]) << "compaction runs over the card's clusters";
    EXPECT_EQ(151, progress.ranges[1]);
}

TEST_F(ClipWriterTest, EveryPhaseIsCaptionedAndTheProgressEndsBeforeTheClosingMessage)
{
    // Clips 02 and 03 move down to make room; the new clip goes into 04 and
    // is read back.
    MakeCard(1000, {{0, 0, 100, 1}, {1, 200, 100, 2}, {2, 400, 600, 3}});
    CTaggedSource source(150, 4, "/home/u/holiday.dv");
    bool runningAtMessage = true;
    int endsAtMessage = -1;
    ui.whenShown = [&](const ShownMessage&) {
        runningAtMessage = progress.running;
        endsAtMessage = progress.ends;
    };
    ASSERT_EQ(kWriteDone, WriteClip(disk, -1, source, progress));
    EXPECT_EQ((std::vector<std::string>{"Moving clip 02 to make room", "Moving clip 03 to make room",
                                        "Writing clip 04", LoadText(kIdsVerifying)}),
              progress.captionTexts);
    ASSERT_EQ(kIdsWriteCompleted, ui.Shown().back().id);
    EXPECT_FALSE(runningAtMessage) << "the front end is idle before it says how the write ended";
    EXPECT_EQ(2, endsAtMessage) << "the compaction's end and the write's";

    // A refusal of a streamed source that ends too early comes after the
    // end as well.
    MakeCard(400, {});
    CTaggedSource cut(80, 7, "phone.mp4");
    cut.streamed = 60;
    runningAtMessage = true;
    EXPECT_EQ(kWriteTooShort, WriteClip(disk, -1, cut, progress, nullptr, nullptr, false));
    EXPECT_EQ(kIdsFileTooShort, ui.Shown().back().id);
    EXPECT_FALSE(runningAtMessage);
}

TEST_F(ClipWriterTest, AConversionWrittenAsItRunsIsCaptionedWithItsFileAndItsOwnFigures)
{
    MakeCard(400, {});
    CTaggedSource source(100, 5, "/home/u/phone.mp4");
    source.streamed = 100;
    ASSERT_EQ(kWriteDone, WriteClip(disk, 3, source, progress));
    const std::vector<std::string>& captions = progress.captionTexts;
    ASSERT_GE(captions.size(), 3u);
    EXPECT_EQ("Converting phone.mp4: 0 %", captions.front());
    EXPECT_EQ(0u, captions[captions.size() - 2].find("Converting phone.mp4: 99 %, ")) << "the last frame: 100 of 101";
    EXPECT_EQ(LoadText(kIdsVerifying), captions.back());
}

TEST_F(ClipWriterTest, LengthAndRoomAreCheckedBeforeAnythingIsWritten)
{
    MakeCard(1000, {{0, 0, 500, 1}, {1, 500, 500, 2}});
    const auto before = StoredFat();

    CTaggedSource tooShort(74, 5);
    EXPECT_EQ(kWriteTooShort, WriteClip(disk, 0, tooShort, progress));
    CTaggedSource tooLong(65536, 5);
    EXPECT_EQ(kWriteTooLong, WriteClip(disk, 0, tooLong, progress));
    CTaggedSource tooBig(501, 5);
    EXPECT_EQ(kWriteNoRoom, WriteClip(disk, 0, tooBig, progress));
    EXPECT_TRUE(state->writeOffsets.empty());
    EXPECT_EQ(before, StoredFat());
    EXPECT_EQ(0, tooShort.reads + tooLong.reads + tooBig.reads);
    ASSERT_EQ(3u, ui.Shown().size());
    EXPECT_EQ(kIdsFileTooShort, ui.Shown()[0].id);
    EXPECT_EQ(kIdsFileTooLong, ui.Shown()[1].id);
    EXPECT_EQ(kIdsNoRoom, ui.Shown()[2].id);
    EXPECT_EQ(static_cast<unsigned>(kMsgError), ui.Shown()[2].flags);

    // The occupied slot's own clusters count as room; declining its
    // deletion writes nothing.
    CTaggedSource fits(500, 5);
    EXPECT_EQ(kWriteNothing, WriteClip(disk, 0, fits, progress));
    EXPECT_EQ(1, ui.Count(kIdsAskDeleteClip));
    EXPECT_TRUE(state->writeOffsets.empty());

    ui.Answer(kIdsAskDeleteClip, kIdYes);
    ClipWriteReport report;
    EXPECT_EQ(kWriteDone, WriteClip(disk, 0, fits, progress, nullptr, &report));
    EXPECT_EQ(0, report.firstCluster);
    EXPECT_TRUE(report.deletion.Done());
    EXPECT_TRUE(HoldsPattern(*state, 499, 5, 499));

    // 75 frames is enough.
    MakeCard(1000, {});
    CTaggedSource shortest(75, 6);
    EXPECT_EQ(kWriteDone, WriteClip(disk, -1, shortest, progress));
}

TEST_F(ClipWriterTest, AbortOrFailedTransferRecordsNothing)
{
    MakeCard(300, {{0, 0, 100, 1}});
    const auto before = StoredFat();

    progress.abortAt = 40;
    CTaggedSource aborted(100, 5);
    ClipWriteReport report;
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, aborted, progress, nullptr, &report));
    EXPECT_EQ(40, aborted.reads);
    EXPECT_EQ(0, disk.Clips()[1].frames);
    EXPECT_EQ(before, StoredFat());
    EXPECT_EQ(kIdsOperationAborted, ui.Shown().back().id);
    EXPECT_EQ(1, progress.ends);
    progress.abortAt = -1;

    CTaggedSource unreadable(100, 5);
    unreadable.failAt = 10;
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, unreadable, progress));
    EXPECT_EQ(before, StoredFat());

    state->failWrite = static_cast<int>(state->writes) + 20;
    CTaggedSource source(100, 5);
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, source, progress));
    EXPECT_EQ(before, StoredFat());
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError));
    EXPECT_EQ(0, disk.Clips()[1].frames);
}

TEST_F(ClipWriterTest, StreamedSourceIsPlacedByItsDurationAndRecordedWithTheFramesItGave)
{
    // A gap of 90 clusters between two clips, and 100 at the end.
    const std::vector<TaggedClip> clips = {{0, 0, 100, 1}, {1, 190, 110, 2}};
    const std::map<int, int> lengths = {{1, 100}, {2, 110}};
    MakeCard(400, clips);

    // Foretold 80, gave 78: placed in the gap, recorded with 78 frames.
    CTaggedSource shorter(80, 5);
    shorter.streamed = 78;
    ClipWriteReport report;
    ASSERT_EQ(kWriteDone, WriteClip(disk, -1, shorter, progress, nullptr, &report, false));
    EXPECT_EQ(100, report.firstCluster);
    EXPECT_EQ(78, Reloaded(2).frames);
    EXPECT_TRUE(HoldsPattern(*state, 177, 5, 77));

    // Gave more than the gap holds: refused as no room once it outgrows the
    // free run, nothing recorded, the next clip untouched.
    MakeCard(400, clips);
    const auto empty = StoredFat();
    CTaggedSource longer(80, 6);
    longer.streamed = 95;
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, longer, progress, nullptr, nullptr, false));
    EXPECT_EQ(1, ui.Count(kIdsNoRoom));
    EXPECT_EQ(empty, StoredFat());
    for (const ListedClip& clip : InspectClips(Reread(), *state, lengths))
        EXPECT_TRUE(clip.Intact()) << clip.slot;

    // Ended under a clip's worth, or failed part-way: nothing recorded.
    CTaggedSource cut(80, 7);
    cut.streamed = 60;
    EXPECT_EQ(kWriteTooShort, WriteClip(disk, -1, cut, progress, nullptr, nullptr, false));
    EXPECT_EQ(kIdsFileTooShort, ui.Shown().back().id);
    CTaggedSource failing(80, 8);
    failing.streamed = 80;
    failing.failAt = 50;
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, failing, progress, nullptr, nullptr, false));
    EXPECT_EQ(empty, StoredFat());
    EXPECT_EQ(0, Reloaded(2).frames);
}

TEST_F(ClipWriterTest, FramesAreFlushedBeforeTheSlotRecordsThem)
{
    MakeCard(300, {});
    const auto before = StoredFat();
    state->failFlush = state->flushes + 1;
    CTaggedSource source(100, 5);
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, source, progress));
    EXPECT_EQ(before, StoredFat()) << "nothing recorded when the frames did not reach the card";
    EXPECT_EQ(0, disk.Clips()[0].frames);

    // A failed final table write keeps the clip in memory for the next one.
    MakeCard(300, {});
    state->failAllWritesFrom = state->writes + 101;
    CTaggedSource second(100, 5);
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, second, progress));
    EXPECT_EQ(100, disk.Clips()[0].frames);
    EXPECT_EQ(kIdsCardWriteError, ui.Shown()[ui.Shown().size() - 2].id);
    EXPECT_EQ(kIdsOperationAborted, ui.Shown().back().id);
}

TEST_F(ClipWriterTest, TheCardNeverLagsMoreThan16MBBehindTheWritesOfAMoveOrAClip)
{
    // 36 MB of c2 move down by 10 clusters, then 20 MB of the new clip are
    // written: each run is handed to the card in chunks as it goes.
    MakeCard(400, {{0, 0, 10, 1}, {1, 20, 250, 2}});
    state->maxPendingBytes = 0;
    CTaggedSource source(140, 4);
    ClipWriteReport report;
    ASSERT_EQ(kWriteDone, WriteClip(disk, -1, source, progress, nullptr, &report));
    ASSERT_EQ(1, report.compactions);
    EXPECT_EQ(260, report.firstCluster);
    EXPECT_GT(state->maxPendingBytes, 8u << 20) << "chunks of about 8 MB";
    EXPECT_LE(state->maxPendingBytes, 16u << 20);
    for (int h = 0; h < 250; ++h)
        ASSERT_TRUE(HoldsPattern(*state, 10 + h, 2, h)) << h;
    for (int f = 0; f < 140; ++f)
        ASSERT_TRUE(HoldsPattern(*state, 260 + f, 4, f)) << f;
}

TEST_F(ClipWriterTest, TheReadBackIsASecondPhaseThatAbortStopsAndThatCanBeTurnedOff)
{
    MakeCard(300, {{0, 0, 100, 1}});
    const auto before = StoredFat();
    // Two pumps a frame while writing, one while reading back: Abort at the
    // 30th frame read back, inside the first request of 32 clusters (the
    // second already asked for).
    progress.abortAfterPumps = 2 * 100 + 30;
    const int readsBefore = state->reads;
    CTaggedSource source(100, 5);
    ClipWriteReport report;
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, source, progress, nullptr, &report));
    EXPECT_EQ(2, state->reads - readsBefore);
    EXPECT_EQ(std::vector<int>{kIdsVerifying}, progress.captions);
    EXPECT_EQ(kIdsVerifying, progress.caption);
    EXPECT_EQ(std::vector<int>{101}, progress.ranges) << "one range for both phases";
    EXPECT_FALSE(report.verified);
    EXPECT_EQ(-1, report.mismatchFrame);
    EXPECT_EQ(0, disk.Clips()[1].frames);
    EXPECT_EQ(before, StoredFat());
    EXPECT_EQ(std::vector<int>{kIdsOperationAborted}, std::vector<int>{ui.Shown().back().id});
    EXPECT_EQ(1, progress.ends);

    // Turned off: nothing is read back, the clip is recorded at once.
    progress.abortAfterPumps = -1;
    progress.captions.clear();
    const int readsNow = state->reads;
    CTaggedSource unverified(100, 6);
    EXPECT_EQ(kWriteDone, WriteClip(disk, -1, unverified, progress, nullptr, &report, false));
    EXPECT_EQ(readsNow, state->reads);
    EXPECT_EQ(100, unverified.reads) << "every frame read once from the source";
    EXPECT_TRUE(progress.captions.empty());
    EXPECT_FALSE(report.verified);
    EXPECT_EQ(100, Reloaded(1).frames);
}

TEST_F(ClipWriterTest, TheReadBackComparesWithWhatWasWrittenWithoutReadingTheSourceAgain)
{
    MakeCard(300, {});
    CTaggedSource source(100, 5);
    ClipWriteReport report;
    ASSERT_EQ(kWriteDone, WriteClip(disk, -1, source, progress, nullptr, &report));
    EXPECT_TRUE(report.verified);
    EXPECT_EQ(100, source.reads) << "every frame read once, the read-back included";

    // A card that changes a byte of a cluster's zero tail, in frame 63, read
    // back directly in runs widened to 4096-byte blocks: the whole cluster is
    // compared, as it was written.
    const auto before = StoredFat();
    state->directAlignment = 4096;
    state->corruptByte = kFrameSize + 100;
    state->corruptWrite = state->writes + 63;
    CTaggedSource second(100, 6);
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, second, progress, nullptr, &report));
    EXPECT_EQ(62, report.mismatchFrame);
    EXPECT_EQ(3, state->directReads) << "the run holding frame 63 and the one after it, already asked for";
    EXPECT_EQ(100, second.reads);
    EXPECT_EQ(1, ui.Count(kIdsVerifyMismatch));
    EXPECT_EQ(0, disk.Clips()[1].frames);
    EXPECT_EQ(before, StoredFat());

    // Read directly, the clip is not dropped from the cache first; a device
    // that turns out at the first run not to read directly reads it through
    // the cache, where frame 11 still looks as written: the run is dropped
    // and read again, and the changed byte is found all the same.
    state->directFallsBack = true;
    state->corruptWrite = state->writes + 11;
    CTaggedSource third(100, 7);
    EXPECT_EQ(kWriteAborted, WriteClip(disk, -1, third, progress, nullptr, &report));
    EXPECT_EQ(10, report.mismatchFrame);
    EXPECT_EQ(0u, state->directAlignment);
    EXPECT_EQ(0, disk.Clips()[1].frames);
    EXPECT_EQ(before, StoredFat());
}

TEST_F(ClipWriterTest, AbortDuringCompactionKeepsMovedClipsRecorded)
{
    MakeCard(1000, {{0, 0, 100, 1}, {1, 200, 100, 2}, {2, 400, 500, 3}});
    // Abort while the second clip (list position 1) moves: it is finished and
    // recorded, the third stays where it was, and nothing is written.
    progress.abortAfterPumps = 50;
    CTaggedSource source(250, 4);
    ClipWriteReport report;
    EXPECT_EQ(kWriteCompactionStopped, WriteClip(disk, -1, source, progress, nullptr, &report));
    EXPECT_EQ(0, source.reads);
    EXPECT_EQ(CDisk::SectorOfCluster(100), Reloaded(1).firstSector);
    EXPECT_EQ(CDisk::SectorOfCluster(400), Reloaded(2).firstSector);
    EXPECT_EQ(0, Reloaded(3).frames);
    for (int h = 0; h < 100; ++h)
        ASSERT_TRUE(HoldsPattern(*state, 100 + h, 2, h));
    for (int h = 0; h < 500; ++h)
        ASSERT_TRUE(HoldsPattern(*state, 400 + h, 3, h));
    EXPECT_EQ(0, ui.Count(kIdsOperationAborted)) << "a stopped compaction ends without a final message";
    EXPECT_EQ(0, ui.Count(kIdsWriteCompleted));
}

TEST_F(ClipWriterTest, FailedMoveBeforeTheOldRunIsTouchedKeepsTheOldPlace)
{
    // The second clip moves down by 100 clusters, more than its length: the
    // runs do not overlap, so a failure anywhere leaves it whole where it was.
    MakeCard(1000, {{0, 0, 100, 1}, {1, 200, 50, 2}, {2, 400, 500, 3}});
    state->failWrite = state->writes + 10;
    CTaggedSource source(260, 4);
    EXPECT_EQ(kWriteCompactionStopped, WriteClip(disk, -1, source, progress));
    EXPECT_EQ(CDisk::SectorOfCluster(200), Reloaded(1).firstSector);
    for (int h = 0; h < 50; ++h)
        ASSERT_TRUE(HoldsPattern(*state, 200 + h, 2, h));
    EXPECT_EQ(CDisk::SectorOfCluster(400), Reloaded(2).firstSector);

    // A source cluster that cannot be read leaves its destination unwritten.
    MakeCard(1000, {{0, 0, 100, 1}, {1, 300, 300, 2}, {2, 700, 100, 3}});
    state->failRead = state->reads + 250; // frame 249, after the old run was touched
    CTaggedSource other(350, 4);
    EXPECT_EQ(kWriteCompactionStopped, WriteClip(disk, -1, other, progress));
    EXPECT_EQ(CDisk::SectorOfCluster(100), Reloaded(1).firstSector) << "the move went on to its end";
    EXPECT_TRUE(HoldsPattern(*state, 100 + 248, 2, 248));
    EXPECT_TRUE(HoldsPattern(*state, 100 + 249, 2, 49)) << "left unwritten: still the old frame there";
    EXPECT_TRUE(HoldsPattern(*state, 100 + 250, 2, 250));
    EXPECT_EQ(CDisk::SectorOfCluster(700), Reloaded(2).firstSector) << "nothing after the failed clip moves";
}

TEST_F(ClipWriterTest, NoSlotOrNoCardWritesNothing)
{
    std::vector<TaggedClip> full;
    for (int i = 0; i < kSlotCount; ++i)
        full.push_back({i, i, 1, i});
    MakeCard(300, full);
    CTaggedSource source(100, 5);
    EXPECT_EQ(kWriteNothing, WriteClip(disk, -1, source, progress));
    EXPECT_EQ(kWriteNothing, WriteClip(disk, kSlotCount, source, progress));
    state->bytes[0] = 13; // a table that does not read: not loaded
    ASSERT_FALSE(disk.ReadFAT());
    EXPECT_EQ(kWriteNothing, WriteClip(disk, 0, source, progress));
    EXPECT_TRUE(ui.Shown().empty());
    EXPECT_TRUE(state->writeOffsets.empty());
}

} // namespace
