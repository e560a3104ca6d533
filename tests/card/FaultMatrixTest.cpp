// Device faults during the long card operations: a clip write, a
// compaction and the refill of the clip thumbnails. Each operation is run
// once to count its transfers, then once per fault: the first, a middle and
// the last read and write failing, every flush failing, and the card
// vanishing half-way, plus the cases that matter most for each. Every run
// must end with the documented messages, the card's error message exactly
// once, and nothing recorded, on the card or in memory, that is not whole on
// the card. Each operation prints one line: faults injected and held.
#include "CardCompactor.h"
#include "ClipVerifier.h"
#include "ClipWriter.h"
#include "DeviceFaults.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

bool IsCardError(int id) { return id == kIdsCardAccessError || id == kIdsCardWriteError; }

// Failed assertions of the running test so far: a fault "held" when its
// run added none.
int FailuresSoFar() { return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count(); }

// One run of an operation on a fresh copy of the card, with `fault` armed
// (null: none).
struct FaultRun {
    std::shared_ptr<MemoryDeviceState> card;
    CScriptedInteraction ui;
    CScriptedProgress progress;
    CDisk disk;
    TransferCounts counts; // of the operation
    int result = -1;

    std::vector<int> Messages() const
    {
        std::vector<int> ids;
        for (const ShownMessage& m : ui.Shown())
            ids.push_back(m.id);
        return ids;
    }
    int CardErrors() const
    {
        int n = 0;
        for (int id : Messages())
            n += IsCardError(id) ? 1 : 0;
        return n;
    }
};

using CardOperation = std::function<int(FaultRun& run)>;

void RunOnCopy(FaultRun& run, const MemoryDeviceState& base, const DeviceFault* fault, const CardOperation& op)
{
    run.card = CopyCard(base);
    run.ui.AlwaysAnswer(kIdsAskDeleteClip, kIdYes);
    run.disk.SetInteraction(&run.ui);
    ASSERT_TRUE(Reopen(run.card, run.disk));
    const TransferCounts before = CountsOf(*run.card);
    if (fault != nullptr)
        fault->Arm(*run.card, before.Calls());
    run.result = op(run);
    run.counts = CountsSince(*run.card, before);
    run.disk.SetInteraction(nullptr);
}

// What the card holds once it works again: its bytes as they are, read by
// a fresh opening (the run's fault disarmed).
std::vector<ListedClip> CardListing(const FaultRun& run, const std::map<int, int>& lengths)
{
    MemoryDeviceState& card = *run.card;
    card.failRead = card.failWrite = card.failFlush = card.failWriteBack = card.failAllWritesFrom = card.vanishAfterCalls = 0;
    card.corruptCached.clear();
    card.vanished = false;
    CDisk again;
    EXPECT_TRUE(Reopen(run.card, again)) << "the FAT area no longer loads";
    return InspectClips(again, card, lengths);
}

std::vector<int> Tags(const std::vector<ListedClip>& clips)
{
    std::vector<int> tags;
    for (const ListedClip& c : clips)
        tags.push_back(c.tag);
    return tags;
}

const ListedClip* Find(const std::vector<ListedClip>& clips, int tag)
{
    for (const ListedClip& c : clips) {
        if (c.tag == tag)
            return &c;
    }
    return nullptr;
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

void PrintSummary(const char* operation, int injected, int held, const char* what)
{
    std::printf("reliability: fault matrix, %s: %d faults injected, %d held (%s)\n", operation, injected, held, what);
    std::fflush(stdout);
}

// ---------------------------------------------------------------- writing

class WriteFaults : public ::testing::Test {
protected:
    // c1 and c2 on a card of 100 clusters; the new clip of 75 frames goes
    // into slot 2 at cluster 10.
    void SetUp() override
    {
        layout.clusters = 100;
        layout.clips = {{0, 0, 10, 1}, {1, 90, 10, 2}};
        layout.playlists = {{{0, 1}}};
        base = MakeTaggedCard(layout);
        ASSERT_NE(nullptr, base);
        lengths = TagLengths(layout.clips);
        lengths[9] = 75;
    }

    CardOperation Write(int slot, int failSourceFrame = -1)
    {
        return [slot, failSourceFrame](FaultRun& run) {
            CTaggedSource source(75, 9);
            source.failAt = failSourceFrame;
            return WriteClip(run.disk, slot, source, run.progress);
        };
    }

    TaggedCardLayout layout;
    std::shared_ptr<MemoryDeviceState> base;
    std::map<int, int> lengths;
};

TEST_F(WriteFaults, EveryFaultEndsAbortedWithOneCardMessageAndNothingHalfRecorded)
{
    FaultRun clean;
    RunOnCopy(clean, *base, nullptr, Write(-1));
    ASSERT_EQ(kWriteDone, clean.result);
    ASSERT_EQ(75, clean.counts.reads);  // the frames read back
    ASSERT_EQ(76, clean.counts.writes); // 75 frames and the table
    ASSERT_EQ(2, clean.counts.flushes); // the frames, then the table
    ASSERT_EQ(1, clean.counts.writeBacks); // started after the first 58 frames

    int injected = 0;
    int held = 0;
    for (const DeviceFault& fault : StandardFaults(clean.counts)) {
        SCOPED_TRACE(fault.name);
        FaultRun run;
        RunOnCopy(run, *base, &fault, Write(-1));
        ++injected;
        const int failures = FailuresSoFar();

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
        const bool onlyTableFailed = fault.failWrite == 76 || fault.failFlush == 2;
        EXPECT_EQ(onlyTableFailed, Find(memory, 9) != nullptr);

        // Card: listed clips are whole; the new clip is listed only when its
        // table reached the card (the table's flush was what failed).
        const std::vector<ListedClip> card = CardListing(run, lengths);
        EXPECT_TRUE(AllIntact(card));
        EXPECT_EQ(fault.failFlush == 2, Find(card, 9) != nullptr);
        EXPECT_NE(nullptr, Find(card, 1));
        EXPECT_NE(nullptr, Find(card, 2));

        held += FailuresSoFar() == failures ? 1 : 0;
    }

    // The source's frame failing: no card message, only the closing one.
    {
        SCOPED_TRACE("source frame 40 unreadable");
        FaultRun run;
        RunOnCopy(run, *base, nullptr, Write(-1, 40));
        ++injected;
        EXPECT_EQ(kWriteAborted, run.result);
        EXPECT_EQ(std::vector<int>{kIdsOperationAborted}, run.Messages());
        EXPECT_EQ(nullptr, Find(InspectClips(run.disk, *run.card, lengths), 9));
        EXPECT_EQ((std::vector<int>{1, 2}), Tags(CardListing(run, lengths)));
        held += run.result == kWriteAborted && run.Messages() == std::vector<int>{kIdsOperationAborted} ? 1 : 0;
    }

    // A card that stores frame 40 with a byte changed: the read-back finds
    // it, says so, and nothing is recorded, on the card or in memory.
    {
        SCOPED_TRACE("the card returns frame 40 changed");
        FaultRun run;
        RunOnCopy(run, *base, nullptr, [](FaultRun& r) {
            r.card->corruptWrite = r.card->writes + 41;
            CTaggedSource source(75, 9);
            return WriteClip(r.disk, -1, source, r.progress);
        });
        ++injected;
        const int failures = FailuresSoFar();
        EXPECT_EQ(kWriteAborted, run.result);
        EXPECT_EQ((std::vector<int>{kIdsVerifyMismatch, kIdsOperationAborted}), run.Messages());
        EXPECT_EQ(LoadText(kIdsVerifyMismatch).substr(0, 20), run.ui.Shown()[0].text.substr(0, 20));
        EXPECT_NE(std::string::npos, run.ui.Shown()[0].text.find("frame 41 of 75"));
        EXPECT_EQ(41, run.counts.reads) << "the read-back stops at the frame that differs";
        EXPECT_EQ(75, run.counts.writes) << "no table written";
        EXPECT_EQ(nullptr, Find(InspectClips(run.disk, *run.card, lengths), 9));
        EXPECT_EQ((std::vector<int>{1, 2}), Tags(CardListing(run, lengths)));
        held += FailuresSoFar() == failures ? 1 : 0;
    }

    // Writing over c2 in slot 1: its deletion is stored first; when that
    // table write fails, no frame may be written over c2's clusters, which
    // the card still lists.
    {
        SCOPED_TRACE("table write of the deletion fails");
        DeviceFault fault;
        fault.failWrite = 1;
        FaultRun run;
        RunOnCopy(run, *base, &fault, Write(1));
        ++injected;
        EXPECT_EQ(kWriteAborted, run.result);
        EXPECT_EQ((std::vector<int>{kIdsAskDeleteClip, kIdsCardWriteError, kIdsOperationAborted}), run.Messages());
        EXPECT_EQ(1, run.counts.writes);
        const std::vector<ListedClip> card = CardListing(run, lengths);
        EXPECT_EQ((std::vector<int>{1, 2}), Tags(card));
        EXPECT_TRUE(AllIntact(card));
        held += run.counts.writes == 1 && AllIntact(card) ? 1 : 0;
    }
    EXPECT_EQ(injected, held);
    PrintSummary("clip write", injected, held,
                 "each ended \"Operation aborted.\" after one card message or the read-back's finding; no clip "
                 "recorded that is not whole on the card");
}

// ------------------------------------------------------------- compaction

class CompactionFaults : public ::testing::Test {
protected:
    // c1 stays at 0; c2 (12 frames) moves from 14 down to 10, over its own
    // old run; c3 (8) from 30 to 22 and c4 (6) from 45 to 30, both clear of
    // their old runs. Transfers in order: c2's 12 reads and writes, its
    // flush, its table write and flush; the same for c3 and c4.
    void SetUp() override
    {
        layout.clusters = 60;
        layout.clips = {{0, 0, 10, 1}, {1, 14, 12, 2}, {2, 30, 8, 3}, {3, 45, 6, 4}};
        layout.playlists = {{{1, 3}}, {{2, 1, 0}}};
        base = MakeTaggedCard(layout);
        ASSERT_NE(nullptr, base);
        lengths = TagLengths(layout.clips);
    }

    static int Compact(FaultRun& run)
    {
        std::vector<ClusterRun> runs = UsedRuns(run.disk);
        SortRuns(runs);
        return CompactCard(run.disk, runs, run.progress, nullptr);
    }

    static int StartOf(const std::vector<ListedClip>& clips, int tag)
    {
        const ListedClip* c = Find(clips, tag);
        return c != nullptr ? c->start : -1;
    }

    TaggedCardLayout layout;
    std::shared_ptr<MemoryDeviceState> base;
    std::map<int, int> lengths;
};

TEST_F(CompactionFaults, EveryFaultStopsAfterTheCurrentClipWithEveryClipWhole)
{
    FaultRun clean;
    RunOnCopy(clean, *base, nullptr, &Compact);
    ASSERT_EQ(1, clean.result);
    ASSERT_EQ(26, clean.counts.reads);
    ASSERT_EQ(29, clean.counts.writes);
    ASSERT_EQ(6, clean.counts.flushes);
    const std::vector<ListedClip> packed = CardListing(clean, lengths);
    ASSERT_TRUE(AllIntact(packed));
    ASSERT_EQ(10, StartOf(packed, 2));

    int injected = 0;
    int held = 0;
    for (const DeviceFault& fault : StandardFaults(clean.counts)) {
        SCOPED_TRACE(fault.name);
        FaultRun run;
        RunOnCopy(run, *base, &fault, &Compact);
        ++injected;
        const int failures = FailuresSoFar();

        // The compaction stops with the card's message alone: the write it
        // serves ends without a closing message.
        EXPECT_EQ(0, run.result);
        ASSERT_EQ(1u, run.Messages().size());
        EXPECT_TRUE(IsCardError(run.Messages()[0]));
        EXPECT_FALSE(run.progress.running);
        // None of these faults falls after c2's frames land on its old run
        // and before its new place is recorded, so the card and memory list
        // every clip whole, each at its old or its new place.
        const std::vector<ListedClip> memory = InspectClips(run.disk, *run.card, lengths);
        const std::vector<ListedClip> card = CardListing(run, lengths);
        EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Tags(memory));
        EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Tags(card));
        EXPECT_TRUE(AllIntact(memory));
        EXPECT_TRUE(AllIntact(card));
        held += FailuresSoFar() == failures ? 1 : 0;
    }

    // A read failing inside c2's overlapping move, after its old run was
    // first written over (read 8 is its frame 7): that frame cannot be had
    // any more, so the move goes on, records c2 at its new place with every
    // other frame, and the destination of frame 7 is left unwritten.
    {
        SCOPED_TRACE("read of frame 7 of a clip moving over its own old run fails");
        DeviceFault fault;
        fault.failRead = 8;
        FaultRun run;
        RunOnCopy(run, *base, &fault, &Compact);
        ++injected;
        EXPECT_EQ(std::vector<int>{kIdsCardAccessError}, run.Messages());
        const std::vector<ListedClip> card = CardListing(run, lengths);
        ASSERT_NE(nullptr, Find(card, 2));
        EXPECT_EQ(10, StartOf(card, 2));
        EXPECT_EQ(std::vector<int>{7}, Find(card, 2)->badFrames);
        EXPECT_TRUE(AllIntact(card, 2));
        EXPECT_EQ(30, StartOf(card, 3)) << "the compaction stops after the clip it was moving";
        held += Find(card, 2) != nullptr && Find(card, 2)->badFrames == std::vector<int>{7} && AllIntact(card, 2) ? 1 : 0;
    }

    // The table write that records c2's overlapping move failing: memory
    // holds c2 whole at its new place, while the card's table still lists
    // it at its old, partly overwritten place; the next table write that
    // succeeds puts it right.
    {
        SCOPED_TRACE("table write after a move over the clip's own old run fails");
        DeviceFault fault;
        fault.failWrite = 13;
        FaultRun run;
        RunOnCopy(run, *base, &fault, &Compact);
        ++injected;
        EXPECT_EQ(std::vector<int>{kIdsCardWriteError}, run.Messages());
        const std::vector<ListedClip> memory = InspectClips(run.disk, *run.card, lengths);
        EXPECT_TRUE(AllIntact(memory));
        EXPECT_EQ(10, StartOf(memory, 2));
        std::vector<ListedClip> card = CardListing(run, lengths);
        ASSERT_NE(nullptr, Find(card, 2));
        EXPECT_EQ(14, StartOf(card, 2));
        EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}), Find(card, 2)->badFrames);
        EXPECT_TRUE(AllIntact(card, 2));
        run.card->failWrite = 0;
        EXPECT_TRUE(run.disk.WriteFAT());
        card = CardListing(run, lengths);
        EXPECT_TRUE(AllIntact(card));
        held += AllIntact(card) ? 1 : 0;
    }

    // The card vanishing inside c2's overlapping move (after its frame 6):
    // nothing more reaches the card, whose table lists c2 at its old place
    // with its first frames overwritten; the same damage a power cut does in
    // that window (PowerCutTest). Every other clip stays whole.
    {
        SCOPED_TRACE("card vanishes inside a move over the clip's own old run");
        DeviceFault fault;
        fault.vanishAfter = 14;
        FaultRun run;
        RunOnCopy(run, *base, &fault, &Compact);
        ++injected;
        EXPECT_EQ(std::vector<int>{kIdsCardAccessError}, run.Messages());
        const std::vector<ListedClip> card = CardListing(run, lengths);
        ASSERT_NE(nullptr, Find(card, 2));
        EXPECT_EQ(14, StartOf(card, 2));
        EXPECT_EQ((std::vector<int>{0, 1, 2}), Find(card, 2)->badFrames);
        EXPECT_TRUE(AllIntact(card, 2));
        held += AllIntact(card, 2) ? 1 : 0;
    }

    // Inside a write, a compaction that stops ends the write with no
    // closing message and no frame of the new clip written.
    {
        SCOPED_TRACE("compaction fault inside a clip write");
        TaggedCardLayout bigger = layout;
        bigger.clusters = 115;
        const std::shared_ptr<MemoryDeviceState> roomy = MakeTaggedCard(bigger);
        ASSERT_NE(nullptr, roomy);
        DeviceFault fault;
        fault.failRead = 1;
        FaultRun run;
        RunOnCopy(run, *roomy, &fault, [](FaultRun& r) {
            CTaggedSource source(75, 9); // 75 of 79 free clusters, in no single gap
            return WriteClip(r.disk, -1, source, r.progress);
        });
        ++injected;
        EXPECT_EQ(kWriteCompactionStopped, run.result);
        EXPECT_EQ(std::vector<int>{kIdsCardAccessError}, run.Messages());
        EXPECT_EQ(0, run.counts.writes);
        EXPECT_TRUE(AllIntact(CardListing(run, lengths)));
        held += run.result == kWriteCompactionStopped && run.counts.writes == 0 ? 1 : 0;
    }
    EXPECT_EQ(injected, held);
    PrintSummary("compaction", injected, held,
                 "each stopped after the current clip with one card message; every clip whole except where the "
                 "fault falls inside a move over the clip's own old run, stated precisely");
}

// ------------------------------------------------------ thumbnail refill

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

TEST(ThumbnailRefillFaults, EveryFaultShowsTheAccessMessageOnceAndChangesNothing)
{
    TaggedCardLayout layout;
    layout.clusters = 30;
    layout.clips = {{0, 0, 3, 1}, {1, 3, 3, 2}, {2, 9, 3, 3}, {3, 20, 3, 4}, {4, 27, 3, 5}};
    layout.playlists = {{{0, 4}}, {{2}}};
    const std::shared_ptr<MemoryDeviceState> base = MakeTaggedCard(layout);
    ASSERT_NE(nullptr, base);
    const std::map<int, int> lengths = TagLengths(layout.clips);

    Refill clean;
    FaultRun cleanRun;
    RunOnCopy(cleanRun, *base, nullptr, [&](FaultRun& run) {
        clean = RefillThumbnails(run.disk);
        return 0;
    });
    ASSERT_EQ(5, clean.refreshed);
    ASSERT_EQ(5, cleanRun.counts.reads);
    ASSERT_EQ(0, cleanRun.counts.writes + cleanRun.counts.flushes);

    int injected = 0;
    int held = 0;
    for (const DeviceFault& fault : StandardFaults(cleanRun.counts)) {
        SCOPED_TRACE(fault.name);
        Refill refill;
        FaultRun run;
        RunOnCopy(run, *base, &fault, [&](FaultRun& r) {
            const std::vector<std::vector<long long>> before = PlaylistsByTag(r.disk);
            refill = RefillThumbnails(r.disk);
            EXPECT_EQ(before, PlaylistsByTag(r.disk));
            return 0;
        });
        ++injected;
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
        held += run.Messages() == std::vector<int>{kIdsCardAccessError} && run.counts.writes == 0 ? 1 : 0;
    }
    EXPECT_EQ(injected, held);
    PrintSummary("thumbnail refill (ReadClipFirstFrame of every clip)", injected, held,
                 "each showed \"Memory card access error!\" once, kept the failed thumbnails and wrote nothing");
}

} // namespace
