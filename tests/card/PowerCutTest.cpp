// Power cuts during card operations, as real cards take them (PowerCut.h):
// each operation runs once with its writes and flushes recorded, then many
// cuts are drawn from a seeded generator, each leaving the card with what
// was flushed before it and any subset of the later writes, whole or torn.
// For every cut the card is "inserted again": a fresh CDisk opens it, which
// finishes a move the cut interrupted, and its FAT area must load, every
// clip it lists must hold exactly its frames, no clip the operation keeps
// may be missing, and the playlists must be as they were before the
// operation or after one of its table changes. A table write is cut like
// any other write: torn between its sectors or lost. Every opening that had
// a table write or a move to finish is cut once more while it finishes it,
// and the card opened again must pass the same checks. Each operation
// prints one line: what was tried and what held.
#include "ClipWriter.h"
#include "FormatFlow.h"
#include "MoveIntent.h"
#include "PowerCut.h"
#include "TableJournal.h"
#include "TempDir.h"
#include "TestEnvironment.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using PlaylistState = std::vector<std::vector<long long>>;
// The operation on an open and loaded card, with an interaction that
// answers Yes to every question; it calls `checkpoint` after every change
// of the tables in memory.
using Operation = std::function<void(CDisk& disk, IInteraction& ui, const std::function<void()>& checkpoint)>;

// Redraw callbacks of the writer as checkpoints of the tables.
class CCheckpointView : public IClipWriteView {
public:
    explicit CCheckpointView(const std::function<void()>& checkpoint) : checkpoint_(checkpoint) {}
    void ClipDeleted(const TableChange&) override { checkpoint_(); }
    void ClipMoved(const TableChange&) override { checkpoint_(); }
    void ClipRecorded(int, const TableChange&) override { checkpoint_(); }

private:
    const std::function<void()>& checkpoint_;
};

// Opens `card` with every question answered Yes and runs `op` on it;
// `checkpoints` receives the tables after each change.
void RunOperation(const std::shared_ptr<MemoryDeviceState>& card, const Operation& op,
                  std::vector<PlaylistState>& checkpoints, const CardIdentity* identity)
{
    CScriptedInteraction ui;
    for (int question : {kIdsAskFormatCard, kIdsAskDeleteClip, kIdsAskDeletePlaylist})
        ui.AlwaysAnswer(question, kIdYes);
    CDisk disk;
    disk.SetInteraction(&ui);
    ASSERT_TRUE(Reopen(card, disk));
    if (identity != nullptr)
        disk.SetIdentity(*identity);
    const std::function<void()> checkpoint = [&] { checkpoints.push_back(PlaylistsByTag(disk)); };
    checkpoint();
    op(disk, ui, checkpoint);
    disk.SetInteraction(nullptr);
}

// What the cuts of one operation showed.
struct CutFigures {
    int events = 0; // of the operation without a cut
    int writes = 0;
    int cuts = 0;
    int whole = 0; // writes since the last flush that landed whole, torn or not at all
    int torn = 0;
    int lost = 0;
    int openings = 0; // the first opening after each cut, and after each cut of its own
    int loaded = 0;
    int listed = 0;
    int intact = 0;
    int tableTorn = 0;  // table writes torn at a sector by the cuts
    int tableLost = 0;  // table writes lost
    int journals = 0;   // cuts that left a table journal for the opening
    int finishing = 0;  // openings that wrote to finish a table write or a move
    int recut = 0;      // of them, cut again while finishing it
};

bool IsTableWrite(const JournalEvent& e) { return !e.flush && e.offset == 0; }

// The operation `op` on the card of `layout`, then `cuts` cuts drawn with
// `seed`. `kept` are the tags of the clips that must be listed after every
// cut; `lengths` the true lengths of every tag.
class CCutRun {
public:
    CCutRun(const TaggedCardLayout& layout, std::map<int, int> lengths, std::set<int> kept)
        : base_(MakeTaggedCard(layout)), lengths_(std::move(lengths)), kept_(std::move(kept)),
          totalClusters_(layout.clusters)
    {
    }

    // The card has a history of its tables under this name (the state
    // folder is the caller's).
    void KeepHistory(const CardIdentity& identity) { identity_ = identity; }

    CutFigures Run(const Operation& op, int cuts, unsigned seed)
    {
        CutFigures f;
        if (base_ == nullptr) {
            ADD_FAILURE() << "the card cannot be made";
            return f;
        }
        const std::shared_ptr<MemoryDeviceState> card = CopyCard(*base_);
        WriteJournal journal;
        card->journal = &journal;
        RunOperation(card, op, checkpoints_, identity_ ? &*identity_ : nullptr);
        card->journal = nullptr;
        f.events = static_cast<int>(journal.events.size());
        f.writes = journal.Writes();

        std::mt19937 random(seed);
        std::vector<PowerCut> drawn;
        for (int i = 0; i < cuts; ++i)
            drawn.push_back(DrawPowerCut(journal, random));
        std::stable_sort(drawn.begin(), drawn.end(), [](const PowerCut& a, const PowerCut& b) { return a.after < b.after; });

        CPowerCutCard cutCard(*base_, journal);
        const std::shared_ptr<MemoryDeviceState> after = MakeDeviceState(0);
        const std::shared_ptr<MemoryDeviceState> cutAgain = MakeDeviceState(0);
        for (const PowerCut& cut : drawn) {
            SCOPED_TRACE("TESSARO_CUT_SEED=" + std::to_string(seed) + ", cut " + cut.Describe(journal));
            ++f.cuts;
            f.whole += static_cast<int>(cut.landed.size()) - cut.torn;
            f.torn += cut.torn;
            f.lost += cut.lost;
            for (const PowerCut::Landed& l : cut.landed) {
                const JournalEvent& e = journal.events[static_cast<std::size_t>(l.event)];
                f.tableTorn += IsTableWrite(e) && l.sectors * kSectorSize < static_cast<int>(e.bytes.size()) ? 1 : 0;
            }
            // The writes after the last flush that did not land are lost.
            for (int e = cut.after; e > 0 && !journal.events[static_cast<std::size_t>(e - 1)].flush; --e) {
                const int event = e - 1;
                f.tableLost += IsTableWrite(journal.events[static_cast<std::size_t>(event)]) &&
                                       std::none_of(cut.landed.begin(), cut.landed.end(),
                                                    [event](const PowerCut::Landed& l) { return l.event == event; })
                                   ? 1
                                   : 0;
            }
            cutCard.Apply(cut, *after);
            TableJournal left;
            f.journals += DecodeTableJournal(after->bytes.data() + ClusterOffset(totalClusters_), left) == kJournalValid ? 1 : 0;
            WriteJournal finishing;
            after->journal = &finishing;
            Open(after, f);
            after->journal = nullptr;
            if (finishing.Writes() == 0)
                continue;
            // The opening finished a table write or a move: cut it while
            // it does, from the same card, and open once more.
            ++f.finishing;
            ++f.recut;
            cutCard.Apply(cut, *after);
            const PowerCut second = DrawPowerCut(finishing, random);
            SCOPED_TRACE("cut again while finishing the move: " + second.Describe(finishing));
            ApplyPowerCut(*after, finishing, second, *cutAgain);
            Open(cutAgain, f);
        }
        return f;
    }

private:
    // Inserts the card again and checks what it holds.
    void Open(const std::shared_ptr<MemoryDeviceState>& card, CutFigures& f)
    {
        ++f.openings;
        CScriptedInteraction ui;
        CDisk again;
        again.SetInteraction(&ui);
        bool loaded = again.OpenDevice(std::make_unique<CMemoryDevice>(card), 0) == kOpenOk;
        if (identity_)
            again.SetIdentity(*identity_);
        loaded = loaded && again.ReadFAT() != 0;
        again.SetInteraction(nullptr);
        EXPECT_TRUE(loaded) << "the FAT area does not load";
        f.loaded += loaded ? 1 : 0;
        for (int id : ui.Ids())
            EXPECT_TRUE(id == kIdsMoveFinished) << "message " << id;
        const std::vector<ListedClip> clips = InspectClips(again, *card, lengths_);
        for (const ListedClip& c : clips) {
            ++f.listed;
            f.intact += c.Intact() ? 1 : 0;
            EXPECT_TRUE(c.Intact()) << "clip c" << c.tag << " at cluster " << c.start << ": "
                                    << c.badFrames.size() << " frames wrong";
        }
        for (int tag : kept_)
            EXPECT_NE(nullptr, FindClip(clips, tag)) << "clip c" << tag << " is lost";
        const PlaylistState playlists = PlaylistsByTag(again);
        EXPECT_NE(checkpoints_.end(), std::find(checkpoints_.begin(), checkpoints_.end(), playlists))
            << "the playlists are in no state the operation passed through";
        MoveIntent intent;
        EXPECT_EQ(kIntentNone, DecodeMoveIntent(card->bytes.data() + ClusterOffset(again.TotalClusters()), intent))
            << "the opening left a move unfinished";
        TableJournal journal;
        EXPECT_EQ(kJournalNone, DecodeTableJournal(card->bytes.data() + ClusterOffset(again.TotalClusters()), journal))
            << "the opening left a table journal";
    }

    std::shared_ptr<MemoryDeviceState> base_;
    std::map<int, int> lengths_;
    std::set<int> kept_;
    std::vector<PlaylistState> checkpoints_;
    std::optional<CardIdentity> identity_;
    int totalClusters_ = 0;
};

void PrintFigures(const char* operation, const CutFigures& f, unsigned seed)
{
    std::printf("reliability: power cut, %s: %d cuts drawn (seed %u) after any of its %d events (%d writes and "
                "their flushes), the writes since the last flush each whole, torn at a sector or lost (%d, %d, %d), "
                "table writes among them (%d torn, %d lost); %d cuts left a table journal; %d of %d openings loaded "
                "their tables",
                operation, f.cuts, seed, f.events, f.writes, f.whole, f.torn, f.lost, f.tableTorn, f.tableLost,
                f.journals, f.loaded, f.openings);
    if (f.finishing > 0)
        std::printf(", %d finished an interrupted table write or move (each of them cut again while finishing it, "
                    "and finished on the next opening)",
                    f.finishing);
    std::printf("; %d of %d listed clips intact, no clip lost, every playlist in a state the operation passed "
                "through\n",
                f.intact, f.listed);
    std::fflush(stdout);
}

constexpr unsigned kSeed = 20261209;

TEST(PowerCut, ClipWriteIntoAUsedSlot)
{
    // c2 in slot 1 is replaced by a clip of 78 frames, which takes its
    // clusters and more; c1 and c3 stay where they are.
    TaggedCardLayout layout;
    layout.clusters = 100;
    layout.clips = {{0, 0, 10, 1}, {1, 10, 10, 2}, {2, 95, 5, 3}};
    layout.playlists = {{{0, 1, 2}}, {{1, 1}}};
    std::map<int, int> lengths = TagLengths(layout.clips);
    lengths[9] = 78;
    const unsigned seed = PowerCutSeed(kSeed);
    CCutRun run(layout, lengths, {1, 3});
    const CutFigures f = run.Run(
        [](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
            CTaggedSource source(78, 9);
            CScriptedProgress progress;
            CCheckpointView view(checkpoint);
            EXPECT_EQ(kWriteDone, WriteClip(disk, 1, source, progress, &view));
        },
        200, seed);
    // A table write of more than one changed sector is three writes: its
    // journal, the table, the journal cleared.
    EXPECT_EQ(3 + 78 + 3, f.writes) << "the deletion, 78 frames, the new record";
    EXPECT_EQ(f.listed, f.intact);
    PrintFigures("clip write into a used slot", f, seed);
}

TEST(PowerCut, CompactionBeforeAClipWrite)
{
    // Free space 79 in gaps of 4, 4, 7 and 64 clusters: a clip of 75 frames
    // needs a compaction first. c2 moves down by 4 over its own old run
    // (12 frames, in steps of 4), c3 by 8 and c4 by 15, both clear of their
    // old runs.
    TaggedCardLayout layout;
    layout.clusters = 115;
    layout.clips = {{0, 0, 10, 1}, {1, 14, 12, 2}, {2, 30, 8, 3}, {3, 45, 6, 4}};
    layout.playlists = {{{1, 3}}, {{2, 1, 0}}};
    std::map<int, int> lengths = TagLengths(layout.clips);
    lengths[9] = 75;
    const unsigned seed = PowerCutSeed(kSeed + 1);
    CCutRun run(layout, lengths, {1, 2, 3, 4});
    const CutFigures f = run.Run(
        [](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
            CTaggedSource source(75, 9);
            CScriptedProgress progress;
            CCheckpointView view(checkpoint);
            ClipWriteReport report;
            EXPECT_EQ(kWriteDone, WriteClip(disk, -1, source, progress, &view, &report));
            EXPECT_EQ(1, report.compactions);
            EXPECT_EQ(36, report.firstCluster);
        },
        400, seed);
    // c2: its record, 3 steps of 4 frames each with the record advanced,
    // its table, the record cleared; c3 and c4: frames and table; the clip.
    // Each table write with its journal and the journal cleared.
    EXPECT_EQ(1 + 3 * (4 + 1) + 3 + 1 + 8 + 3 + 6 + 3 + 75 + 3, f.writes);
    EXPECT_GT(f.finishing, 0) << "no cut fell inside the move over its own old run";
    EXPECT_EQ(f.listed, f.intact);
    PrintFigures("compaction and clip write", f, seed);
}

TEST(PowerCut, FormatDeleteAndPlaylistEdits)
{
    TaggedCardLayout layout;
    layout.clusters = 30;
    layout.clips = {{0, 0, 5, 1}, {1, 10, 5, 2}, {2, 20, 4, 3}};
    layout.playlists = {{{0, 1, 1}}, {{1}}, {}, {{2, 0}}};
    const std::map<int, int> lengths = TagLengths(layout.clips);
    const unsigned seed = PowerCutSeed(kSeed + 2);

    CCutRun format(layout, lengths, {});
    const CutFigures formatted = format.Run(
        [](CDisk& disk, IInteraction& ui, const std::function<void()>& checkpoint) {
            EXPECT_EQ(kFormatDone, FormatCard(disk, ui, "CARD1"));
            checkpoint();
        },
        50, seed);
    EXPECT_EQ(3, formatted.writes) << "the journal, the table, the journal cleared";
    PrintFigures("format", formatted, seed);

    CCutRun deletion(layout, lengths, {1, 3});
    const CutFigures deleted = deletion.Run(
        [](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
            EXPECT_EQ(1, disk.DeleteClip(1));
            checkpoint();
        },
        50, seed);
    EXPECT_EQ(3, deleted.writes);
    PrintFigures("clip delete", deleted, seed);

    CCutRun edit(layout, lengths, {1, 2, 3});
    const CutFigures edits = edit.Run(
        [](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
            for (const std::function<TableChange()>& change : std::vector<std::function<TableChange()>>{
                     [&] { return disk.InsertEntry(2, 2); },
                     [&] { return disk.InsertEntry(1, 0, 0); },
                     [&] { return disk.SwapEntries(0, 0, 2); },
                     [&] { return disk.ToggleTransition(0, 0); },
                     [&] { return disk.SetLoop(0, true); },
                     [&] { return disk.SwapPlaylists(0, 5); },
                     [&] { return disk.RemoveEntry(5, 1); },
                     [&] { return disk.DeletePlaylist(3); },
                 }) {
                EXPECT_EQ(kEditStored, change().result);
                checkpoint();
            }
        },
        300, seed);
    // Five edits change several sectors; a swap of two entries of the same
    // transition, a transition and a loop flag one sector each, which lands
    // whole or not.
    EXPECT_EQ(5 * 3 + 3, edits.writes);
    PrintFigures("playlist edits", edits, seed);
}

// A full card of one spare sector: no room for a table journal's runs but
// the spare sector's own, so a small change of the table is journaled there
// and a large one carries only the digests of the old and new sectors; a
// torn table then gets back the one it replaced, from the card's history.
TEST(PowerCut, AFullCardOfOneSpareSector)
{
    TaggedCardLayout layout;
    layout.clusters = 160;
    layout.clips = {{0, 0, 80, 1}, {1, 80, 75, 2}, {2, 155, 5, 3}};
    layout.playlists = {{{0, 1, 2}}, {{1, 1}}, {{2}}};
    std::map<int, int> lengths = TagLengths(layout.clips);
    lengths[9] = 75;
    const unsigned seed = PowerCutSeed(kSeed + 3);
    CTempDir home;
    const CScopedEnv stateHome("XDG_STATE_HOME", home.Path());
    CardIdentity id;
    id.path = "/cards/full.img";
    id.image = true;
    id.sizeBytes = CardBytes(layout.clusters);

    CCutRun write(layout, lengths, {1, 3});
    write.KeepHistory(id);
    const CutFigures written = write.Run(
        [](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
            CTaggedSource source(75, 9);
            CScriptedProgress progress;
            CCheckpointView view(checkpoint);
            EXPECT_EQ(kWriteDone, WriteClip(disk, 1, source, progress, &view));
            EXPECT_EQ(kEditStored, disk.InsertEntry(4, 1).result);
            checkpoint();
            EXPECT_EQ(kEditStored, disk.SwapPlaylists(0, 4).result);
            checkpoint();
        },
        150, seed);
    EXPECT_EQ(3 + 75 + 3 + 3 + 3, written.writes) << "every table write with its journal in the spare sector";
    EXPECT_EQ(written.listed, written.intact);
    PrintFigures("full card of one spare sector, clip write and playlist edits", written, seed);

    // Every playlist filled: a change of some 1800 bytes.
    CCutRun fill(layout, lengths, {1, 2, 3});
    fill.KeepHistory(id);
    const CutFigures filled = fill.Run(
        [](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
            std::array<Playlist, kPlaylistCount> playlists = disk.Playlists();
            for (Playlist& p : playlists) {
                p.entries.clear();
                for (int k = 0; k < kMaxEntries; ++k)
                    p.entries.push_back(PlaylistEntry{k % 3, k % 2 != 0 ? kTransitionAuto : kTransitionCut, 0});
            }
            EXPECT_EQ(kEditStored, disk.SetPlaylists(playlists).result);
            checkpoint();
        },
        150, seed);
    EXPECT_GT(filled.tableTorn, 0) << "no cut tore the table";
    EXPECT_EQ(filled.listed, filled.intact);
    PrintFigures("full card of one spare sector, every playlist filled (torn tables put back from the history)",
                 filled, seed);
}

// A card that loses writes silently and goes on answering (not a power
// cut: the program runs on): the writer's read-back finds the first frame
// missing and records nothing. The card keeps only the first k writes of
// the write, for every k.
TEST(LostWrites, TheReadBackFindsTheFirstFrameTheCardLost)
{
    TaggedCardLayout layout;
    layout.clusters = 100;
    layout.clips = {{0, 0, 10, 1}, {1, 10, 10, 2}, {2, 95, 5, 3}};
    const std::shared_ptr<MemoryDeviceState> base = MakeTaggedCard(layout);
    ASSERT_NE(nullptr, base);
    std::map<int, int> lengths = TagLengths(layout.clips);
    lengths[9] = 78;
    const std::shared_ptr<MemoryDeviceState> card = CopyCard(*base);
    for (int k = 0; k <= 84; ++k) {
        SCOPED_TRACE(k);
        RestoreCard(*card, *base);
        CScriptedInteraction ui;
        ui.AlwaysAnswer(kIdsAskDeleteClip, kIdYes);
        CDisk disk;
        disk.SetInteraction(&ui);
        ASSERT_TRUE(Reopen(card, disk));
        card->keepWrites = card->writes + k;
        CTaggedSource source(78, 9);
        CScriptedProgress progress;
        ClipWriteReport report;
        const int outcome = WriteClip(disk, 1, source, progress, nullptr, &report);
        card->keepWrites = -1;
        // The deletion is writes 1 to 3 (journal, table, journal cleared),
        // writes 4 to 81 the frames: after k writes landed, frame k - 3 is
        // the first one missing. The deletion lost, or only the last table
        // write lost, leaves nothing for the read-back to find.
        const int expected = k <= 80 ? std::max(k - 3, 0) : -1;
        EXPECT_EQ(expected, report.mismatchFrame);
        EXPECT_EQ(expected < 0 ? kWriteDone : kWriteAborted, outcome);
        CDisk again;
        ASSERT_TRUE(Reopen(card, again));
        const std::vector<ListedClip> clips = InspectClips(again, *card, lengths);
        EXPECT_EQ(k >= 83, FindClip(clips, 9) != nullptr) << "the new clip is recorded by the table write only";
        for (const ListedClip& c : clips)
            EXPECT_TRUE(c.Intact()) << "clip c" << c.tag;
    }
}

} // namespace
