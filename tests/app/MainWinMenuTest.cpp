// The main window's menus: each family of commands (file, card, clip,
// playlist) runs the flow its button or key runs, is enabled as that button
// is, and the card images opened or made from the File menu are the
// settings' and the card list's.
#include "MainWinFixture.h"

#include "CardLayout.h"
#include "Settings.h"

#include <QAction>
#include <QListWidget>
#include <QTest>

#include <sys/stat.h>

namespace {

class MainWinMenuTest : public MainWinFixture {
protected:
    QAction* Action(int text) const { return Probe(*win).MenuAction(text); }
    void Trigger(int text) const
    {
        QAction* action = Action(text);
        ASSERT_NE(nullptr, action) << text;
        action->trigger();
    }
    std::string Card()
    {
        return CardWith("card.img", {{0, 0, 25, 1, "A"}, {1, 25, 25, 2, "B"}}, {{{0, 1}, false, {}}});
    }
};

} // namespace

TEST_F(MainWinMenuTest, ClipAndCardCommandsRunTheirButtonsFlowsAndFollowTheirState)
{
    NameImages({Card()});
    CMainWin& w = Start();
    EXPECT_FALSE(Action(kIdsMenuDelete)->isEnabled()) << "no clip chosen: as the Delete clip button";
    EXPECT_FALSE(Action(kIdsMenuWrite)->isEnabled()) << "no clip file: as the Write clip button";
    EXPECT_TRUE(Action(kIdsMenuFormat)->isEnabled());

    Probe(w).ClipList()->setCurrentRow(1);
    EXPECT_TRUE(Action(kIdsMenuDelete)->isEnabled());
    ui.Answer(kIdsAskDeleteClip, kIdYes);
    Trigger(kIdsMenuDelete);
    EXPECT_EQ(1, ui.Count(kIdsAskDeleteClip));
    EXPECT_EQ(0u, ReadCard(Dir().File("card.img"))->Clips()[1].frames) << "the clip is deleted on the card";

    ui.Answer(kIdsAskFormatCard, kIdNo);
    Trigger(kIdsMenuFormat);
    EXPECT_EQ(1, ui.Count(kIdsAskFormatCard));
    EXPECT_NE(0u, ReadCard(Dir().File("card.img"))->Clips()[0].frames) << "No formats nothing";
}

TEST_F(MainWinMenuTest, EnterOnAnEntrySwitchesItsTransitionOnTheCard)
{
    NameImages({Card()});
    CMainWin& w = Start();
    Probe(w).PlaylistList()->setCurrentRow(0);
    QListWidget* entries = Probe(w).EntryList();
    ASSERT_EQ(2, entries->count());
    entries->setCurrentRow(0);
    entries->setFocus();
    QTest::keyClick(entries, Qt::Key_Return);
    EXPECT_EQ(kTransitionAuto, ReadCard(Dir().File("card.img"))->Playlists()[0].entries[0].transition & kTransitionCodeMask);
    QTest::keyClick(entries, Qt::Key_Space);
    EXPECT_EQ(kTransitionCut, ReadCard(Dir().File("card.img"))->Playlists()[0].entries[0].transition & kTransitionCodeMask);
    Trigger(kIdsMenuRemoveEntry);
    EXPECT_EQ(1u, ReadCard(Dir().File("card.img"))->Playlists()[0].entries.size());
}

TEST_F(MainWinMenuTest, ImagesOpenedOrMadeFromTheFileMenuAreNamedAndChosen)
{
    const std::string first = Card();
    NameImages({first});
    const std::string made = Dir().File("new.img");
    std::string answer = made;
    env.answerFileDialog = [&answer](CFileDialog&) { return answer; };
    env.answerImageSize = [](const QStringList& sizes) { return sizes.indexOf(QStringLiteral("64 MB")); };
    CMainWin& w = Start();

    Trigger(kIdsMenuNewImage);
    EXPECT_EQ(made, GetProfileString("Cards", "Image2", ""));
    ASSERT_EQ(2u, Probe(w).Session().Cards().Cards().size());
    EXPECT_EQ(1, Probe(w).Session().Cards().ChosenIndex());
    EXPECT_TRUE(Probe(w).Session().CardReady()) << "a new image holds empty tables";
    struct stat st {};
    ASSERT_EQ(0, ::stat(made.c_str(), &st));
    EXPECT_EQ(64LL * 1024 * 1024, st.st_size);
    EXPECT_LT(st.st_blocks * 512, 1024 * 1024) << "the image is sparse";
    // Made again over the same name: refused, the image kept.
    Trigger(kIdsMenuNewImage);
    EXPECT_EQ(1, ui.Count(kIdsCliFileExists));

    // The first image again, opened by its path: its key is kept, not doubled.
    answer = first;
    Trigger(kIdsMenuOpenImage);
    EXPECT_EQ(0, Probe(w).Session().Cards().ChosenIndex());
    EXPECT_EQ("", GetProfileString("Cards", "Image3", ""));
    // A file that is no card image is refused.
    answer = Dir().File("small.img");
    FILE* f = std::fopen(answer.c_str(), "w");
    ASSERT_NE(nullptr, f);
    std::fputs("not a card", f);
    std::fclose(f);
    Trigger(kIdsMenuOpenImage);
    EXPECT_EQ(1, ui.Count(kIdsImageNotCard));
    EXPECT_EQ("", GetProfileString("Cards", "Image3", ""));
}
