// Power cuts during card operations. The device keeps only the first k
// writes of an operation and silently drops the rest: what the card holds
// when the power goes after its k-th write. For every k from 0 to the
// operation's write count the card is "inserted again": a fresh CDisk reads
// the kept bytes, its FAT area must load, every clip it lists must hold
// exactly its original frames, and the playlists must be as they were
// before the operation or after one of its table writes. Each operation
// prints one line: cuts tried, clips listed and intact.
#include "ClipWriter.h"
#include "FormatFlow.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
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

struct Restart {
    std::vector<ListedClip> clips;
    PlaylistState playlists;
};

struct Simulation {
    int writes = 0;                          // writes of the operation without a cut
    std::vector<std::uint64_t> writeOffsets; // in order, without a cut
    std::vector<PlaylistState> checkpoints;  // the tables after each change, without a cut
    std::vector<ListedClip> finalClips;      // the tables after the operation, without a cut
    std::vector<Restart> restarts;           // one per cut: restarts[k] kept k writes
    int loaded = 0; // restarts whose FAT area loaded
    int listed = 0;
    int intact = 0;

    // Cuts after which the clip `tag` was listed but not intact.
    std::vector<int> DamagedAt(int tag) const
    {
        std::vector<int> cuts;
        for (std::size_t k = 0; k < restarts.size(); ++k) {
            const ListedClip* c = FindClip(restarts[k].clips, tag);
            if (c != nullptr && !c->Intact())
                cuts.push_back(static_cast<int>(k));
        }
        return cuts;
    }
    // Cuts after which the clip `tag` was listed.
    std::vector<int> ListedAt(int tag) const
    {
        std::vector<int> cuts;
        for (std::size_t k = 0; k < restarts.size(); ++k) {
            if (FindClip(restarts[k].clips, tag) != nullptr)
                cuts.push_back(static_cast<int>(k));
        }
        return cuts;
    }
};

std::vector<int> Range(int from, int to)
{
    std::vector<int> v;
    for (int i = from; i <= to; ++i)
        v.push_back(i);
    return v;
}

// Runs `op` on `card`, first restored to `base`, keeping only `keep` writes
// (-1: all). `checkpoints` (optional) receives the tables after each change,
// `after` (optional) is the disk the operation ran on.
void RunOnce(const std::shared_ptr<MemoryDeviceState>& card, const MemoryDeviceState& base, int keep,
             const Operation& op, std::vector<PlaylistState>* checkpoints, CDisk* after = nullptr)
{
    RestoreCard(*card, base);
    card->keepWrites = keep;
    CScriptedInteraction ui;
    for (int question : {kIdsAskFormat, kIdsAskDeleteClip, kIdsAskDeletePlaylist})
        ui.AlwaysAnswer(question, kIdYes);
    CDisk local;
    CDisk& disk = after != nullptr ? *after : local;
    disk.SetInteraction(&ui);
    EXPECT_TRUE(Reopen(card, disk));
    card->writes = 0;
    card->writeOffsets.clear();
    const std::function<void()> checkpoint = [&] {
        if (checkpoints != nullptr)
            checkpoints->push_back(PlaylistsByTag(disk));
    };
    checkpoint();
    op(disk, ui, checkpoint);
    disk.SetInteraction(nullptr);
    card->keepWrites = -1;
}

// The whole simulation: one run without a cut, then one per cut.
Simulation Simulate(const TaggedCardLayout& layout, const std::map<int, int>& lengths, const Operation& op)
{
    Simulation sim;
    const std::shared_ptr<MemoryDeviceState> base = MakeTaggedCard(layout);
    EXPECT_NE(nullptr, base);
    if (base == nullptr)
        return sim;

    // One card for every run, restored before each.
    const std::shared_ptr<MemoryDeviceState> card = CopyCard(*base);
    {
        CDisk full;
        RunOnce(card, *base, -1, op, &sim.checkpoints, &full);
        sim.writes = card->writes;
        sim.writeOffsets = card->writeOffsets;
        sim.finalClips = InspectClips(full, *card, lengths);
    }

    for (int k = 0; k <= sim.writes; ++k) {
        RunOnce(card, *base, k, op, nullptr);
        const std::shared_ptr<MemoryDeviceState>& kept = card;
        CDisk again;
        Restart r;
        const bool loaded = Reopen(kept, again);
        EXPECT_TRUE(loaded) << "the FAT area does not load after a cut after write " << k;
        sim.loaded += loaded ? 1 : 0;
        r.clips = InspectClips(again, *kept, lengths);
        r.playlists = PlaylistsByTag(again);
        for (const ListedClip& c : r.clips) {
            ++sim.listed;
            sim.intact += c.Intact() ? 1 : 0;
        }
        bool known = false;
        for (const PlaylistState& p : sim.checkpoints)
            known = known || p == r.playlists;
        EXPECT_TRUE(known) << "after a cut after write " << k << " the playlists are in no state the operation passed through";
        sim.restarts.push_back(r);
    }
    return sim;
}

void PrintSummary(const char* operation, const Simulation& sim, const std::string& note = {})
{
    std::printf("reliability: power cut, %s: %zu cuts tried (0 to %d of its %d writes kept), "
                "%d restarts loaded their tables, %d of %d listed clips intact%s%s\n",
                operation, sim.restarts.size(), sim.writes, sim.writes, sim.loaded, sim.intact, sim.listed, note.empty() ? "" : "; ",
                note.c_str());
    std::fflush(stdout);
}

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
    // The frame each run's read-back found missing (-1: none); the run
    // without a cut comes first.
    std::vector<int> missing;
    const Simulation sim = Simulate(layout, lengths, [&missing](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
        CTaggedSource source(78, 9);
        CScriptedProgress progress;
        CCheckpointView view(checkpoint);
        ClipWriteReport report;
        WriteClip(disk, 1, source, progress, &view, &report);
        EXPECT_EQ(10, report.firstCluster);
        missing.push_back(report.mismatchFrame);
    });

    // The deletion is stored first, then 78 frames, then the new record.
    ASSERT_EQ(80, sim.writes);
    EXPECT_EQ(sim.listed, sim.intact);
    EXPECT_EQ(std::vector<int>{0}, sim.ListedAt(2)) << "the old clip is gone from the first table write on";
    EXPECT_EQ(std::vector<int>{80}, sim.ListedAt(9)) << "the new clip appears only with the last write";
    EXPECT_EQ(Range(0, 80), sim.ListedAt(1));
    EXPECT_EQ(Range(0, 80), sim.ListedAt(3));
    // Writes the card silently lost are found by the read-back: after a cut
    // after write k (1 to 78) frame k - 1 is the first one missing.
    std::vector<int> expected = {-1, 0};
    for (int k = 1; k <= 78; ++k)
        expected.push_back(k - 1);
    expected.insert(expected.end(), {-1, -1});
    EXPECT_EQ(expected, missing);
    PrintSummary("clip write into a used slot", sim,
                 "the read-back found the first lost frame after each of the 79 cuts that kept frames from the card");
}

TEST(PowerCut, CompactionBeforeAClipWriteDamagesOnlyTheClipInAnOverlappingMove)
{
    // Free space 79 in gaps of 4, 4, 7 and 64 clusters: a clip of 75 frames
    // needs a compaction first. c2 moves down by 4 over its own old run
    // (12 frames), c3 by 8 and c4 by 15, both clear of their old runs.
    TaggedCardLayout layout;
    layout.clusters = 115;
    layout.clips = {{0, 0, 10, 1}, {1, 14, 12, 2}, {2, 30, 8, 3}, {3, 45, 6, 4}};
    layout.playlists = {{{1, 3}}, {{2, 1, 0}}};
    std::map<int, int> lengths = TagLengths(layout.clips);
    lengths[9] = 75;
    const Simulation sim = Simulate(layout, lengths, [](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
        CTaggedSource source(75, 9);
        CScriptedProgress progress;
        CCheckpointView view(checkpoint);
        ClipWriteReport report;
        // Frames that a cut kept from the card are found by the read-back,
        // which then records nothing.
        const int outcome = WriteClip(disk, -1, source, progress, &view, &report);
        EXPECT_TRUE(outcome == kWriteDone || report.mismatchFrame >= 0) << outcome;
        EXPECT_EQ(1, report.compactions);
        EXPECT_EQ(36, report.firstCluster);
    });
    ASSERT_EQ(12 + 1 + 8 + 1 + 6 + 1 + 75 + 1, sim.writes);
    ASSERT_EQ(10, StartOfClip(sim.finalClips, 2));
    ASSERT_EQ(22, StartOfClip(sim.finalClips, 3));
    ASSERT_EQ(30, StartOfClip(sim.finalClips, 4));

    // The only damage a cut can do: a clip whose move overlaps its old run
    // is listed at its old place, with that place partly overwritten, from
    // the write that first lands in its old run until the table write that
    // records its new place. The window follows from the writes themselves.
    std::string windows;
    for (const TaggedClip& c : layout.clips) {
        const int now = StartOfClip(sim.finalClips, c.tag);
        const int shift = c.start - now;
        std::vector<int> expected;
        if (shift > 0 && shift < c.length) {
            int first = -1;
            int recorded = -1;
            for (std::size_t i = 0; i < sim.writeOffsets.size(); ++i) {
                if (first < 0 && sim.writeOffsets[i] == ClusterOffset(c.start))
                    first = static_cast<int>(i) + 1;
                else if (first > 0 && recorded < 0 && sim.writeOffsets[i] == 0)
                    recorded = static_cast<int>(i) + 1;
            }
            ASSERT_GT(first, 0);
            ASSERT_GT(recorded, first);
            expected = Range(first, recorded - 1);
            char text[300];
            std::snprintf(text, sizeof text,
                          "c%d (%d frames moved down %d, over its own old run) damaged only by cuts %d..%d, "
                          "from its first write onto its old run to the table write that records its new place",
                          c.tag, c.length, shift, first, recorded - 1);
            windows += text;
        }
        EXPECT_EQ(expected, sim.DamagedAt(c.tag)) << "clip c" << c.tag;
        EXPECT_EQ(Range(0, sim.writes), sim.ListedAt(c.tag)) << "clip c" << c.tag;
    }
    // The window of c2: writes 5 to 12 are its frames 4 to 11 landing on its
    // old clusters 14 to 21; write 13 records it at cluster 10.
    EXPECT_EQ(Range(5, 12), sim.DamagedAt(2));
    EXPECT_EQ(std::vector<int>{sim.writes}, sim.ListedAt(9));
    EXPECT_TRUE(sim.DamagedAt(9).empty());
    EXPECT_EQ(sim.listed - 8, sim.intact);
    PrintSummary("compaction and clip write", sim, windows);
}

TEST(PowerCut, FormatDeleteAndPlaylistEditsAreOneTableWriteEach)
{
    TaggedCardLayout layout;
    layout.clusters = 30;
    layout.clips = {{0, 0, 5, 1}, {1, 10, 5, 2}, {2, 20, 4, 3}};
    layout.playlists = {{{0, 1, 1}}, {{1}}, {}, {{2, 0}}};
    const std::map<int, int> lengths = TagLengths(layout.clips);

    const Simulation format = Simulate(layout, lengths, [](CDisk& disk, IInteraction& ui, const std::function<void()>& checkpoint) {
        EXPECT_EQ(kFormatDone, FormatCard(disk, ui));
        checkpoint();
    });
    ASSERT_EQ(1, format.writes);
    EXPECT_EQ(3u, format.restarts[0].clips.size());
    EXPECT_TRUE(format.restarts[1].clips.empty());
    EXPECT_EQ(format.listed, format.intact);
    PrintSummary("format", format);

    const Simulation deletion = Simulate(layout, lengths, [](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
        EXPECT_EQ(1, disk.DeleteClip(1));
        checkpoint();
    });
    ASSERT_EQ(1, deletion.writes);
    EXPECT_EQ(std::vector<int>{0}, deletion.ListedAt(2));
    EXPECT_EQ(deletion.checkpoints.front(), deletion.restarts[0].playlists);
    EXPECT_EQ(deletion.checkpoints.back(), deletion.restarts[1].playlists);
    EXPECT_EQ(deletion.listed, deletion.intact);
    PrintSummary("clip delete", deletion);

    const Simulation edits = Simulate(layout, lengths, [](CDisk& disk, IInteraction&, const std::function<void()>& checkpoint) {
        for (const std::function<TableChange()>& edit : std::vector<std::function<TableChange()>>{
                 [&] { return disk.InsertEntry(2, 2); },
                 [&] { return disk.InsertEntry(1, 0, 0); },
                 [&] { return disk.SwapEntries(0, 0, 2); },
                 [&] { return disk.ToggleTransition(0, 0); },
                 [&] { return disk.SetLoop(0, true); },
                 [&] { return disk.SwapPlaylists(0, 5); },
                 [&] { return disk.RemoveEntry(5, 1); },
                 [&] { return disk.DeletePlaylist(3); },
             }) {
            EXPECT_EQ(kEditStored, edit().result);
            checkpoint();
        }
    });
    ASSERT_EQ(8, edits.writes);
    ASSERT_EQ(9u, edits.checkpoints.size());
    // A cut after k table writes leaves exactly the tables of the k-th edit.
    for (int k = 0; k <= edits.writes; ++k)
        EXPECT_EQ(edits.checkpoints[static_cast<std::size_t>(k)], edits.restarts[static_cast<std::size_t>(k)].playlists) << k;
    EXPECT_EQ(edits.listed, edits.intact);
    PrintSummary("playlist edits", edits);
}

} // namespace
