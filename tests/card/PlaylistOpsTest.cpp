// Playlist editing on a loaded card: every operation seen in memory and in
// the bytes that reached the card, every refused precondition changing and
// writing nothing, and a failed table write.
#include "LoadedCard.h"

#include <functional>

namespace {

class PlaylistOps : public LoadedCard {
protected:
    void SetUp() override { LoadWith({}); }
    // "first" (5 frames), "second" (3) and "third" (4) in slots 0 to 2, and
    // `playlists`.
    void LoadWith(const std::vector<TaggedPlaylist>& playlists)
    {
        Load({{0, 0, 5, 1, "first"}, {1, 5, 3, 2, "second"}, {2, 10, 4, 3, "third"}}, playlists);
    }
    // Playlist `j` as given, the ones before it empty.
    static std::vector<TaggedPlaylist> Only(int j, const TaggedPlaylist& p)
    {
        std::vector<TaggedPlaylist> lists(static_cast<std::size_t>(j) + 1);
        lists.back() = p;
        return lists;
    }
    std::uint32_t TransitionByte(int playlist, int k) const { return state->bytes[512 + 74 * playlist + 2 + 6 * k + 3]; }
};

TEST_F(PlaylistOps, InsertAppendsOrTakesThePositionAndIsStored)
{
    EXPECT_EQ(kEditStored, disk.InsertEntry(4, 0).result);
    EXPECT_EQ(kEditStored, disk.InsertEntry(4, 1, kAppendEntry).result);
    EXPECT_EQ(kEditStored, disk.InsertEntry(4, 2, 0).result);
    EXPECT_EQ(kEditStored, disk.InsertEntry(4, 0, 2).result);
    EXPECT_EQ((std::vector<int>{2, 0, 0, 1}), Slots(disk, 4));
    for (const PlaylistEntry& e : disk.Playlists()[4].entries) {
        EXPECT_EQ(kTransitionCut, e.transition);
        EXPECT_EQ(0, e.reserved);
    }
    EXPECT_EQ(4 * 3, state->writes) << "each with its journal, written and cleared";
    ExpectOnlyFatWritten();

    EXPECT_EQ(4, RecordA(4)[1]);
    EXPECT_EQ(4, RecordB(4)[0]);
    EXPECT_EQ(4, RecordB(4)[1]) << "entry 0 names the third clip by its length";
    EXPECT_EQ((std::vector<int>{2, 0, 0, 1}), Slots(Reread(), 4));
    EXPECT_EQ(0xA1u, TransitionByte(4, 3));
}

TEST_F(PlaylistOps, RemoveAndSwapEntriesAreStored)
{
    LoadWith(Only(1, {{0, 1, 2, 1}, false, {kTransitionAuto}}));

    EXPECT_EQ(kEditStored, disk.RemoveEntry(1, 1).result);
    EXPECT_EQ((std::vector<int>{0, 2, 1}), Slots(disk, 1));
    EXPECT_EQ(kEditStored, disk.SwapEntries(1, 0, 2).result);
    EXPECT_EQ((std::vector<int>{1, 2, 0}), Slots(disk, 1));
    EXPECT_EQ(kTransitionAuto, disk.Playlists()[1].entries[2].transition) << "the transition travels with its entry";

    CDisk& back = Reread();
    EXPECT_EQ((std::vector<int>{1, 2, 0}), Slots(back, 1));
    EXPECT_EQ(kTransitionAuto, back.Playlists()[1].entries[2].transition);
    EXPECT_EQ(3, RecordA(1)[1]);
    EXPECT_EQ(0xFF, RecordA(1)[2 + 6 * 3]) << "the vacated place is 0xFF again";
    ExpectOnlyFatWritten();
}

TEST_F(PlaylistOps, TwelveEntriesAtMost)
{
    for (int k = 0; k < 12; ++k)
        ASSERT_EQ(kEditStored, disk.InsertEntry(0, k % 3).result);
    const int writes = state->writes;
    const auto was = TableSnapshot(disk);
    EXPECT_EQ(kEditRefused, disk.InsertEntry(0, 0).result);
    EXPECT_EQ(kEditRefused, disk.InsertEntry(0, 0, 5).result);
    EXPECT_EQ(was, TableSnapshot(disk));
    EXPECT_EQ(writes, state->writes);
    EXPECT_EQ(12, RecordA(0)[1]);
}

TEST_F(PlaylistOps, EveryFailedPreconditionChangesAndWritesNothing)
{
    LoadWith({{{0, 1}}, {{2}}});
    ui.AlwaysAnswer(kIdsAskDeletePlaylist, kIdYes);
    const auto was = TableSnapshot(disk);
    const std::vector<std::pair<const char*, std::function<TableChange()>>> refused = {
        {"entry naming an empty slot", [&] { return disk.InsertEntry(0, 3); }},
        {"slot below range", [&] { return disk.InsertEntry(0, -1); }},
        {"slot above range", [&] { return disk.InsertEntry(0, 144); }},
        {"playlist above range", [&] { return disk.InsertEntry(12, 0); }},
        {"playlist below range", [&] { return disk.InsertEntry(-1, 0); }},
        {"insert position at the count", [&] { return disk.InsertEntry(0, 0, 2); }},
        {"insert position below -1", [&] { return disk.InsertEntry(0, 0, -2); }},
        {"remove past the end", [&] { return disk.RemoveEntry(0, 2); }},
        {"remove negative", [&] { return disk.RemoveEntry(0, -1); }},
        {"remove from an empty playlist", [&] { return disk.RemoveEntry(5, 0); }},
        {"swap an entry with itself", [&] { return disk.SwapEntries(0, 1, 1); }},
        {"swap with a missing entry", [&] { return disk.SwapEntries(0, 0, 2); }},
        {"swap in a one-entry playlist", [&] { return disk.SwapEntries(1, 0, 1); }},
        {"swap a playlist with itself", [&] { return disk.SwapPlaylists(0, 0); }},
        {"swap an empty playlist", [&] { return disk.SwapPlaylists(5, 0); }},
        {"swap with a playlist out of range", [&] { return disk.SwapPlaylists(0, 12); }},
        {"delete an empty playlist", [&] { return disk.DeletePlaylist(5); }},
        {"delete out of range", [&] { return disk.DeletePlaylist(12); }},
        {"toggle the last entry of a playlist that does not loop", [&] { return disk.ToggleTransition(0, 1); }},
        {"toggle a missing entry", [&] { return disk.ToggleTransition(0, 2); }},
        {"loop of a playlist out of range", [&] { return disk.SetLoop(12, true); }},
    };
    for (const auto& [what, op] : refused) {
        EXPECT_EQ(kEditRefused, op().result) << what;
        EXPECT_EQ(was, TableSnapshot(disk)) << what;
        EXPECT_EQ(0, state->writes) << what;
    }
    EXPECT_EQ(0, ui.Count(kIdsAskDeletePlaylist)) << "an empty playlist is not asked about";
    EXPECT_EQ(before, state->bytes);
}

TEST_F(PlaylistOps, NothingRunsOnACardThatIsNotLoadedOrClosed)
{
    LoadWith({{{0, 1}}});
    ui.AlwaysAnswer(kIdsAskDeletePlaylist, kIdYes);
    ui.AlwaysAnswer(kIdsAskDeleteClip, kIdYes);
    auto tryEverything = [&] {
        EXPECT_EQ(kEditRefused, disk.InsertEntry(0, 0).result);
        EXPECT_EQ(kEditRefused, disk.RemoveEntry(0, 0).result);
        EXPECT_EQ(kEditRefused, disk.SwapEntries(0, 0, 1).result);
        EXPECT_EQ(kEditRefused, disk.SwapPlaylists(0, 1).result);
        EXPECT_EQ(kEditRefused, disk.DeletePlaylist(0).result);
        EXPECT_EQ(kEditRefused, disk.ToggleTransition(0, 0).result);
        EXPECT_EQ(kEditRefused, disk.SetLoop(0, true).result);
        EXPECT_EQ(0, disk.DeleteClip(0));
        EXPECT_EQ(-1, WriterSlot());
        EXPECT_EQ(0, disk.PlaylistLength(0));
        EXPECT_EQ(0, disk.UseCount(0));
        EXPECT_FALSE(disk.TransitionMeaningful(0, 0));
    };
    // Not loaded: an unreadable table on the card.
    state->bytes[0] = 13;
    ASSERT_FALSE(disk.ReadFAT());
    const auto was = TableSnapshot(disk);
    tryEverything();
    EXPECT_EQ(was, TableSnapshot(disk));

    // Closed after loading.
    state->bytes[0] = 12;
    ASSERT_TRUE(disk.ReadFAT());
    disk.Close();
    tryEverything();
    EXPECT_EQ(0, state->writes);
    EXPECT_TRUE(ui.Shown().empty()) << "no question on a card that is not loaded";
}

TEST_F(PlaylistOps, SwappingWithAnEmptyPlaylistMovesModeAndLoopToo)
{
    std::vector<TaggedPlaylist> lists(8);
    lists[2] = {{0, 1}, true, {}, 2};
    lists[7] = {{0}, false, {}, 1};
    LoadWith(lists);
    // An emptied playlist keeps its logo mode, in memory only.
    ASSERT_EQ(kEditStored, disk.RemoveEntry(7, 0).result);
    const auto recordA2 = RecordA(2), recordB2 = RecordB(2);

    EXPECT_EQ(kEditStored, disk.SwapPlaylists(2, 7).result);
    const Playlist& source = disk.Playlists()[2];
    const Playlist& target = disk.Playlists()[7];
    EXPECT_TRUE(source.entries.empty());
    EXPECT_EQ(1, source.logoMode);
    EXPECT_EQ(0, source.loop);
    EXPECT_EQ((std::vector<int>{0, 1}), Slots(disk, 7));
    EXPECT_EQ(2, target.logoMode);
    EXPECT_EQ(1, target.loop);

    EXPECT_EQ(recordA2, RecordA(7));
    EXPECT_EQ(recordB2, RecordB(7));
    EXPECT_EQ(std::vector<std::uint8_t>(74, 0xFF), RecordA(2));
    EXPECT_EQ(std::vector<std::uint8_t>(74, 0xFF), RecordB(2));
}

TEST_F(PlaylistOps, SwappingTwoFilledPlaylistsExchangesThem)
{
    std::vector<TaggedPlaylist> lists(9);
    lists[1] = {{0}};
    lists[8] = {{2, 2, 1}, true};
    LoadWith(lists);
    const TableChange swap = disk.SwapPlaylists(8, 1);
    EXPECT_EQ(kEditStored, swap.result);
    EXPECT_EQ((1u << 1) | (1u << 8), swap.changedPlaylists.to_ulong()) << "both playlists changed";
    EXPECT_TRUE(swap.changedSlots.none());
    CDisk& back = Reread();
    EXPECT_EQ((std::vector<int>{2, 2, 1}), Slots(back, 1));
    EXPECT_EQ(1, back.Playlists()[1].loop);
    EXPECT_EQ((std::vector<int>{0}), Slots(back, 8));
    EXPECT_EQ(0, back.Playlists()[8].loop);
}

TEST_F(PlaylistOps, DeletingPlaylistThreeAsksAndLeavesTheOthersInPlace)
{
    std::vector<TaggedPlaylist> lists;
    for (int j = 0; j < 12; ++j)
        lists.push_back({{j % 3}});
    lists[3].loop = true;
    lists[3].logoMode = 2;
    LoadWith(lists);

    EXPECT_EQ(kEditRefused, disk.DeletePlaylist(3).result) << "No is the default answer";
    EXPECT_EQ(0, state->writes);
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ("Delete playlist 04?", ui.Shown()[0].text);
    EXPECT_EQ(kMsgYesNoDefNo, ui.Shown()[0].flags);

    ui.Answer(kIdsAskDeletePlaylist, kIdYes);
    EXPECT_EQ(kEditStored, disk.DeletePlaylist(3).result);
    EXPECT_TRUE(disk.Playlists()[3].entries.empty());
    EXPECT_EQ(0, disk.Playlists()[3].loop);
    EXPECT_EQ(0, disk.Playlists()[3].logoMode);
    EXPECT_EQ(std::vector<std::uint8_t>(74, 0xFF), RecordA(3));
    CDisk& back = Reread();
    for (int j = 0; j < 12; ++j) {
        if (j != 3) {
            EXPECT_EQ((std::vector<int>{j % 3}), Slots(back, j)) << "playlist " << j;
        }
    }
}

TEST_F(PlaylistOps, TransitionsToggleOnlyWhereASuccessorFollows)
{
    LoadWith(Only(6, {{0, 1}, false, {0xA3001234u}})); // an unknown code with reserved bits
    EXPECT_TRUE(disk.TransitionMeaningful(6, 0));
    EXPECT_FALSE(disk.TransitionMeaningful(6, 1));

    const TableChange toggle = disk.ToggleTransition(6, 0);
    EXPECT_EQ(kEditStored, toggle.result);
    EXPECT_EQ(6, toggle.transitionPlaylist);
    EXPECT_EQ(0, toggle.transitionEntry);
    EXPECT_TRUE(toggle.changedPlaylists.none()) << "its playlist's order and length stay";
    EXPECT_EQ(0xA2001234u, disk.Playlists()[6].entries[0].transition) << "anything but AUTO becomes AUTO";
    EXPECT_EQ(0xA2u, TransitionByte(6, 0));
    EXPECT_EQ(kEditStored, disk.ToggleTransition(6, 0).result);
    EXPECT_EQ(0xA1001234u, disk.Playlists()[6].entries[0].transition);
    EXPECT_EQ(0xA1u, TransitionByte(6, 0));

    EXPECT_EQ(kEditRefused, disk.ToggleTransition(6, 1).result);
    EXPECT_EQ(kEditStored, disk.SetLoop(6, true).result);
    EXPECT_TRUE(disk.TransitionMeaningful(6, 1)) << "a looping playlist's last entry leads to its first";
    EXPECT_EQ(kEditStored, disk.ToggleTransition(6, 1).result);
    EXPECT_EQ(0xA2u, TransitionByte(6, 1));
}

TEST_F(PlaylistOps, LoopFlagIsBitTwoOfTheStoredFlags)
{
    LoadWith(Only(10, {{0}}));
    EXPECT_EQ(kEditStored, disk.SetLoop(10, true).result);
    EXPECT_EQ(1, disk.Playlists()[10].loop);
    EXPECT_EQ(0xFF, RecordA(10)[0]);
    EXPECT_EQ(kEditStored, disk.SetLoop(10, false).result);
    EXPECT_EQ(0xFB, RecordA(10)[0]);
    EXPECT_EQ(kEditStored, disk.SetLoop(11, true).result) << "an empty playlist may be selected and set";
    EXPECT_EQ(0xFF, RecordA(11)[1]) << "but it is still stored empty";
}

TEST_F(PlaylistOps, DerivedValues)
{
    std::vector<TaggedPlaylist> lists(6);
    lists[0] = {{2, 0, 2}};
    lists[5] = {{2}};
    LoadWith(lists);
    EXPECT_EQ(4 + 5 + 4, disk.PlaylistLength(0)) << "a clip twice counts twice";
    EXPECT_EQ(0, disk.PlaylistLength(1));
    EXPECT_EQ(2, disk.UseCount(2)) << "a playlist counts once however often it holds the clip";
    EXPECT_EQ(1, disk.UseCount(0));
    EXPECT_EQ(0, disk.UseCount(1));
    EXPECT_EQ(3, WriterSlot()) << "the lowest empty slot";
    std::vector<TaggedClip> full;
    for (int s = 0; s < 144; ++s)
        full.push_back({s, 0, 1, s});
    Load(full);
    EXPECT_EQ(-1, WriterSlot());
    ui.Answer(kIdsAskDeleteClip, kIdYes);
    ASSERT_EQ(1, disk.DeleteClip(77));
    EXPECT_EQ(77, WriterSlot());
}

TEST_F(PlaylistOps, FailedTableWriteKeepsEditsUntilTheNextGoodWrite)
{
    state->failAllWritesFrom = 1;
    EXPECT_EQ(kEditNotStored, disk.InsertEntry(3, 1).result);
    EXPECT_EQ(kEditNotStored, disk.InsertEntry(3, 2).result);
    EXPECT_EQ((std::vector<int>{1, 2}), Slots(disk, 3)) << "the edits stay in memory";
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError)) << "the write message once per opening";
    EXPECT_EQ(before, state->bytes);

    state->failAllWritesFrom = 0;
    state->failFlush = state->flushes + 1;
    EXPECT_EQ(kEditNotStored, disk.SetLoop(3, true).result) << "an unflushed table is not stored";
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError));

    EXPECT_EQ(kEditStored, disk.SwapEntries(3, 0, 1).result);
    CDisk& back = Reread();
    EXPECT_EQ((std::vector<int>{2, 1}), Slots(back, 3));
    EXPECT_EQ(1, back.Playlists()[3].loop);
}

} // namespace
