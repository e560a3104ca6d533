// Device faults during the long card operations: a clip write, a
// compaction and the refill of the clip thumbnails. Each operation is run
// once to count its transfers, then once per fault: the first, a middle and
// the last read and write failing, every flush failing, and the card
// vanishing half-way, plus the cases that matter most for each, one test
// each. Every run must end with the documented messages, the card's error
// message exactly once, and nothing recorded, on the card or in memory, that
// is not whole on the card. Each operation prints one line: faults injected
// and held.
#include "CardCompactor.h"
#include "ClipWriter.h"
#include "FaultMatrix.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

bool IsCardError(int id) { return id == kIdsCardAccessError || id == kIdsCardWriteError; }

std::vector<int> Tags(const std::vector<ListedClip>& clips)
{
    std::vector<int> tags;
    for (const ListedClip& c : clips)
        tags.push_back(c.tag);
    return tags;
}

// Every clip listed is whole, except `except` (tag, or -1).
::testing::AssertionResult AllIntact(const std::vector<ListedClip>& clips, int except = -1)
{
    for (const ListedClip& c : clips) {
        if (c.tag != except && !c.Intact())
            return ::testing::AssertionFailure() << "clip c" << c.tag << " at cluster " << c.start << " is not whole ("
                                                 << c.badFrames.size() << " frames wrong)";
    }
    return ::testing::AssertionSuccess();
}

// A matrix over a tagged card: its description, the card, the clips' true
// lengths, and a run of an operation on a copy of it.
class FaultMatrixTest : public ::testing::Test {
protected:
    void Describe(const TaggedCardLayout& card)
    {
        layout = card;
        base = MakeTaggedCard(layout);
        ASSERT_NE(nullptr, base);
        lengths = TagLengths(layout.clips);
    }

    void Run(FaultRun& run, const DeviceFault* fault, const CardOperation& op) { RunOnCopy(run, *base, fault, op); }

    TaggedCardLayout layout;
    std::shared_ptr<MemoryDeviceState> base;
    std::map<int, int> lengths;
};

// ---------------------------------------------------------------- writing

const FaultMatrixName kWriteMatrix{"clip write", "each ended \"Operation aborted.\" after one card message or the "
                                                 "read-back's finding; no clip recorded that is not whole on the card"};

class WriteFaults : public FaultMatrixTest {
protected:
    // c1 and c2 on a card of 100 clusters; the new clip of 75 frames goes
    // into slot 2 at cluster 10.
    void SetUp() override
    {
        Describe({100, {{0, 0, 10, 1}, {1, 90, 10, 2}}, {{{0, 1}}}});
        lengths[9] = 75;
    }

    static CardOperation Write(int slot, int failSourceFrame = -1, int corruptWrite = 0)
    {
        return [slot, failSourceFrame, corruptWrite](FaultRun& run) {
            if (corruptWrite > 0)
                run.card->corruptWrite = run.card->writes + corruptWrite;
            CTaggedSource source(75, 9);
            source.failAt = failSourceFrame;
            return WriteClip(run.disk, slot, source, run.progress);
        };
    }
};

TEST_F(WriteFaults, EveryStandardFaultEndsAbortedWithOneCardMessageAndNothingHalfRecorded)
{
    FaultRun clean;
    Run(clean, nullptr, Write(-1));
    ASSERT_EQ(kWriteDone, clean.result);
    ASSERT_EQ(3, clean.counts.reads);   // the frames read back, 32 a request
    ASSERT_EQ(75 + 3, clean.counts.writes); // 75 frames, the table's journal, the table, the journal cleared
    ASSERT_EQ(4, clean.counts.flushes);     // the frames, the journal, the table, the journal cleared
    ASSERT_EQ(1, clean.counts.writeBacks); // started after the first 58 frames

    for (const DeviceFault& fault : StandardFaults(clean.counts)) {
        SCOPED_TRACE(fault.name);
        const CFaultScenario scenario(kWriteMatrix);
        FaultRun run;
        Run(run, &fault, Write(-1));

        // Every read is one of the read-back: a failed one shows the access
        // message. The card vanishing fails a write or the read-back.
        EXPECT_EQ(kWriteAborted, run.result);
        const int cardMessage = fault.failRead > 0     ? kIdsCardAccessError
                              : fault.vanishAfter == 0 ? kIdsCardWriteError
                              : run.Messages().empty() ? 0
                                                       : run.Messages()[0];
        EXPECT_TRUE(IsCardError(cardMessage));
        EXPECT_EQ((std::vector<int>{cardMessage, kIdsOperationAborted}), run.Messages());
        EXPECT_FALSE(run.progress.running) << "the progress display was not ended";

        // Memory: the slot records the clip only when all its frames are on
        // the card, which is the case when only the table write failed.
        const std::vector<ListedClip> memory = InspectClips(run.disk, *run.card, lengths);
        EXPECT_TRUE(AllIntact(memory));
        const bool onlyTableFailed = fault.failWrite >= 76 || fault.failFlush >= 2;
        EXPECT_EQ(onlyTableFailed, FindClip(memory, 9) != nullptr);

        // Card: listed clips are whole; the new clip is listed only when its
        // table reached the card (the table's flush, or the clearing of its
        // journal, was what failed).
        const std::vector<ListedClip> card = CardListing(run, lengths);
        EXPECT_TRUE(AllIntact(card));
        EXPECT_EQ(fault.failFlush >= 3 || fault.failWrite == 78, FindClip(card, 9) != nullptr);
        EXPECT_NE(nullptr, FindClip(card, 1));
        EXPECT_NE(nullptr, FindClip(card, 2));
    }
}

TEST_F(WriteFaults, AnUnreadableSourceFrameShowsOnlyTheClosingMessage)
{
    const CFaultScenario scenario(kWriteMatrix);
    FaultRun run;
    Run(run, nullptr, Write(-1, 40));
    EXPECT_EQ(kWriteAborted, run.result);
    EXPECT_EQ(std::vector<int>{kIdsOperationAborted}, run.Messages());
    EXPECT_EQ(nullptr, FindClip(InspectClips(run.disk, *run.card, lengths), 9));
    EXPECT_EQ((std::vector<int>{1, 2}), Tags(CardListing(run, lengths)));
}

// A card that stores frame 40 with a byte changed: the read-back finds it,
// says so, and nothing is recorded, on the card or in memory.
TEST_F(WriteFaults, AFrameTheCardChangesIsFoundByTheReadBackAndNothingIsRecorded)
{
    const CFaultScenario scenario(kWriteMatrix);
    FaultRun run;
    Run(run, nullptr, Write(-1, -1, 41));
    EXPECT_EQ(kWriteAborted, run.result);
    EXPECT_EQ((std::vector<int>{kIdsVerifyMismatch, kIdsOperationAborted}), run.Messages());
    EXPECT_EQ(LoadText(kIdsVerifyMismatch).substr(0, 20), run.ui.Shown()[0].text.substr(0, 20));
    EXPECT_NE(std::string::npos, run.ui.Shown()[0].text.find("frame 41 of 75"));
    EXPECT_EQ(3, run.counts.reads) << "the read-back stops at the run holding the frame that differs, and the one "
                                      "after it, already asked for";
    EXPECT_EQ(75, run.counts.writes) << "no table written";
    EXPECT_EQ(nullptr, FindClip(InspectClips(run.disk, *run.card, lengths), 9));
    EXPECT_EQ((std::vector<int>{1, 2}), Tags(CardListing(run, lengths)));
}

// Writing over c2 in slot 1: its deletion is stored first; when that table
// write fails, no frame may be written over c2's clusters, which the card
// still lists.
TEST_F(WriteFaults, AFailedTableWriteOfTheDeletionStopsBeforeAnyFrameIsWritten)
{
    const CFaultScenario scenario(kWriteMatrix);
    DeviceFault fault;
    fault.failWrite = 1;
    FaultRun run;
    Run(run, &fault, Write(1));
    EXPECT_EQ(kWriteAborted, run.result);
    EXPECT_EQ((std::vector<int>{kIdsAskDeleteClip, kIdsCardWriteError, kIdsOperationAborted}), run.Messages());
    EXPECT_EQ(1, run.counts.writes);
    const std::vector<ListedClip> card = CardListing(run, lengths);
    EXPECT_EQ((std::vector<int>{1, 2}), Tags(card));
    EXPECT_TRUE(AllIntact(card));
}

// ------------------------------------------------------------- compaction

const FaultMatrixName kCompactionMatrix{
    "compaction", "each stopped after the current clip with one card message; every clip whole on the card once "
                  "it is opened again, which finishes a move over a clip's own old run that the fault stopped, "
                  "except the one frame a failed read takes from such a move"};

class CompactionFaults : public FaultMatrixTest {
protected:
    // c1 stays at 0; c2 (12 frames) moves from 14 down to 10, over its own
    // old run; c3 (8) from 30 to 22 and c4 (6) from 45 to 30, both clear of
    // their old runs. Transfers in order: c2's record of its move and its
    // flush, three steps of 4 reads and writes, each flushed and followed by
    // the record advanced and flushed, its table write and flush, its record
    // cleared and flushed; c3's and c4's reads and writes, their flush,
    // their table write and flush.
    void SetUp() override
    {
        Describe({60, {{0, 0, 10, 1}, {1, 14, 12, 2}, {2, 30, 8, 3}, {3, 45, 6, 4}}, {{{1, 3}}, {{2, 1, 0}}}});
    }

    static int Compact(FaultRun& run)
    {
        std::vector<ClusterRun> runs = UsedRuns(run.disk);
        SortRuns(runs);
        return CompactCard(run.disk, runs, run.progress, nullptr);
    }

    // Runs the compaction with the fault `field` = `n` armed, which shows
    // the card's `message` alone; what the card then lists.
    std::vector<ListedClip> RunFault(FaultRun& run, int DeviceFault::*field, int n, int message)
    {
        DeviceFault fault;
        fault.*field = n;
        Run(run, &fault, &Compact);
        EXPECT_EQ(std::vector<int>{message}, run.Messages());
        return CardListing(run, lengths);
    }
};

TEST_F(CompactionFaults, EveryStandardFaultStopsAfterTheCurrentClipWithEveryClipWhole)
{
    FaultRun clean;
    Run(clean, nullptr, &Compact);
    ASSERT_EQ(1, clean.result);
    ASSERT_EQ(26, clean.counts.reads);
    // Each of the three table writes with its journal, written and cleared.
    ASSERT_EQ(18 + 9 + 7 + 3 * 2, clean.counts.writes);
    ASSERT_EQ(9 + 2 + 2 + 3 * 2, clean.counts.flushes);
    const std::vector<ListedClip> packed = CardListing(clean, lengths);
    ASSERT_TRUE(AllIntact(packed));
    ASSERT_EQ(10, StartOfClip(packed, 2));

    for (const DeviceFault& fault : StandardFaults(clean.counts)) {
        SCOPED_TRACE(fault.name);
        const CFaultScenario scenario(kCompactionMatrix);
        FaultRun run;
        Run(run, &fault, &Compact);

        // The compaction stops with the card's message alone: the write it
        // serves ends without a closing message.
        EXPECT_EQ(0, run.result);
        ASSERT_EQ(1u, run.Messages().size());
        EXPECT_TRUE(IsCardError(run.Messages()[0]));
        EXPECT_FALSE(run.progress.running);
        // A fault inside c2's move is tried once more from its last step
        // on the card, so the card and memory list every clip whole, each
        // at its old or its new place.
        const std::vector<ListedClip> memory = InspectClips(run.disk, *run.card, lengths);
        const std::vector<ListedClip> card = CardListing(run, lengths);
        EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Tags(memory));
        EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Tags(card));
        EXPECT_TRUE(AllIntact(memory));
        EXPECT_TRUE(AllIntact(card));
    }
}

// A read failing inside c2's overlapping move, after its old run was first
// written over (read 8 is its frame 7): that frame cannot be had any more,
// so the move goes on, records c2 at its new place with every other frame,
// and the destination of frame 7 is left unwritten.
TEST_F(CompactionFaults, AReadFailingInsideAMoveOverItsOwnOldRunLeavesOnlyThatFrameUnwritten)
{
    const CFaultScenario scenario(kCompactionMatrix);
    FaultRun run;
    const std::vector<ListedClip> card = RunFault(run, &DeviceFault::failRead, 8, kIdsCardAccessError);
    ASSERT_NE(nullptr, FindClip(card, 2));
    EXPECT_EQ(10, StartOfClip(card, 2));
    EXPECT_EQ(std::vector<int>{7}, FindClip(card, 2)->badFrames);
    EXPECT_TRUE(AllIntact(card, 2));
    EXPECT_EQ(30, StartOfClip(card, 3)) << "the compaction stops after the clip it was moving";
}

// The table write that records c2's overlapping move failing (write 17):
// it is written once more at once, and c2 is whole at its new place, in
// memory and on the card.
TEST_F(CompactionFaults, AFailedTableWriteAfterAMoveOverItsOwnOldRunIsWrittenOnceMore)
{
    const CFaultScenario scenario(kCompactionMatrix);
    FaultRun run;
    const std::vector<ListedClip> card = RunFault(run, &DeviceFault::failWrite, 17, kIdsCardWriteError);
    EXPECT_EQ(10, StartOfClip(InspectClips(run.disk, *run.card, lengths), 2));
    EXPECT_EQ(10, StartOfClip(card, 2));
    EXPECT_TRUE(AllIntact(card));
    EXPECT_EQ(30, StartOfClip(card, 3)) << "the compaction stops after the clip it was moving";
}

// Every write failing from c2's second step on (write 7; a card turned
// write-protected): the move stops with its record on the card, nothing
// more is written in this opening, and the next opening finishes the move
// and says so.
TEST_F(CompactionFaults, AMoveOverItsOwnOldRunStoppedByAWriteProtectedCardIsFinishedByTheNextOpening)
{
    const CFaultScenario scenario(kCompactionMatrix);
    FaultRun run;
    Run(run, nullptr, [](FaultRun& r) {
        r.card->failAllWritesFrom = r.card->writes + 7;
        return Compact(r);
    });
    EXPECT_EQ(0, run.result);
    EXPECT_EQ(std::vector<int>{kIdsCardWriteError}, run.Messages());
    EXPECT_TRUE(run.disk.MoveUnfinished());
    const int writes = run.card->writes;
    const std::vector<std::uint8_t> cluster(kClusterSize, 0);
    EXPECT_FALSE(run.disk.WriteFAT());
    EXPECT_EQ(0, run.disk.WriteCluster(50, cluster.data()));
    EXPECT_EQ(writes, run.card->writes) << "nothing reaches the device while the move is unfinished";
    EXPECT_EQ(std::vector<int>{kIdsCardWriteError}, run.Messages());

    run.card->failAllWritesFrom = 0;
    CScriptedInteraction ui;
    CDisk again;
    again.SetInteraction(&ui);
    ASSERT_TRUE(Reopen(run.card, again));
    EXPECT_EQ(std::vector<int>{kIdsMoveFinished}, ui.Ids());
    EXPECT_EQ(LoadText(kIdsMoveFinished).substr(0, 4), ui.Shown()[0].text.substr(0, 4));
    const std::vector<ListedClip> card = InspectClips(again, *run.card, lengths);
    EXPECT_EQ(10, StartOfClip(card, 2));
    EXPECT_TRUE(AllIntact(card));
    EXPECT_EQ(card.size(), CardListing(run, lengths).size()) << "the card's table records the finished move";
}

// The card vanishing inside c2's overlapping move (after 14 calls, at the
// write of its frame 4): nothing more reaches the card, whose table lists
// c2 at its old place with its first frames overwritten; once the card is
// back, its opening finishes the move and every clip is whole.
TEST_F(CompactionFaults, TheCardVanishingInsideAMoveOverItsOwnOldRunIsFinishedByTheNextOpening)
{
    const CFaultScenario scenario(kCompactionMatrix);
    FaultRun run;
    const std::vector<ListedClip> card = RunFault(run, &DeviceFault::vanishAfter, 14, kIdsCardWriteError);
    EXPECT_EQ(10, StartOfClip(card, 2));
    EXPECT_TRUE(AllIntact(card));
}

// Inside a write, a compaction that stops ends the write with no closing
// message and no frame of the new clip written.
TEST_F(CompactionFaults, ACompactionFaultInsideAClipWriteEndsItWithoutWritingAFrame)
{
    const CFaultScenario scenario(kCompactionMatrix);
    TaggedCardLayout bigger = layout;
    bigger.clusters = 115;
    Describe(bigger);
    DeviceFault fault;
    fault.failRead = 1;
    FaultRun run;
    Run(run, &fault, [](FaultRun& r) {
        CTaggedSource source(75, 9); // 75 of 79 free clusters, in no single gap
        return WriteClip(r.disk, -1, source, r.progress);
    });
    EXPECT_EQ(kWriteCompactionStopped, run.result);
    EXPECT_EQ(std::vector<int>{kIdsCardAccessError}, run.Messages());
    // c2's record of its move and its clearing, both in the spare sector.
    ASSERT_EQ(2, run.counts.writes);
    EXPECT_EQ(run.card->writeOffsets.back(), ClusterOffset(run.disk.TotalClusters()));
    EXPECT_TRUE(AllIntact(CardListing(run, lengths)));
}

// ------------------------------------------------------ thumbnail refill

const FaultMatrixName kRefillMatrix{
    "thumbnail refill (ReadClipFirstFrame of every clip)",
    "each showed \"Memory card access error!\" once, kept the failed thumbnails and wrote nothing"};

// The clip list's refill: the first frame of every clip, each read with
// ReadClipFirstFrame; a clip whose read fails keeps its former thumbnail.
struct Refill {
    int refreshed = 0;
    std::vector<int> kept; // slots that kept their thumbnail
};

Refill RefillThumbnails(CDisk& disk)
{
    Refill r;
    std::unique_ptr<std::uint8_t[]> cluster(new std::uint8_t[kClusterSize]);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (disk.Clips()[static_cast<std::size_t>(slot)].frames == 0)
            continue;
        if (disk.ReadClipFirstFrame(slot, cluster.get()))
            ++r.refreshed;
        else
            r.kept.push_back(slot);
    }
    return r;
}

class ThumbnailRefillFaults : public FaultMatrixTest {};

TEST_F(ThumbnailRefillFaults, EveryFaultShowsTheAccessMessageOnceAndChangesNothing)
{
    Describe({30, {{0, 0, 3, 1}, {1, 3, 3, 2}, {2, 9, 3, 3}, {3, 20, 3, 4}, {4, 27, 3, 5}}, {{{0, 4}}, {{2}}}});

    Refill clean;
    FaultRun cleanRun;
    Run(cleanRun, nullptr, [&](FaultRun& run) {
        clean = RefillThumbnails(run.disk);
        return 0;
    });
    ASSERT_EQ(5, clean.refreshed);
    ASSERT_EQ(5, cleanRun.counts.reads);
    ASSERT_EQ(0, cleanRun.counts.writes + cleanRun.counts.flushes);

    for (const DeviceFault& fault : StandardFaults(cleanRun.counts)) {
        SCOPED_TRACE(fault.name);
        const CFaultScenario scenario(kRefillMatrix);
        Refill refill;
        FaultRun run;
        Run(run, &fault, [&](FaultRun& r) {
            const std::vector<std::vector<long long>> before = PlaylistsByTag(r.disk);
            refill = RefillThumbnails(r.disk);
            EXPECT_EQ(before, PlaylistsByTag(r.disk));
            return 0;
        });
        // Every slot is still tried; the failed ones keep their thumbnails.
        EXPECT_EQ(5, refill.refreshed + static_cast<int>(refill.kept.size()));
        if (fault.failRead > 0)
            EXPECT_EQ(std::vector<int>{fault.failRead - 1}, refill.kept);
        else
            EXPECT_EQ(5 - fault.vanishAfter, static_cast<int>(refill.kept.size()));
        EXPECT_EQ(std::vector<int>{kIdsCardAccessError}, run.Messages());
        EXPECT_EQ(0, run.counts.writes);
        const std::vector<ListedClip> card = CardListing(run, lengths);
        EXPECT_EQ(5u, card.size());
        EXPECT_TRUE(AllIntact(card));
        EXPECT_TRUE(std::equal(base->bytes.begin(), base->bytes.end(), run.card->bytes.begin()));
    }
}

} // namespace
