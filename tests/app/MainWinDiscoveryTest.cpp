// Card discovery in the main window: the card list built from the drive
// table, the entry kept by Refresh, device arrival and removal, refused
// access, and events while the window is busy.
#include "MainWinFixture.h"

#include "CDisk.h"
#include "MemoryDevice.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QPushButton>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

class MainWinDiscoveryTest : public MainWinFixture {
protected:
    // Drive 0 an empty file (not a card), drive 1 a card with one clip,
    // drive 2 a missing file, drive 3 a card with two clips.
    void TwoCards()
    {
        const std::string notCard = Dir().File("empty.img");
        std::ofstream(notCard).flush();
        card2 = CardWith("two.img", {{0, 0, 25, 0, "A", {{200, 0, 0}}}}, {}, 300);
        card4 = CardWith("four.img", {{0, 0, 25, 0, "B", {{0, 200, 0}}}, {1, 25, 25, 1, "C", {{0, 0, 200}}}}, {}, 200);
        NameImages({notCard, card2, Dir().File("missing.img"), card4});
    }

    std::vector<std::string> Entries() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < CardList()->count(); ++i)
            out.push_back(CardList()->itemText(i).toStdString());
        return out;
    }
    int SelectedDrive() const { return CardList()->currentData().toInt(); }
    // The drive whose card is open, told by its size (drive 1 41 MB, drive 3
    // 27 MB); -1 for none.
    int OpenDrive() const
    {
        const std::uint32_t mb = Probe(*win).Disk().IsOpen() ? Probe(*win).Disk().SizeMB() : 0;
        return mb == 41 ? 1 : mb == 27 ? 3 : -1;
    }

    // The user picks entry `index` of the card list.
    void Pick(int index)
    {
        CardList()->setCurrentIndex(index);
        emit CardList()->activated(index);
    }

    std::string card2, card4;
};

// Every probe is refused, as for a user without access to the disks.
int DenyAll(const std::string&, bool, bool, std::unique_ptr<IDevice>&) { return kOpenDenied; }

// Cards the opener below refuses: one the system holds (a mounted
// partition), one refused access. Others open as usual.
std::string g_inUse;
std::string g_denied;

int RefusingOpener(const std::string& path, bool requireCard, bool write, std::unique_ptr<IDevice>& device)
{
    if (path == g_inUse)
        return kOpenInUse;
    if (path == g_denied)
        return kOpenDenied;
    return OpenDevicePath(path, requireCard, write, device);
}

} // namespace

TEST_F(MainWinDiscoveryTest, CardsAtDrives1And3AreListedAndTheFirstIsOpened)
{
    TwoCards();
    CMainWin& w = Start();
    ASSERT_EQ(2u, Entries().size());
    EXPECT_EQ("CARD2 - two.img, 41 MB", Entries()[0]);
    EXPECT_EQ("CARD4 - four.img, 27 MB", Entries()[1]);
    EXPECT_EQ(0, CardList()->currentIndex());
    EXPECT_EQ(1, SelectedDrive());
    EXPECT_FALSE(Probe(w).NoCard());
    EXPECT_TRUE(Enabled(1004));
    ASSERT_TRUE(Probe(w).Disk().IsLoaded());
    EXPECT_EQ(1, OpenDrive());
    EXPECT_EQ("01 - A", ItemText(Probe(w).ClipList(), 0));
    EXPECT_EQ("02", ItemText(Probe(w).ClipList(), 1));
    EXPECT_TRUE(ui.Shown().empty());
    // The names are wider than the closed list: the open list shows each
    // whole, and the closed one names the chosen card on hovering.
    const QFontMetrics metrics(CardList()->font());
    EXPECT_GE(CardList()->view()->minimumWidth(), metrics.horizontalAdvance(QString::fromStdString(Entries()[1])));
    EXPECT_EQ(QString::fromStdString(Entries()[0]), CardList()->toolTip());

    Pick(1);
    EXPECT_EQ(QString::fromStdString(Entries()[1]), CardList()->toolTip());
    EXPECT_EQ(3, OpenDrive());
    EXPECT_EQ("01 - B", ItemText(Probe(w).ClipList(), 0));
    EXPECT_EQ("02 - C", ItemText(Probe(w).ClipList(), 1));
}

TEST_F(MainWinDiscoveryTest, RefreshKeepsTheSelectedCardAndReopensIt)
{
    TwoCards();
    CMainWin& w = Start();
    Pick(1);
    // The card changes behind the window's back: the refresh reads it anew.
    ASSERT_TRUE(WriteCard(card4, 200, {{0, 0, 25, 0, "NEW", {{9, 9, 9}}}}));
    Probe(w).OnRefresh();
    EXPECT_EQ(1, CardList()->currentIndex());
    EXPECT_EQ(3, SelectedDrive());
    EXPECT_EQ(3, OpenDrive());
    EXPECT_EQ("01 - NEW", ItemText(Probe(w).ClipList(), 0));
    EXPECT_EQ("02", ItemText(Probe(w).ClipList(), 1));
}

TEST_F(MainWinDiscoveryTest, CardsFollowRemovalAndArrival)
{
    TwoCards();
    CMainWin& w = Start();
    Pick(1);
    Probe(w).ClipList()->item(0)->setSelected(true);

    ASSERT_EQ(0, std::remove(card4.c_str()));
    events->Send(kDeviceRemoveComplete, 2064);
    ASSERT_EQ(std::vector<std::string>{"CARD2 - two.img, 41 MB"}, Entries());
    EXPECT_EQ(1, OpenDrive()) << "the other card is selected and open";
    EXPECT_EQ("01 - A", ItemText(Probe(w).ClipList(), 0));
    EXPECT_TRUE(Probe(w).ClipList()->selectedItems().isEmpty());

    ASSERT_EQ(0, std::remove(card2.c_str()));
    events->Send(kDeviceRemoveComplete, 2064);
    ASSERT_EQ(std::vector<std::string>{"Empty"}, Entries());
    EXPECT_TRUE(Probe(w).NoCard());
    EXPECT_FALSE(Probe(w).Disk().IsOpen());
    EXPECT_FALSE(Enabled(1004));
    EXPECT_EQ("", Text(1005));
    for (int slot = 0; slot < 144; ++slot)
        ASSERT_EQ(QString::asprintf("%02d", slot + 1), Probe(w).ClipList()->item(slot)->text());

    // Other device events are only logged.
    ASSERT_TRUE(WriteCard(card4, 200, {{0, 0, 25, 0, "BACK", {{0, 0, 0}}}}));
    events->Send(kDeviceNodesChanged, 0);
    EXPECT_EQ(std::vector<std::string>{"Empty"}, Entries());

    events->Send(kDeviceArrival, 2064);
    ASSERT_EQ(std::vector<std::string>{"CARD4 - four.img, 27 MB"}, Entries());
    EXPECT_FALSE(Probe(w).NoCard());
    EXPECT_EQ(3, OpenDrive());
    EXPECT_EQ("01 - BACK", ItemText(Probe(w).ClipList(), 0));
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(MainWinDiscoveryTest, EventsAreLogged)
{
    WriteIni("[Debug]\nLog=1\n");
    Start();
    events->Send(kDeviceArrival, 2064);
    events->Send(kDeviceNodesChanged, 7);
    std::ifstream in(Dir().File("tessaro.log")); // beside the settings file
    ASSERT_TRUE(in.good());
    std::stringstream log;
    log << in.rdbuf();
    EXPECT_NE(std::string::npos, log.str().find(" - CMainWin::OnInitDialog()\n"));
    EXPECT_NE(std::string::npos, log.str().find(" - CMainWin::OnDeviceChange() = 32768, 2064\n"));
    EXPECT_NE(std::string::npos, log.str().find(" - CMainWin::OnDeviceChange() = 7, 7\n"));
}

TEST_F(MainWinDiscoveryTest, RefusedAccessIsReportedOnceAtStartUpAndRefreshTriesAgain)
{
    TwoCards();
    env.openDevice = DenyAll;
    CMainWin& w = Start();
    EXPECT_EQ(1, ui.Count(kIdsNoRights));
    EXPECT_EQ(static_cast<unsigned>(kMsgWarning), ui.Shown().front().flags);
    EXPECT_TRUE(Probe(w).NoRights());
    EXPECT_EQ(std::vector<std::string>{"Empty"}, Entries());
    EXPECT_TRUE(Enabled(2021)) << "the rights may be put right meanwhile";

    // Once the rights are there, Refresh finds the cards, without the
    // message again.
    env.openDevice = OpenDevicePath;
    Probe(w).OnRefresh();
    EXPECT_EQ(1, ui.Count(kIdsNoRights));
    EXPECT_EQ(2u, Entries().size());
    EXPECT_TRUE(Enabled(2021));
}

TEST_F(MainWinDiscoveryTest, ACardThatCannotBeOpenedSaysWhyOnce)
{
    TwoCards();
    g_inUse = card2;
    g_denied.clear();
    env.openDevice = RefusingOpener;
    CMainWin& w = Start();
    // The card in use is listed and, chosen first, shows why it cannot be
    // used; it stays closed with empty slots.
    ASSERT_EQ(2u, Entries().size());
    EXPECT_EQ(1, SelectedDrive());
    EXPECT_EQ(1, ui.Count(kIdsCardInUse));
    EXPECT_EQ(1u, ui.Shown().size()) << "no access error besides";
    EXPECT_FALSE(Probe(w).Disk().IsOpen());
    EXPECT_EQ("01", ItemText(Probe(w).ClipList(), 0));

    // Neither a card refused access nor one that has gone is silent.
    g_denied = card4;
    Pick(1);
    EXPECT_EQ(1, ui.Count(kIdsNoRights));
    EXPECT_FALSE(Probe(w).Disk().IsOpen());
    g_denied.clear();
    ASSERT_EQ(0, std::remove(card4.c_str()));
    Pick(1);
    EXPECT_EQ(1, ui.Count(kIdsCardAccessError));
    EXPECT_EQ(3u, ui.Shown().size());
}

TEST_F(MainWinDiscoveryTest, AnEventWhileBusyChangesNothing)
{
    CMainWin& w = Start();
    ASSERT_EQ(std::vector<std::string>{"Empty"}, Entries());
    NameImages({CardWith("late.img", {{0, 0, 25, 0, "LATE", {{1, 2, 3}}}})});
    Probe(w).BeginProgress(10);
    Probe(w).UpdateControls();
    events->Send(kDeviceArrival, 0);
    EXPECT_EQ(std::vector<std::string>{"Empty"}, Entries()) << "dropped, not queued";
    Probe(w).EndProgress();
    Probe(w).UpdateControls();
    EXPECT_EQ(std::vector<std::string>{"Empty"}, Entries());
    EXPECT_FALSE(Probe(w).Disk().IsOpen());
    events->Send(kDeviceArrival, 0);
    EXPECT_EQ(1u, Entries().size());
    EXPECT_TRUE(Probe(w).Disk().IsLoaded());
}

TEST_F(MainWinDiscoveryTest, SwitchingTheLanguageRebuildsTheListKeepingTheSelection)
{
    TwoCards();
    CMainWin& w = Start();
    Pick(1);
    auto* languages = w.ControlAs<QComboBox>(CMainWin::kIdLanguageList);
    languages->setCurrentIndex(1);
    emit languages->activated(1);
    EXPECT_EQ(3, SelectedDrive());
    EXPECT_EQ(3, OpenDrive());

    std::remove(card2.c_str());
    std::remove(card4.c_str());
    Probe(w).OnRefresh();
    EXPECT_EQ(std::vector<std::string>{LoadTextIn(kIdsNoCardFound, 1)}, Entries()) << "\"Empty\" in Russian";
}
