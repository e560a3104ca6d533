// The window's whole-card commands: Back up card... into a file that loads
// as the card, Restore card... from a backup onto the chosen card, Copy
// card to... onto the cards ticked in its dialog.
#include "CCopyTargetsDlg.h"
#include "MainWinCommandsFixture.h"

#include <QDialogButtonBox>

namespace {

class MainWinCardCopyTest : public MainWinCommandsFixture {
protected:
    // Pattern clips, each frame telling its clip and place.
    const std::vector<TaggedClip> clips = {{0, 0, 20, 3, "A"}, {1, 40, 25, 4, "B"}, {2, 70, 12, 5, "C"}};

    std::string Card(const std::string& name, const std::vector<TaggedClip>& with)
    {
        const std::string path = Dir().File(name);
        EXPECT_TRUE(WriteTaggedImage(path, {400, with}));
        return path;
    }
    // A fresh opening of `path` lists `clips` and nothing else, every frame
    // what it was on the source.
    void ExpectClips(const std::string& path)
    {
        const auto disk = ReadCard(path);
        int listed = 0;
        for (const ClipRecord& record : disk->Clips())
            listed += record.frames > 0 ? 1 : 0;
        EXPECT_EQ(static_cast<int>(clips.size()), listed) << path;
        std::vector<std::uint8_t> buffer(kClusterSize);
        for (const TaggedClip& c : clips) {
            ASSERT_EQ(c.length, disk->Clips()[static_cast<std::size_t>(c.slot)].frames) << path << " " << *c.name;
            for (int f = 0; f < c.length; ++f) {
                ASSERT_TRUE(disk->ReadClipFrame(c.slot, f, buffer.data()));
                ASSERT_TRUE(IsPatternFrame(buffer.data(), c.tag, f)) << path << " " << *c.name << " frame " << f;
            }
        }
    }
};

} // namespace

TEST_F(MainWinCardCopyTest, BackupIsAnImageThatLoadsWithTheCardsClips)
{
    const std::string card = Card("card.img", clips);
    NameImages({card});
    StartWindow();
    const std::string backup = Dir().File("shop window.img");
    choices.push_back(backup);
    bool ranBusy = false;
    WatchProgress([&](int) {
        ranBusy = true;
        EXPECT_FALSE(Enabled(CMainWin::kIdFormat)) << "busy";
    });
    Probe(*win).OnBackupCard();
    StopWatching();

    ASSERT_EQ(1u, dialogs.size());
    EXPECT_FALSE(dialogs[0].open);
    EXPECT_EQ("img", dialogs[0].suffix);
    EXPECT_EQ("CARD1.img", dialogs[0].initialName);
    EXPECT_TRUE(ranBusy);
    EXPECT_EQ(std::vector<int>{kIdsBackupComplete}, ui.Ids());
    ExpectClips(backup);
    ExpectClips(card);
    EXPECT_FALSE(Probe(*win).Busy());
}

TEST_F(MainWinCardCopyTest, RestoreAsksNamingTheListedCardAndTheListsShowTheRestoredClips)
{
    const std::string card = Card("card.img", {{0, 0, 30, 9, "X"}});
    const std::string backup = Card("backup.img", clips);
    NameImages({card});
    StartWindow();
    ASSERT_EQ("01 - X", ItemText(Probe(*win).ClipList(), 0));
    choices.push_back(backup);
    ui.Answer(kIdsAskCopyOnto, kIdYes);
    Probe(*win).OnRestoreCard();

    ASSERT_EQ(1u, dialogs.size());
    EXPECT_TRUE(dialogs[0].open);
    ASSERT_EQ((std::vector<int>{kIdsAskCopyOnto, kIdsCopyComplete}), ui.Ids());
    const std::string listed = CardList()->itemText(0).toStdString();
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find(listed)) << ui.Shown()[0].text;
    EXPECT_EQ("01 - A", ItemText(Probe(*win).ClipList(), 0));
    EXPECT_EQ("02 - B", ItemText(Probe(*win).ClipList(), 1));
    EXPECT_EQ("03 - C", ItemText(Probe(*win).ClipList(), 2));
    EXPECT_EQ(12, Probe(*win).Disk().Clips()[2].frames);
    ExpectClips(card);
    ExpectClips(backup);
}

TEST_F(MainWinCardCopyTest, CopyGoesOntoTheTickedCardsOnly)
{
    const std::string source = Card("one.img", clips);
    const std::vector<std::string> others = {Card("two.img", {}), Card("three.img", {}), Card("four.img", {})};
    NameImages({source, others[0], others[1], others[2]});
    std::vector<std::string> offered;
    bool okBefore = true;
    bool okAfter = false;
    env.answerCopyTargets = [&](CCopyTargetsDlg& dialog) {
        for (int i = 0; i < dialog.List()->count(); ++i)
            offered.push_back(dialog.List()->item(i)->text().toStdString());
        QPushButton* ok = dialog.Buttons()->button(QDialogButtonBox::Ok);
        okBefore = ok->isEnabled();
        dialog.SetTicked(0, true);
        dialog.SetTicked(2, true);
        okAfter = ok->isEnabled();
        ok->click();
        return dialog.result();
    };
    StartWindow();
    ui.Answer(kIdsAskCopyOnto, kIdYes);
    Probe(*win).OnCopyCard();

    ASSERT_EQ(4, CardList()->count());
    EXPECT_EQ((std::vector<std::string>{CardList()->itemText(1).toStdString(), CardList()->itemText(2).toStdString(),
                                        CardList()->itemText(3).toStdString()}),
              offered);
    EXPECT_FALSE(okBefore) << "nothing ticked";
    EXPECT_TRUE(okAfter);
    EXPECT_EQ(1, ui.Count(kIdsAskCopyOnto));
    EXPECT_EQ(2, ui.Count(kIdsCopyComplete));
    ExpectClips(others[0]);
    ExpectClips(others[2]);
    ExpectClips(source);
    EXPECT_EQ(0, ReadCard(others[1])->Clips()[0].frames) << "not ticked";
}
