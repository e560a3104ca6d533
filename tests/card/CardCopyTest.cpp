// Whole cards kept and copied: a backup into a sparse image file and its
// restore, restores onto larger and smaller cards, the room refusal, a clone
// onto two cards one of which vanishes, an aborted backup, and power cuts
// of the target during a restore.
#include "CardBackup.h"
#include "CardClone.h"
#include "CardRestore.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace {

// Three clips with a gap before the second and free clusters after the
// last (which ends at cluster 70), an attribute, two playlists
// with AUTO transitions, a loop and a logo mode.
TaggedCardLayout SourceLayout(int clusters = 90)
{
    TaggedCardLayout layout;
    layout.clusters = clusters;
    layout.clips = {{0, 0, 20, 1}, {1, 30, 25, 2, {}, {}, 7}, {2, 55, 15, 3}};
    layout.playlists = {{{2, 0, 1}, true, {kTransitionAuto, kTransitionCut, kTransitionAuto}, 2}, {{1}, false}};
    return layout;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool SameBytes(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, std::uint64_t offset,
               std::uint64_t len)
{
    return a.size() >= offset + len && b.size() >= offset + len &&
           std::equal(a.begin() + static_cast<long>(offset), a.begin() + static_cast<long>(offset + len),
                      b.begin() + static_cast<long>(offset));
}

// A card of `clusters` clusters that has never been formatted.
std::shared_ptr<MemoryDeviceState> BlankCard(int clusters) { return MakeDeviceState(CardBytes(clusters), 0xA5); }

class CardCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        layout = SourceLayout();
        card = MakeTaggedCard(layout);
        ASSERT_NE(nullptr, card);
        ASSERT_TRUE(Reopen(card, source));
        source.SetInteraction(&ui);
        ui.AlwaysAnswer(kIdsAskCopyOnto, kIdYes);
        ui.AlwaysAnswer(kIdsAskReplaceBackup, kIdYes);
    }

    // Restores the source onto a new card of `clusters` clusters; the
    // target's tables read again into `again`.
    int RestoreOnto(const std::shared_ptr<MemoryDeviceState>& target, CDisk& again)
    {
        CDisk disk;
        EXPECT_EQ(kOpenOk, disk.OpenDevice(std::make_unique<CMemoryDevice>(target), 0));
        const int result = RestoreCard(source, "", disk, "target", "", ui, progress);
        EXPECT_TRUE(Reopen(target, again));
        return result;
    }

    TaggedCardLayout layout;
    std::shared_ptr<MemoryDeviceState> card;
    CDisk source;
    CScriptedInteraction ui;
    CScriptedProgress progress;
};

TEST_F(CardCopy, BackupIsASparseImageAndRestoresOntoTheSameSizeByteForByte)
{
    CTempDir dir;
    const std::string image = dir.File("card.img");
    const std::string backup = dir.File("backup.img");
    ASSERT_TRUE(WriteTaggedImage(image, layout));
    CDisk fromImage;
    fromImage.SetInteraction(&ui);
    ASSERT_EQ(kOpenOk, fromImage.OpenPath(image));
    ASSERT_TRUE(fromImage.ReadFAT());
    // Backing a card up over its own image would lose it.
    EXPECT_EQ(kBackupNotDone, BackupCard(fromImage, image, image, ui, progress));
    EXPECT_EQ(1, ui.Count(kIdsCopyOntoItself));

    ASSERT_EQ(kBackupDone, BackupCard(fromImage, image, backup, ui, progress));
    EXPECT_EQ(1, ui.Count(kIdsBackupComplete));
    const std::vector<std::uint8_t> original = ReadBytes(image);
    const std::vector<std::uint8_t> kept = ReadBytes(backup);
    ASSERT_EQ(original.size(), kept.size());
    EXPECT_TRUE(SameBytes(original, kept, 0, kFatSize)) << "the table is not the same bytes";
    for (const TaggedClip& c : layout.clips)
        EXPECT_TRUE(SameBytes(original, kept, ClusterOffset(c.start), static_cast<std::uint64_t>(c.length) * kClusterSize))
            << "clip " << c.tag;
    // The 20 free clusters are holes: the file takes the clips' room.
    struct stat st {};
    ASSERT_EQ(0, ::stat(backup.c_str(), &st));
    EXPECT_LT(static_cast<std::uint64_t>(st.st_blocks) * 512, original.size() - 15ull * kClusterSize);

    // The backup opens as a card and goes back onto a card of the same size.
    CDisk fromBackup;
    ASSERT_EQ(kOpenOk, fromBackup.OpenPath(backup));
    ASSERT_TRUE(fromBackup.ReadFAT());
    const auto target = BlankCard(layout.clusters);
    CDisk disk;
    ASSERT_EQ(kOpenOk, disk.OpenDevice(std::make_unique<CMemoryDevice>(target), 0));
    ASSERT_EQ(kCloneDone, RestoreCard(fromBackup, backup, disk, "target", "", ui, progress));
    EXPECT_TRUE(SameBytes(original, target->bytes, 0, kFatSize));
    for (const TaggedClip& c : layout.clips)
        EXPECT_TRUE(SameBytes(original, target->bytes, ClusterOffset(c.start),
                              static_cast<std::uint64_t>(c.length) * kClusterSize));
}

TEST_F(CardCopy, BackupAbortedOrDeclinedLeavesTheFormerFileAndNoPartialOne)
{
    CTempDir dir;
    const std::string backup = dir.File("backup.img");
    {
        std::ofstream old(backup);
        old << "an older backup";
    }
    CScriptedInteraction no;
    EXPECT_EQ(kBackupNotDone, BackupCard(source, "", backup, no, progress));
    EXPECT_EQ(1, no.Count(kIdsAskReplaceBackup));

    // Abort while the clips are copied (the copy pumps at least once a frame).
    progress.abortAfterPumps = 30;
    EXPECT_EQ(kBackupFailed, BackupCard(source, "", backup, ui, progress));
    EXPECT_EQ(1, ui.Count(kIdsOperationAborted));
    const std::vector<std::uint8_t> left = ReadBytes(backup);
    EXPECT_EQ("an older backup", std::string(left.begin(), left.end()));
    int files = 0;
    if (DIR* d = ::opendir(dir.Path().c_str())) {
        while (const dirent* e = ::readdir(d))
            files += e->d_name[0] != '.' ? 1 : 0;
        ::closedir(d);
    }
    EXPECT_EQ(1, files) << "a partial backup was left beside the file";

    // A folder is no backup file.
    EXPECT_EQ(kBackupNotDone, BackupCard(source, "", dir.Path(), ui, progress));
    EXPECT_EQ(1, ui.Count(kIdsBackupNotAFile));
}

TEST_F(CardCopy, RestoreKeepsPlacesOnALargerCardPacksOntoASmallerOneAndRefusesOneTooSmall)
{
    const std::map<int, int> lengths = TagLengths(layout.clips);
    const auto playlists = PlaylistsByTag(source);

    // Larger: the same places, the same table bytes.
    const auto larger = BlankCard(200);
    CDisk onLarger;
    ASSERT_EQ(kCloneDone, RestoreOnto(larger, onLarger));
    EXPECT_TRUE(SameBytes(card->bytes, larger->bytes, 0, kFatSize));
    EXPECT_EQ(30, StartOfClip(InspectClips(onLarger, *larger, lengths), 2));

    // 65 clusters: under the last used cluster (70), room for 60 frames.
    const auto smaller = BlankCard(65);
    CDisk onSmaller;
    ASSERT_EQ(kCloneDone, RestoreOnto(smaller, onSmaller));
    const std::vector<ListedClip> packed = InspectClips(onSmaller, *smaller, lengths);
    ASSERT_EQ(3u, packed.size());
    for (const ListedClip& c : packed)
        EXPECT_TRUE(c.Intact()) << c.tag;
    EXPECT_EQ(0, StartOfClip(packed, 1));
    EXPECT_EQ(20, StartOfClip(packed, 2));
    EXPECT_EQ(45, StartOfClip(packed, 3));
    EXPECT_EQ(playlists, PlaylistsByTag(onSmaller));
    EXPECT_EQ(TableSnapshot(source).size(), TableSnapshot(onSmaller).size());
    EXPECT_EQ(std::string("c2"), std::string(onSmaller.Clips()[1].name));
    EXPECT_EQ(7, onSmaller.Clips()[1].attribute);

    // 59 clusters: one frame short. Refused before the question, nothing written.
    const auto tooSmall = BlankCard(59);
    const std::vector<std::uint8_t> before = tooSmall->bytes;
    CDisk disk;
    ASSERT_EQ(kOpenOk, disk.OpenDevice(std::make_unique<CMemoryDevice>(tooSmall), 0));
    ui.Reset();
    EXPECT_EQ(kCloneNotDone, RestoreCard(source, "", disk, "small card", "", ui, progress));
    ASSERT_EQ(std::vector<int>{kIdsCopyNoRoom}, ui.Ids());
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find("small card"));
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find("60 frames"));
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find("59 frames"));
    EXPECT_EQ(0, tooSmall->writes);
    EXPECT_TRUE(before == tooSmall->bytes);
}

TEST_F(CardCopy, CloneGoesOnWhenOneTargetVanishesAndReportsItByName)
{
    const std::map<int, int> lengths = TagLengths(layout.clips);
    const auto first = BlankCard(90);
    const auto second = BlankCard(90);
    // The second card is pulled out during the second clip.
    second->vanishAfterCalls = 40;
    CDisk a;
    CDisk b;
    ASSERT_EQ(kOpenOk, a.OpenDevice(std::make_unique<CMemoryDevice>(first), 0));
    ASSERT_EQ(kOpenOk, b.OpenDevice(std::make_unique<CMemoryDevice>(second), 0));
    std::vector<CopyTarget> copied;
    const int result = CloneCard(source, "", {{"first card", "", &a}, {"second card", "", &b}}, ui, progress,
                                 nullptr, true, &copied);
    EXPECT_EQ(kCloneFailed, result);
    ASSERT_EQ(2u, copied.size());
    EXPECT_EQ(kTargetWhole, copied[0].state);
    EXPECT_EQ(kTargetFailed, copied[1].state);
    EXPECT_EQ(1, copied[1].clipsRecorded);
    ASSERT_EQ(1, ui.Count(kIdsCopyTargetFailed));
    for (const ShownMessage& m : ui.Shown()) {
        if (m.id == kIdsCopyTargetFailed) {
            EXPECT_NE(std::string::npos, m.text.find("second card")) << m.text;
        }
    }
    EXPECT_EQ(1, ui.Count(kIdsCopyComplete));

    CDisk whole;
    ASSERT_TRUE(Reopen(first, whole));
    EXPECT_TRUE(SameBytes(card->bytes, first->bytes, 0, kFatSize));
    // The vanished card, inserted again, loads with the clip recorded before.
    second->vanished = false;
    second->vanishAfterCalls = 0;
    CDisk partial;
    ASSERT_TRUE(Reopen(second, partial));
    const std::vector<ListedClip> kept = InspectClips(partial, *second, lengths);
    ASSERT_EQ(1u, kept.size());
    EXPECT_TRUE(kept[0].Intact());
    EXPECT_EQ(1, kept[0].tag);
    // A target named twice is refused before anything is written.
    ui.Reset();
    EXPECT_EQ(kCloneNotDone, CloneCard(source, "", {{"a", "", &a}, {"a again", "", &a}}, ui, progress));
    EXPECT_EQ(std::vector<int>{kIdsCopyOntoItself}, ui.Ids());
}

TEST_F(CardCopy, APowerCutDuringARestoreLeavesACardThatLoadsWithWholeClips)
{
    // Onto a smaller card (packed), so that no clip lies where the target
    // held it before; the target held other frames.
    const std::map<int, int> lengths = TagLengths(layout.clips);
    const auto playlists = PlaylistsByTag(source);
    const auto base = BlankCard(65);
    const auto target = CopyCard(*base);
    int writes = 0;
    {
        CDisk disk;
        ASSERT_EQ(kOpenOk, disk.OpenDevice(std::make_unique<CMemoryDevice>(target), 0));
        ASSERT_EQ(kCloneDone, RestoreCard(source, "", disk, "target", "", ui, progress));
        writes = target->writes;
    }
    // Each table write is three: its journal, the table, the journal
    // cleared.
    ASSERT_EQ(3 + 20 + 3 + 25 + 3 + 15 + 3 + 3, writes);
    const CDisk empty;
    int withPlaylists = 0;
    for (int k = 0; k <= writes; ++k) {
        RestoreCard(*target, *base);
        target->keepWrites = k;
        CDisk disk;
        ASSERT_EQ(kOpenOk, disk.OpenDevice(std::make_unique<CMemoryDevice>(target), 0));
        CScriptedInteraction yes;
        yes.AlwaysAnswer(kIdsAskCopyOnto, kIdYes);
        RestoreCard(source, "", disk, "target", "", yes, progress);
        target->keepWrites = -1;
        CDisk again;
        if (k <= 1) {
            EXPECT_FALSE(Reopen(target, again)) << "no table written: the target is as it was";
            continue;
        }
        ASSERT_TRUE(Reopen(target, again)) << "the table does not load after a cut after write " << k;
        for (const ListedClip& c : InspectClips(again, *target, lengths))
            EXPECT_TRUE(c.Intact()) << "clip " << c.tag << " after a cut after write " << k;
        const auto now = PlaylistsByTag(again);
        withPlaylists += now == playlists ? 1 : 0;
        EXPECT_TRUE(now == playlists || now == PlaylistsByTag(empty)) << "cut after write " << k;
    }
    EXPECT_EQ(2, withPlaylists) << "the playlists come with the last table write only (the journal cleared after it)";
}

} // namespace
