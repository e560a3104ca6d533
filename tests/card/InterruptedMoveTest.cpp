// Openings of a card that a power cut or a failure left in the middle of a
// move over a clip's own old run: the record in the spare sector makes the
// opening finish the move (or put the clip back where its new place is
// taken since), say so, and leave the card clean; a spare sector that holds
// anything else is not touched.
#include "CardCompactor.h"
#include "ClipWriter.h"
#include "MoveIntent.h"
#include "PowerCut.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"
#include "TempDir.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int kClusters = 60;

std::uint8_t* SpareSector(MemoryDeviceState& card) { return card.bytes.data() + ClusterOffset(kClusters); }

// Opens `card` as an insertion does: what was shown, and what it lists.
struct Opening {
    CScriptedInteraction ui;
    CDisk disk;
    bool loaded = false;
    int writes = 0; // made by the opening
};

void OpenCard(const std::shared_ptr<MemoryDeviceState>& card, Opening& o)
{
    const int before = card->writes;
    o.disk.SetInteraction(&o.ui);
    o.loaded = Reopen(card, o.disk);
    o.writes = card->writes - before;
}

TEST(InterruptedMove, ACutInsideTheMoveIsFinishedByTheNextOpeningWithTheClipWhole)
{
    // c2 (12 frames) moves from 14 down to 10, in steps of 4.
    TaggedCardLayout layout{kClusters, {{0, 0, 10, 1}, {1, 14, 12, 2}}, {{{1, 0}}}};
    const std::shared_ptr<MemoryDeviceState> base = MakeTaggedCard(layout);
    ASSERT_NE(nullptr, base);
    const std::shared_ptr<MemoryDeviceState> card = CopyCard(*base);
    WriteJournal journal;
    {
        CDisk disk;
        ASSERT_TRUE(Reopen(card, disk));
        card->journal = &journal;
        std::vector<ClusterRun> runs = UsedRuns(disk);
        SortRuns(runs);
        CScriptedProgress progress;
        ASSERT_TRUE(CompactCard(disk, runs, progress, nullptr));
        card->journal = nullptr;
    }

    // The cut: right after the record saying 8 frames are at the new place
    // was flushed; none of the later writes landed.
    PowerCut cut;
    for (std::size_t i = 0; i + 1 < journal.events.size() && cut.after == 0; ++i) {
        const JournalEvent& e = journal.events[i];
        MoveIntent intent;
        if (!e.flush && e.offset == ClusterOffset(kClusters) &&
            DecodeMoveIntent(e.bytes.data(), intent) == kIntentValid && intent.progress == 8) {
            ASSERT_TRUE(journal.events[i + 1].flush);
            cut.after = static_cast<int>(i) + 2;
        }
    }
    ASSERT_GT(cut.after, 0) << "no record of 8 frames done";
    const std::shared_ptr<MemoryDeviceState> after = MakeDeviceState(0);
    CPowerCutCard(*base, journal).Apply(cut, *after);
    // The table still names the old place, whose first clusters now hold
    // frames 4 to 7.
    ASSERT_TRUE(HoldsPattern(*after, 14, 2, 4));

    Opening first;
    OpenCard(after, first);
    ASSERT_TRUE(first.loaded);
    ASSERT_EQ(std::vector<int>{kIdsMoveFinished}, first.ui.Ids());
    EXPECT_NE(std::string::npos, first.ui.Shown()[0].text.find("02")) << first.ui.Shown()[0].text;
    const std::map<int, int> lengths = TagLengths(layout.clips);
    const std::vector<ListedClip> clips = InspectClips(first.disk, *after, lengths);
    EXPECT_EQ(10, StartOfClip(clips, 2));
    for (const ListedClip& c : clips)
        EXPECT_TRUE(c.Intact()) << "clip c" << c.tag;
    MoveIntent left;
    EXPECT_EQ(kIntentNone, DecodeMoveIntent(SpareSector(*after), left));
    const ListedClip* c2 = FindClip(clips, 2);
    ASSERT_NE(nullptr, c2);
    ASSERT_EQ(2u, first.disk.Playlists()[0].entries.size());
    EXPECT_EQ(c2->slot, first.disk.Playlists()[0].entries[0].slot) << "the playlist plays c2 at its new place";

    // The card's table records the finished move: the next opening finds
    // nothing to do.
    Opening second;
    OpenCard(after, second);
    EXPECT_TRUE(second.ui.Ids().empty());
    EXPECT_EQ(0, second.writes);
    EXPECT_EQ(TableSnapshot(first.disk), TableSnapshot(second.disk));
}

TEST(InterruptedMove, AMoveWhoseNewPlaceTheTableNowGivesAnotherClipIsPutBack)
{
    // A cut left c2's move from 14 to 10 with 8 frames at the new place;
    // since then the table was changed to list c3 at clusters 10 to 13.
    TaggedCardLayout layout{kClusters, {{0, 14, 12, 2}, {1, 10, 4, 3}}, {}};
    const std::shared_ptr<MemoryDeviceState> card = MakeTaggedCard(layout);
    ASSERT_NE(nullptr, card);
    for (int h = 0; h < 8; ++h)
        std::memcpy(card->bytes.data() + ClusterOffset(10 + h), PatternFrame(2, h), kFrameSize);
    MoveIntent{0, 14, 10, 12, 8}.EncodeTo(SpareSector(*card));

    Opening o;
    OpenCard(card, o);
    ASSERT_TRUE(o.loaded);
    EXPECT_EQ(std::vector<int>{kIdsMoveUndone}, o.ui.Ids());
    const std::vector<ListedClip> clips = InspectClips(o.disk, *card, TagLengths(layout.clips));
    const ListedClip* c2 = FindClip(clips, 2);
    ASSERT_NE(nullptr, c2);
    EXPECT_EQ(14, c2->start);
    EXPECT_TRUE(c2->Intact()) << c2->badFrames.size() << " frames wrong";
    MoveIntent left;
    EXPECT_EQ(kIntentNone, DecodeMoveIntent(SpareSector(*card), left));
}

TEST(InterruptedMove, AnOpeningForReadingLeavesTheMoveToTheOpeningForWriting)
{
    // A cut left c2's move from 14 to 10 with 8 frames at the new place.
    TaggedCardLayout layout{kClusters, {{0, 14, 12, 2}}, {}};
    const std::shared_ptr<MemoryDeviceState> card = MakeTaggedCard(layout);
    ASSERT_NE(nullptr, card);
    for (int h = 0; h < 8; ++h)
        std::memcpy(card->bytes.data() + ClusterOffset(10 + h), PatternFrame(2, h), kFrameSize);
    MoveIntent{0, 14, 10, 12, 8}.EncodeTo(SpareSector(*card));
    CTempDir sys; // no disk of that name: not write-protected
    CEnvironment env;
    env.sysRoot = sys.Path();
    env.cardReaders = NoCardReaders;
    env.openDevice = OpenerOf(card);
    CScriptedInteraction ui;
    CDisk disk(env);
    disk.SetInteraction(&ui);

    ASSERT_EQ(kOpenOk, disk.OpenPath("/dev/sdtm", kCardRead));
    ASSERT_TRUE(disk.ReadFAT());
    EXPECT_EQ(std::vector<int>{kIdsMovePending}, ui.Ids());
    EXPECT_TRUE(disk.MovePending());
    EXPECT_EQ(0, card->writes);
    std::vector<std::uint8_t> frame(kClusterSize);
    for (int h = 0; h < 12; ++h) {
        ASSERT_TRUE(disk.ReadClipFrame(0, h, frame.data()));
        EXPECT_TRUE(IsPatternFrame(frame.data(), 2, h)) << "frame " << h << " read from where it lies";
    }

    ASSERT_EQ(kOpenOk, disk.ReopenForWriting());
    EXPECT_TRUE(disk.Writable());
    EXPECT_FALSE(disk.MovePending());
    EXPECT_EQ((std::vector<int>{kIdsMovePending, kIdsMoveFinished}), ui.Ids());
    EXPECT_EQ(CDisk::SectorOfCluster(10), disk.Clips()[0].firstSector);
    MoveIntent left;
    EXPECT_EQ(kIntentNone, DecodeMoveIntent(SpareSector(*card), left));
}

TEST(InterruptedMove, ASpareSectorHoldingAnythingElseIsLeftAsItIs)
{
    TaggedCardLayout layout{kClusters, {{0, 0, 10, 1}, {1, 14, 12, 2}}, {{{1, 0}}}};
    const std::shared_ptr<MemoryDeviceState> plain = MakeTaggedCard(layout);
    ASSERT_NE(nullptr, plain);
    Opening reference;
    OpenCard(plain, reference);
    ASSERT_TRUE(reference.loaded);

    std::vector<std::vector<std::uint8_t>> spares;
    // Foreign bytes (a partition table's copy, say).
    std::vector<std::uint8_t> foreign(kSectorSize);
    for (std::size_t i = 0; i < foreign.size(); ++i)
        foreign[i] = static_cast<std::uint8_t>(i * 13 + 7);
    spares.push_back(foreign);
    // A record of a move with one bit of its checksum wrong: damaged.
    std::vector<std::uint8_t> damaged(kSectorSize);
    MoveIntent{1, 14, 10, 12, 8}.EncodeTo(damaged.data());
    damaged[28] ^= 0x01;
    spares.push_back(damaged);
    // A whole record that names a move past the card's end.
    std::vector<std::uint8_t> outside(kSectorSize);
    MoveIntent{1, 55, 50, 12, 8}.EncodeTo(outside.data());
    spares.push_back(outside);

    for (std::size_t k = 0; k < spares.size(); ++k) {
        SCOPED_TRACE(k);
        const std::shared_ptr<MemoryDeviceState> card = CopyCard(*plain);
        std::memcpy(SpareSector(*card), spares[k].data(), kSectorSize);
        const std::vector<std::uint8_t> bytes = card->bytes;
        Opening o;
        OpenCard(card, o);
        EXPECT_TRUE(o.loaded);
        EXPECT_TRUE(o.ui.Ids().empty());
        EXPECT_EQ(0, o.writes);
        EXPECT_TRUE(bytes == card->bytes) << "the card was changed";
        EXPECT_EQ(TableSnapshot(reference.disk), TableSnapshot(o.disk));
    }
}

} // namespace
