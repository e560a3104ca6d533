// The window's card commands: Write clip (lowest empty slot, an occupied
// slot, Abort, compaction, the percent field), Delete clip by button and by
// the Delete key, Preview clip and Format, with the redraws of the lists.
#include "CDisk.h"
#include "CPlayerDlg.h"
#include "MainWinCommandsFixture.h"
#include "MemoryDevice.h"
#include "TempDir.h"
#include "TestEnvironment.h"
#include "Texts.h"

#include <QSlider>
#include <QTest>

#include <algorithm>
#include <array>

namespace {

class MainWinCommandsTest : public MainWinCommandsFixture {
protected:
    static bool IsBlack(const QImage& image)
    {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                    return false;
        return true;
    }
    const ClipRecord& Clip(int slot) const { return Probe(*win).Disk().Clips()[static_cast<std::size_t>(slot)]; }
    const Playlist& PlaylistAt(int p) const { return Probe(*win).Disk().Playlists()[static_cast<std::size_t>(p)]; }
    // Frame `f` of the clip in `slot`, read back from the card.
    std::vector<std::uint8_t> CardFrame(int slot, int f)
    {
        std::vector<std::uint8_t> buffer(kClusterSize);
        EXPECT_TRUE(Probe(*win).Disk().ReadClipFrame(slot, f, buffer.data()));
        buffer.resize(kFrameSize);
        return buffer;
    }
};

} // namespace

TEST_F(MainWinCommandsTest, WriteGoesToTheLowestEmptySlotAndPercentReaches100OnlyAtTheMessage)
{
    const std::string image = CardWith("card.img", {{0, 0, 30, 0, "A"}, {1, 30, 30, 1, "B"}});
    NameImages({image});
    StartWindow();
    std::vector<std::uint8_t> frames;
    OpenClip(DvFile("holiday_video.dv", 80, 48000, &frames));
    ASSERT_TRUE(ui.Shown().empty());
    ASSERT_TRUE(Enabled(CMainWin::kIdWriteClip));

    std::vector<std::string> percents;
    std::vector<int> ranges;
    WatchProgress([&](int) {
        percents.push_back(Percent());
        const int range = win->ControlAs<QProgressBar>(CMainWin::kIdProgress)->maximum();
        if (ranges.empty() || ranges.back() != range)
            ranges.push_back(range);
        EXPECT_FALSE(Enabled(CMainWin::kIdWriteClip)) << "busy";
    });
    win->ControlAs<QPushButton>(CMainWin::kIdWriteClip)->click();
    StopWatching();

    ASSERT_EQ(1u, percentAtMessage.shown.size());
    EXPECT_EQ(kIdsWriteCompleted, percentAtMessage.shown[0].first);
    EXPECT_EQ("100 %", percentAtMessage.shown[0].second) << "the bar was full before it went idle";
    EXPECT_GT(percents.size(), 80u);
    EXPECT_EQ(percents.end(), std::find(percents.begin(), percents.end(), "100 %"));
    EXPECT_EQ(std::vector<int>{81}, ranges) << "no compaction, frames + 1";

    EXPECT_EQ(80, Clip(2).frames);
    EXPECT_EQ("03 - holiday_", ItemText(Probe(*win).ClipList(), 2));
    EXPECT_FALSE(IsBlack(Probe(*win).Images().Image(2))) << "the new clip's thumbnail";
    EXPECT_EQ(dvfix::Frame(frames, 0), CardFrame(2, 0));
    EXPECT_EQ(dvfix::Frame(frames, 79), CardFrame(2, 79));
    const auto again = ReadCard(image);
    EXPECT_EQ(80, again->Clips()[2].frames) << "recorded on the card";
    EXPECT_FALSE(Probe(*win).Busy());
    EXPECT_TRUE(win->Control(CMainWin::kIdProgress)->isHidden());
    EXPECT_TRUE(Enabled(CMainWin::kIdWriteClip));
}

TEST_F(MainWinCommandsTest, TheWindowIsIdleBeforeTheClosingMessage)
{
    NameImages({CardWith("card.img", {})});
    StartWindow();
    OpenClip(DvFile("clip.dv", 80));
    bool abortEnabledMeanwhile = false;
    WatchProgress([&](int) { abortEnabledMeanwhile = abortEnabledMeanwhile || Enabled(CMainWin::kIdAbort); });
    bool busy = true, barShown = true, abortEnabled = true, writeEnabled = false;
    ui.whenShown = [&](const ShownMessage&) {
        busy = Probe(*win).Busy();
        barShown = !win->Control(CMainWin::kIdProgress)->isHidden();
        abortEnabled = Enabled(CMainWin::kIdAbort);
        writeEnabled = Enabled(CMainWin::kIdWriteClip);
    };
    Probe(*win).OnWriteClip();
    ASSERT_EQ(std::vector<int>{kIdsWriteCompleted}, ui.Ids());
    EXPECT_TRUE(abortEnabledMeanwhile);
    EXPECT_FALSE(busy);
    EXPECT_FALSE(barShown);
    EXPECT_FALSE(abortEnabled);
    EXPECT_TRUE(writeEnabled) << "the commands are back";
}

TEST_F(MainWinCommandsTest, WriteIntoASelectedOccupiedSlotAsksAndReplacesTheClip)
{
    // Slot 1 is used twice in playlist 1 and once in playlist 3.
    const std::string image = CardWith("card.img", {{0, 0, 100, 0, "A"}, {1, 100, 40, 1, "OLD", {{200, 0, 0}}}},
                                       {{{1, 0, 1}}, {{0}}, {{1}}}, 215);
    NameImages({image});
    StartWindow();
    Probe(*win).PlaylistList()->item(0)->setSelected(true);
    ASSERT_EQ(3, Probe(*win).EntryList()->count());
    const QImage oldThumb = Probe(*win).Images().Image(1);
    ASSERT_FALSE(IsBlack(oldThumb));
    ASSERT_EQ(75, Probe(*win).Disk().FreeClusters());
    OpenClip(DvFile("new.dv", 115));

    // Declined: nothing changes.
    Probe(*win).ClipList()->item(1)->setSelected(true);
    Probe(*win).OnWriteClip();
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsAskDeleteClip, ui.Shown()[0].id);
    EXPECT_EQ("Clip 02 is used in 2 playlists.\n\nDelete clip?", ui.Shown()[0].text);
    EXPECT_EQ(static_cast<unsigned>(kMsgYesNoDefNo), ui.Shown()[0].flags);
    EXPECT_EQ(40, Clip(1).frames);
    EXPECT_EQ(3u, PlaylistAt(0).entries.size());

    // 75 free + 40 of the old clip make room for 115 frames.
    ui.Reset();
    ui.Answer(kIdsAskDeleteClip, kIdYes);
    Probe(*win).OnWriteClip();
    ASSERT_EQ(2u, ui.Shown().size());
    EXPECT_EQ(kIdsWriteCompleted, ui.Shown()[1].id);
    EXPECT_EQ(115, Clip(1).frames);
    EXPECT_EQ("02 - new", ItemText(Probe(*win).ClipList(), 1));
    EXPECT_NE(oldThumb, Probe(*win).Images().Image(1)) << "the thumbnail is redrawn";
    EXPECT_EQ(1u, PlaylistAt(0).entries.size()) << "the old clip's entries are gone";
    EXPECT_TRUE(PlaylistAt(2).entries.empty());
    EXPECT_EQ(CMainWin::kBlankImage, CImageSet::ItemImage(Probe(*win).PlaylistList()->item(2))) << "playlist 3 redrawn";
    EXPECT_EQ(0, CImageSet::ItemImage(Probe(*win).PlaylistList()->item(0)));
    EXPECT_EQ(1, Probe(*win).EntryList()->count()) << "the current playlist redrawn";
    EXPECT_EQ(115, ReadCard(image)->Clips()[1].frames);
}

TEST_F(MainWinCommandsTest, AbortMidWriteLeavesTheSlotEmpty)
{
    const std::string image = CardWith("card.img", {});
    NameImages({image});
    StartWindow();
    OpenClip(DvFile("clip.dv", 80));
    WatchProgress([this](int value) {
        if (value >= 30)
            PressAbort();
    });
    Probe(*win).OnWriteClip();
    StopWatching();
    ASSERT_EQ(1u, percentAtMessage.shown.size());
    EXPECT_EQ(kIdsOperationAborted, percentAtMessage.shown[0].first);
    EXPECT_EQ(static_cast<unsigned>(kMsgInfo), ui.Shown()[0].flags);
    EXPECT_EQ(0, Clip(0).frames);
    EXPECT_EQ("01", ItemText(Probe(*win).ClipList(), 0));
    EXPECT_TRUE(IsBlack(Probe(*win).Images().Image(0)));
    EXPECT_EQ(0, ReadCard(image)->Clips()[0].frames);
    EXPECT_FALSE(Probe(*win).Busy());
    EXPECT_TRUE(Enabled(CMainWin::kIdWriteClip));
}

TEST_F(MainWinCommandsTest, TheReadBackIsCaptionedInTheBarAndAbortThereRecordsNothing)
{
    const std::string image = CardWith("card.img", {});
    NameImages({image});
    StartWindow();
    OpenClip(DvFile("clip.dv", 80));
    SetLanguage(1);
    auto* bar = win->ControlAs<QProgressBar>(CMainWin::kIdProgress);
    std::vector<std::string> captions;
    WatchProgress([&](int value) {
        const std::string caption = bar->isTextVisible() ? bar->format().toStdString() : std::string();
        if (captions.empty() || captions.back() != caption)
            captions.push_back(caption);
        if (caption == LoadTextIn(kIdsVerifying, 1) && value >= 40)
            PressAbort();
    });
    Probe(*win).OnWriteClip();
    StopWatching();
    EXPECT_EQ((std::vector<std::string>{"Запись клипа 01", LoadTextIn(kIdsVerifying, 1)}), captions)
        << "writing, then reading back";
    ASSERT_EQ(1u, percentAtMessage.shown.size());
    EXPECT_EQ(kIdsOperationAborted, percentAtMessage.shown[0].first);
    EXPECT_EQ(0, Clip(0).frames);
    EXPECT_EQ(0, ReadCard(image)->Clips()[0].frames);
    Probe(*win).BeginProgress(10);
    EXPECT_FALSE(bar->isTextVisible()) << "the next operation starts without the caption";
    Probe(*win).EndProgress();
}

TEST_F(MainWinCommandsTest, SplitFreeSpaceIsCompactedBeforeTheWrite)
{
    // 60 + 60 + 150 of 300 clusters; deleting the middle clip leaves 60
    // free at 60 and 30 at the end: no run of 80.
    const std::string image =
        CardWith("card.img", {{0, 0, 60, 0, "A"}, {1, 60, 60, 1, "B"}, {2, 120, 150, 2, "C", {{0, 200, 0}}}}, {}, 300);
    NameImages({image});
    StartWindow();
    const std::vector<std::uint8_t> thirdFirst = CardFrame(2, 0);
    Probe(*win).ClipList()->item(1)->setSelected(true);
    ui.Answer(kIdsAskDeleteClip, kIdYes);
    QTest::keyClick(Probe(*win).ClipList(), Qt::Key_Delete);
    ASSERT_EQ(0, Clip(1).frames);
    EXPECT_EQ("02", ItemText(Probe(*win).ClipList(), 1));
    Probe(*win).ClipList()->clearSelection();

    std::vector<std::uint8_t> frames;
    OpenClip(DvFile("new.dv", 80, 48000, &frames));
    ui.Reset();
    std::vector<int> ranges;
    WatchProgress([&](int) {
        const int range = win->ControlAs<QProgressBar>(CMainWin::kIdProgress)->maximum();
        if (ranges.empty() || ranges.back() != range)
            ranges.push_back(range);
    });
    Probe(*win).OnWriteClip();
    StopWatching();
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsWriteCompleted, ui.Shown()[0].id);
    EXPECT_EQ((std::vector<int>{301, 81}), ranges) << "compaction, then the write";
    EXPECT_EQ(CDisk::SectorOfCluster(60), Clip(2).firstSector) << "the third clip moved down";
    EXPECT_EQ(thirdFirst, CardFrame(2, 0));
    EXPECT_EQ(CDisk::SectorOfCluster(210), Clip(1).firstSector);
    EXPECT_EQ(dvfix::Frame(frames, 79), CardFrame(1, 79));
    const auto again = ReadCard(image);
    EXPECT_EQ(CDisk::SectorOfCluster(60), again->Clips()[2].firstSector);
    EXPECT_EQ(80, again->Clips()[1].frames);
}

TEST_F(MainWinCommandsTest, DeleteKeyAndButtonAskAndRedrawTheLists)
{
    const std::string image =
        CardWith("card.img", {{0, 0, 30, 0, "A"}, {1, 30, 30, 1, "E"}}, {{{0}}, {}, {{1, 0, 1}}, {}, {}, {}, {{1}}});
    NameImages({image});
    StartWindow();
    Probe(*win).PlaylistList()->item(2)->setSelected(true);
    ASSERT_EQ(3, Probe(*win).EntryList()->count());
    Probe(*win).ClipList()->item(1)->setSelected(true);

    QTest::keyClick(Probe(*win).ClipList(), Qt::Key_Delete);
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ("Clip 02 is used in 2 playlists.\n\nDelete clip?", ui.Shown()[0].text);
    EXPECT_EQ(30, Clip(1).frames) << "declined";

    ui.Answer(kIdsAskDeleteClip, kIdYes);
    win->ControlAs<QPushButton>(CMainWin::kIdDeleteClip)->click();
    EXPECT_EQ(0, Clip(1).frames);
    EXPECT_EQ("02", ItemText(Probe(*win).ClipList(), 1));
    EXPECT_TRUE(IsBlack(Probe(*win).Images().Image(1)));
    EXPECT_EQ(1, Probe(*win).EntryList()->count()) << "the current playlist lost two entries";
    EXPECT_EQ(0, CImageSet::ItemImage(Probe(*win).PlaylistList()->item(2)));
    EXPECT_EQ(CMainWin::kBlankImage, CImageSet::ItemImage(Probe(*win).PlaylistList()->item(6)));
    EXPECT_FALSE(Enabled(CMainWin::kIdDeleteClip)) << "the slot is empty now";
    const auto again = ReadCard(image);
    EXPECT_EQ(0, again->Clips()[1].frames);
    EXPECT_TRUE(again->Playlists()[6].entries.empty());
}

TEST_F(MainWinCommandsTest, PreviewClipByButtonAndDoubleClickPlaysTheSlot)
{
    NameImages({CardWith("card.img", {{0, 0, 30, 0, "A"}, {1, 30, 12, 1, "C"}})});
    StartWindow();
    std::vector<int> maxima;
    auto closePlayer = [&maxima] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dlg = qobject_cast<CPlayerDlg*>(w); dlg != nullptr && dlg->isVisible()) {
                maxima.push_back(dlg->TrackBar()->maximum());
                dlg->reject();
            }
        }
    };
    Probe(*win).ClipList()->item(1)->setSelected(true);
    QTimer::singleShot(0, closePlayer);
    win->ControlAs<QPushButton>(CMainWin::kIdPreviewClip)->click();

    QListWidget* list = Probe(*win).ClipList();
    const QPoint centre = list->visualItemRect(list->item(0)).center();
    list->clearSelection();
    list->item(0)->setSelected(true);
    QTimer::singleShot(0, closePlayer);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ((std::vector<int>{11, 29}), maxima);

    // An empty slot opens nothing, and nothing opens without the decoder.
    list->clearSelection();
    list->item(5)->setSelected(true);
    QTimer::singleShot(0, closePlayer);
    Probe(*win).OnPreviewClip();
    list->clearSelection();
    list->item(0)->setSelected(true);
    env.decoderPresent = false;
    QTimer::singleShot(0, closePlayer);
    Probe(*win).OnPreviewClip();
    QApplication::processEvents();
    EXPECT_EQ(2u, maxima.size());
    EXPECT_TRUE(ui.Shown().empty()) << "no message";
}

TEST_F(MainWinCommandsTest, FormatAsksAndEmptiesTheCard)
{
    const std::string image = CardWith("card.img", {{0, 0, 30, 0, "A"}}, {{{0}}});
    NameImages({image});
    StartWindow();
    Probe(*win).PlaylistList()->item(0)->setSelected(true);
    ASSERT_EQ(0, Probe(*win).CurrentPlaylist());

    win->ControlAs<QPushButton>(CMainWin::kIdFormat)->click();
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsAskFormatCard, ui.Shown()[0].id);
    EXPECT_EQ(static_cast<unsigned>(kMsgYesNoDefNo), ui.Shown()[0].flags);
    EXPECT_EQ("Format CARD1 - card.img?\n\nClips on it: 1. Playlists: 1.\n\nEverything on it will be erased.",
              ui.Shown()[0].text)
        << "the card as the list names it";
    EXPECT_EQ(30, Clip(0).frames) << "declined";
    EXPECT_EQ(30, ReadCard(image)->Clips()[0].frames);

    ui.Reset();
    ui.Answer(kIdsAskFormatCard, kIdYes);
    Probe(*win).OnFormat();
    ASSERT_EQ(2u, ui.Shown().size());
    EXPECT_EQ(kIdsFormatComplete, ui.Shown()[1].id);
    EXPECT_EQ(0, Clip(0).frames);
    EXPECT_EQ("01", ItemText(Probe(*win).ClipList(), 0));
    EXPECT_TRUE(IsBlack(Probe(*win).Images().Image(0)));
    EXPECT_EQ(-1, Probe(*win).CurrentPlaylist());
    EXPECT_EQ(0, Probe(*win).EntryList()->count());
    const auto again = ReadCard(image);
    EXPECT_EQ(0, again->Clips()[0].frames);
    EXPECT_TRUE(again->Playlists()[0].entries.empty());
}

namespace {

std::shared_ptr<MemoryDeviceState> g_protected;

int OpenProtectedCard(const std::string&, bool, bool, std::unique_ptr<IDevice>& device)
{
    device = std::make_unique<CMemoryDevice>(g_protected);
    return kOpenOk;
}

} // namespace

TEST_F(MainWinCommandsTest, FormatOfAWriteProtectedCardRereadsItsTables)
{
    const std::string image = CardWith("card.img", {{0, 0, 30, 0, "A"}});
    NameImages({image});
    g_protected = MakeDeviceState(0);
    g_protected->bytes = dvfix::ReadBytes(image);
    env.openDevice = OpenProtectedCard;
    StartWindow();
    ASSERT_EQ(30, Clip(0).frames);
    g_protected->failAllWritesFrom = g_protected->writes + 1;
    ui.Answer(kIdsAskFormatCard, kIdYes);
    Probe(*win).OnFormat();
    std::vector<int> ids = ui.Ids();
    EXPECT_EQ((std::vector<int>{kIdsAskFormatCard, kIdsCardWriteError}), ids) << "the write message, no completion";
    EXPECT_EQ(30, Clip(0).frames) << "the card's tables read again";
    EXPECT_EQ("01 - A", ItemText(Probe(*win).ClipList(), 0));
    EXPECT_EQ(-1, Probe(*win).CurrentPlaylist());
    win.reset();
    g_protected.reset();
}

// A card whose lock switch is set shows its clips and thumbnails; the
// commands that write stay disabled, their tips saying why, while reading a
// clip stays possible.
TEST_F(MainWinCommandsTest, AWriteProtectedCardDisablesTheWritingCommands)
{
    const std::string image = CardWith("card.img", {{0, 0, 30, 0, "A"}}, {{{0}, false, {}}});
    const std::shared_ptr<MemoryDeviceState> card = MakeDeviceState(0);
    card->bytes = dvfix::ReadBytes(image);
    CTempDir sys;
    PutCardReaderDisk(sys.Path(), "sdtp", card->bytes.size(), true);
    env.sysRoot = sys.Path();
    env.cardReaders = [&sys] { return CardCandidates(sys.Path()); };
    env.openDevice = OpenerOf(card);
    StartWindow();
    OpenClip(DvFile("clip.dv", 10));
    Probe(*win).ClipList()->item(0)->setSelected(true);
    Probe(*win).PlaylistList()->item(0)->setSelected(true);
    Probe(*win).EntryList()->item(0)->setSelected(true);
    ASSERT_EQ("01 - A", ItemText(Probe(*win).ClipList(), 0));
    EXPECT_FALSE(IsBlack(Probe(*win).Images().Image(0)));
    for (const int id : {CMainWin::kIdFormat, CMainWin::kIdWriteClip, CMainWin::kIdDeleteClip,
                         CMainWin::kIdDeletePlaylist, CMainWin::kIdRemoveClip, CMainWin::kIdLoop}) {
        EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_EQ(LoadText(kIdsTipCardReadOnly), win->Control(id)->toolTip().toStdString()) << id;
    }
    EXPECT_TRUE(Enabled(CMainWin::kIdReadClip));
    EXPECT_TRUE(Enabled(CMainWin::kIdPreviewClip));
    EXPECT_EQ(0, card->writeOpenings);
    EXPECT_EQ(0, card->writes);
}
