// The table journal as an opening finds it: one a cut left while the table
// was torn is applied, wherever its runs lie (the spare sector, the spare
// sectors after it, a free cluster); a spare area of foreign bytes and a
// damaged journal are left alone; a torn table with no journal runs and no
// history is not shown as a table.
#include "PowerCut.h"
#include "ScriptedInteraction.h"
#include "TableJournal.h"
#include "TaggedCard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

TaggedCardLayout Layout()
{
    TaggedCardLayout layout;
    layout.clusters = 30;
    layout.clips = {{0, 0, 6, 1}, {1, 10, 6, 2}, {2, 20, 5, 3}};
    layout.playlists = {{{0, 1}}, {{2}}};
    return layout;
}

// Every playlist filled with 12 entries: a change of the table too large
// for the spare sector.
void FillPlaylists(CDisk& disk)
{
    std::array<Playlist, kPlaylistCount> playlists = disk.Playlists();
    for (Playlist& p : playlists) {
        p.entries.clear();
        for (int k = 0; k < kMaxEntries; ++k)
            p.entries.push_back(PlaylistEntry{k % 3, kTransitionCut, 0});
    }
    EXPECT_EQ(kEditStored, disk.SetPlaylists(playlists).result);
}

// A card of `layout` with `spare` spare sectors, on which `op` ran with
// its writes recorded; `after` the tables it left.
struct JournaledRun {
    std::shared_ptr<MemoryDeviceState> before;
    WriteJournal journal;
    std::vector<long long> after;
    std::vector<std::uint8_t> fat;
    std::uint64_t spareAt = 0;

    JournaledRun(const TaggedCardLayout& layout, int spare, const std::function<void(CDisk&)>& op)
        : before(MakeTaggedCard(layout)), spareAt(ClusterOffset(static_cast<std::uint64_t>(layout.clusters)))
    {
        before->bytes.resize(before->bytes.size() + static_cast<std::size_t>(spare - 1) * kSectorSize, 0);
        const std::shared_ptr<MemoryDeviceState> card = CopyCard(*before);
        card->journal = &journal;
        CDisk disk;
        EXPECT_TRUE(Reopen(card, disk));
        op(disk);
        card->journal = nullptr;
        after = TableSnapshot(disk);
        fat.assign(card->bytes.begin(), card->bytes.begin() + kFatSize);
    }

    // The card after a cut that kept the journal and only the first three
    // sectors of the table write: playlist table A new, table B old.
    std::shared_ptr<MemoryDeviceState> TornTable() const
    {
        const auto table = std::find_if(journal.events.begin(), journal.events.end(),
                                        [](const JournalEvent& e) { return !e.flush && e.offset == 0; });
        EXPECT_NE(journal.events.end(), table);
        PowerCut cut;
        cut.after = static_cast<int>(table - journal.events.begin()) + 1;
        cut.landed = {{cut.after - 1, 3}};
        const std::shared_ptr<MemoryDeviceState> card = MakeDeviceState(0);
        ApplyPowerCut(*before, journal, cut, *card);
        return card;
    }

    bool Wrote(std::uint64_t offset) const
    {
        return std::any_of(journal.events.begin(), journal.events.end(),
                           [offset](const JournalEvent& e) { return !e.flush && e.offset == offset; });
    }
};

TEST(TableJournal, AJournalLeftByACutIsAppliedOnTheNextOpening)
{
    struct Case {
        const char* name;
        int spare;
        std::function<void(CDisk&)> op;
        std::uint64_t runsAt; // where the runs past the spare sector go (0: none)
    };
    const std::vector<Case> cases = {
        {"a small change, its runs in the spare sector", 1, [](CDisk& d) { d.InsertEntry(1, 0, 0); }, 0},
        {"a large change on a card of one spare sector, its runs in the last free cluster", 1, FillPlaylists,
         ClusterOffset(29)},
        {"a large change on a card of 12 spare sectors, its runs in them", 12, FillPlaylists,
         ClusterOffset(30) + kSectorSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JournaledRun run(Layout(), c.spare, c.op);
        if (c.runsAt != 0) {
            EXPECT_TRUE(run.Wrote(c.runsAt));
        }
        EXPECT_FALSE(run.Wrote(c.runsAt == ClusterOffset(29) ? ClusterOffset(30) + kSectorSize : ClusterOffset(29)));
        const std::shared_ptr<MemoryDeviceState> card = run.TornTable();
        ASSERT_FALSE(std::equal(run.fat.begin(), run.fat.end(), card->bytes.begin())) << "the table is not torn";
        ASSERT_FALSE(std::equal(card->bytes.begin(), card->bytes.begin() + kFatSize, run.before->bytes.begin()))
            << "the table is not torn";

        // Opened for reading alone, the card shows the finished table and is
        // not written; the opening for writing then finishes it on the card.
        {
            const std::vector<std::uint8_t> torn = card->bytes;
            CDisk reader;
            ASSERT_EQ(kOpenOk, reader.OpenDevice(std::make_unique<CMemoryDevice>(card, false), 0));
            ASSERT_TRUE(reader.ReadFAT());
            EXPECT_EQ(run.after, TableSnapshot(reader));
            EXPECT_EQ(0, card->writes);
            EXPECT_TRUE(torn == card->bytes) << "a card opened for reading is written";
        }
        CScriptedInteraction ui;
        CDisk again;
        again.SetInteraction(&ui);
        ASSERT_TRUE(Reopen(card, again));
        EXPECT_EQ(run.after, TableSnapshot(again));
        EXPECT_TRUE(std::equal(run.fat.begin(), run.fat.end(), card->bytes.begin())) << "the table on the card";
        TableJournal journal;
        EXPECT_EQ(kJournalNone, DecodeTableJournal(card->bytes.data() + run.spareAt, journal));
        EXPECT_TRUE(ui.Ids().empty());
    }
}

TEST(TableJournal, ForeignSpareBytesAndADamagedJournalAreLeftAlone)
{
    // Foreign bytes in every spare sector: opened as before, nothing written.
    const JournaledRun run(Layout(), 12, FillPlaylists);
    const std::shared_ptr<MemoryDeviceState> foreign = CopyCard(*run.before);
    std::fill(foreign->bytes.begin() + static_cast<long>(run.spareAt), foreign->bytes.end(), std::uint8_t{0xA5});
    const std::vector<std::uint8_t> foreignBytes = foreign->bytes;
    CDisk disk;
    ASSERT_TRUE(Reopen(foreign, disk));
    EXPECT_EQ(0, foreign->writes);
    EXPECT_EQ(foreignBytes, foreign->bytes);

    // A journal whose record is damaged, over a table whose write never
    // landed: the table loads as it is and nothing is written.
    const std::shared_ptr<MemoryDeviceState> damaged = CopyCard(*run.before);
    const auto table = std::find_if(run.journal.events.begin(), run.journal.events.end(),
                                    [](const JournalEvent& e) { return !e.flush && e.offset == 0; });
    PowerCut cut;
    cut.after = static_cast<int>(table - run.journal.events.begin()); // the journal flushed, the table lost
    ApplyPowerCut(*run.before, run.journal, cut, *damaged);
    TableJournal journal;
    ASSERT_EQ(kJournalValid, DecodeTableJournal(damaged->bytes.data() + run.spareAt, journal));
    damaged->bytes[run.spareAt + kJournalAt + 9] ^= 0x01; // its generation
    const std::vector<std::uint8_t> damagedBytes = damaged->bytes;
    CDisk opened;
    ASSERT_TRUE(Reopen(damaged, opened));
    EXPECT_EQ(0, damaged->writes);
    EXPECT_EQ(damagedBytes, damaged->bytes);
    CDisk original;
    ASSERT_TRUE(Reopen(run.before, original));
    EXPECT_EQ(TableSnapshot(original), TableSnapshot(opened));

    // A torn table whose journal has lost its runs (their sectors written
    // over since), on a card without a history: not shown, and said so.
    const std::shared_ptr<MemoryDeviceState> torn = run.TornTable();
    torn->bytes[run.spareAt + kSectorSize + 7] ^= 0xFF;
    CScriptedInteraction ui;
    CDisk refused;
    refused.SetInteraction(&ui);
    EXPECT_FALSE(Reopen(torn, refused));
    EXPECT_EQ(std::vector<int>{kIdsTableTorn}, ui.Ids());
    EXPECT_EQ(0, torn->writes);
}

} // namespace
