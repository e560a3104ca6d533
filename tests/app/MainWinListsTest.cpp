// The main window's views of a card: the info fields and enabling rules
// with no card, an unformatted card and a loaded one; clip labels,
// thumbnails decoded from the clips' first frames and shared by the three
// lists; tool tips; the playlist views.
#include "MainWinFixture.h"

#include "DvFixtures.h"
#include "DvFrame.h"
#include "MemoryDevice.h"

#include <QCheckBox>
#include <QHelpEvent>
#include <QStyle>
#include <QTest>
#include <QTextLayout>
#include <QToolTip>

namespace {

// The card behind every opening, held in memory so that a read can be made
// to fail.
std::shared_ptr<MemoryDeviceState> g_card;

class MainWinListsTest : public MainWinFixture {
protected:
    // Five clips; the last one is PARIS of 100 frames, the others have no
    // name. Playlist 1: PARIS then clip 1; playlist 2 empty; playlist 3:
    // clip 2 looping with an AUTO transition.
    CMainWin& StartWithClips()
    {
        const std::vector<TaggedClip> clips = {
            {0, 0, 25, 0, "", {{200, 0, 0}}},
            {1, 25, 25, 1, "", {{0, 200, 0}}},
            {2, 50, 25, 2, "", {{0, 0, 200}}},
            {3, 75, 25, 3, "", {{200, 200, 0}}},
            {4, 100, 100, 4, "PARIS", {{200, 0, 200}}},
        };
        const std::vector<TaggedPlaylist> playlists = {
            {{4, 0}, false, {}},
            {{}, false, {}},
            {{1}, true, {kTransitionAuto}},
        };
        NameImages({CardWith("clips.img", clips, playlists)});
        return Start();
    }

    static bool IsBlack(const QImage& image)
    {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFFu) != 0)
                    return false;
        return true;
    }
    static QImage IconImage(const QListWidgetItem* item)
    {
        return item->icon().pixmap(CMainWin::kThumbWidth, CMainWin::kThumbHeight).toImage();
    }
    static bool Near(QRgb pixel, int r, int g, int b)
    {
        return std::abs(qRed(pixel) - r) < 40 && std::abs(qGreen(pixel) - g) < 40 && std::abs(qBlue(pixel) - b) < 40;
    }

    // The lines of text drawn under the image of item `row`, counted in a
    // picture of the list: bands of rows holding dark pixels below the
    // image. The item must not be selected.
    static int DrawnTextLines(QListWidget* list, int row)
    {
        const QRect r = list->visualItemRect(list->item(row));
        const QImage image = list->viewport()->grab(r).toImage();
        const QRgb base = list->palette().color(QPalette::Base).rgb();
        auto blank = [&](int y) {
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFFu) != (base & 0xFFFFFFu))
                    return false;
            return true;
        };
        auto dark = [&](int y) {
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 110)
                    return true;
            return false;
        };
        int y = 0;
        while (y < image.height() && blank(y))
            ++y; // above the image
        while (y < image.height() && !blank(y))
            ++y; // the image
        int lines = 0;
        for (bool inLine = false; y < image.height(); ++y) {
            const bool d = dark(y);
            lines += d && !inLine ? 1 : 0;
            inLine = d;
        }
        return lines;
    }
    // The lines the label of item `row` takes when it is laid out, word
    // wrapped, across the width of its item less the style's text margins.
    static int LayoutLines(QListWidget* list, int row)
    {
        const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
        QString text = list->item(row)->text();
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout layout(text, list->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        int lines = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(list->visualItemRect(list->item(row)).width() - 2 * margin);
            ++lines;
        }
        layout.endLayout();
        return lines;
    }
    // The tip shown when the mouse rests on item `row`; empty for none.
    static std::string TipOf(QListWidget* list, int row)
    {
        // A hidden tip lingers a moment; the next one must not be mistaken
        // for it.
        for (int waited = 0; QToolTip::isVisible() && waited < 5000; waited += 20)
            QTest::qWait(20);
        list->scrollToItem(list->item(row));
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &help);
        const std::string tip = QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
        QToolTip::hideText();
        return tip;
    }
};

} // namespace

TEST_F(MainWinListsTest, WithoutACardOnlyOpenClipRefreshAndLanguageWork)
{
    CMainWin& w = Start();
    EXPECT_TRUE(Probe(w).NoCard());
    EXPECT_FALSE(Probe(w).NoRights());
    ASSERT_EQ(1, CardList()->count());
    EXPECT_EQ("Empty", CardList()->itemText(0).toStdString());
    EXPECT_FALSE(Probe(w).Disk().IsOpen());
    for (int id : {1001, 1002, 1005, 1006, 1007})
        EXPECT_EQ("", Text(id)) << id;
    for (int id : {2006, 2021, 1013})
        EXPECT_TRUE(Enabled(id)) << id;
    for (int id : {1004, 2002, 2004, 2007, 2001, 2005, 2008, 2023, 2022, 2025, 1010, 1012, 1011})
        EXPECT_FALSE(Enabled(id)) << id;
    ASSERT_EQ(144, Probe(w).ClipList()->count());
    EXPECT_EQ("01", ItemText(Probe(w).ClipList(), 0));
    EXPECT_EQ("144", ItemText(Probe(w).ClipList(), 143));
    EXPECT_EQ(12, Probe(w).PlaylistList()->count());
    EXPECT_EQ(0, Probe(w).EntryList()->count());
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(MainWinListsTest, PreviewNeedsALoadedFileAndTheDecoder)
{
    CMainWin& w = Start();
    const std::string path = Dir().File("holiday.dv");
    ASSERT_TRUE(dvfix::WriteBytes(path, dvfix::MakeDvFrames(3)));
    env.answerFileDialog = [&path](CFileDialog&) { return path; };
    Probe(w).OnOpenClip();
    ASSERT_TRUE(Probe(w).ClipFile().IsOpen());
    EXPECT_EQ("holiday", Text(1001));
    EXPECT_EQ(FormatFrameTimeSize(3, false), Text(1002));
    EXPECT_TRUE(Enabled(2007));
    EXPECT_FALSE(Enabled(2004)) << "no card to write to";
    env.decoderPresent = false;
    Probe(w).UpdateControls();
    EXPECT_FALSE(Enabled(2007));
}

TEST_F(MainWinListsTest, UnformattedCardShowsItsCapacityAndOffersOnlyFormat)
{
    const std::string path = Dir().File("blank.img");
    TaggedCardLayout blank{300, {}, {}};
    blank.formatted = false;
    ASSERT_TRUE(WriteTaggedImage(path, blank));
    NameImages({path});
    CMainWin& w = Start();
    ASSERT_TRUE(Probe(w).Disk().IsOpen());
    EXPECT_FALSE(Probe(w).Disk().IsLoaded());
    EXPECT_EQ(FormatFrameTimeSize(300, false), Text(1005));
    EXPECT_EQ("Not formatted", Text(1006));

    const std::string clip = Dir().File("clip.dv");
    ASSERT_TRUE(dvfix::WriteBytes(clip, dvfix::MakeDvFrames(3)));
    ASSERT_EQ(0, Probe(w).ClipFile().Open(clip, true));
    Probe(w).UpdateControls();
    EXPECT_TRUE(Enabled(2002));
    EXPECT_TRUE(Enabled(1004));
    for (int id : {2004, 2001, 2005, 2008, 2023, 1010, 1012, 1011})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(MainWinListsTest, ClipItemsShowLabelsAndThumbnailsOfTheirFirstFrames)
{
    CMainWin& w = StartWithClips();
    ASSERT_TRUE(Probe(w).Disk().IsLoaded());
    EXPECT_EQ("05 - PARIS", ItemText(Probe(w).ClipList(), 4));
    EXPECT_EQ("04", ItemText(Probe(w).ClipList(), 3));
    EXPECT_EQ("06", ItemText(Probe(w).ClipList(), 5));
    EXPECT_TRUE(Enabled(1010));
    EXPECT_TRUE(Enabled(1012));
    EXPECT_FALSE(Enabled(1011)) << "no current playlist";

    // Colour bars over the clip's own colour, 90x72.
    const int bottoms[5][3] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0}, {200, 0, 200}};
    for (int slot = 0; slot < 5; ++slot) {
        const QImage thumb = Probe(w).Images().Image(slot);
        ASSERT_EQ(QSize(90, 72), thumb.size());
        EXPECT_TRUE(Near(thumb.pixel(4, 8), 191, 191, 191)) << slot << " white bar at the top left";
        EXPECT_TRUE(Near(thumb.pixel(45, 60), bottoms[slot][0], bottoms[slot][1], bottoms[slot][2])) << slot;
        EXPECT_EQ(slot, CImageSet::ItemImage(Probe(w).ClipList()->item(slot)));
        EXPECT_TRUE(Near(IconImage(Probe(w).ClipList()->item(slot)).pixel(45, 60), bottoms[slot][0], bottoms[slot][1],
                         bottoms[slot][2]))
            << slot << " the item shows it";
    }
    EXPECT_TRUE(IsBlack(Probe(w).Images().Image(5))) << "an empty slot is blank";
    EXPECT_TRUE(IsBlack(IconImage(Probe(w).ClipList()->item(5))));
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(MainWinListsTest, ToolTipsNameTheClipAndGiveItsTimeAndSize)
{
    CMainWin& w = StartWithClips();
    EXPECT_EQ("PARIS\r0:00:04.00 \n (13.7 MB)", Probe(w).OnInfoTip(CMainWin::kIdClipList, 4));
    EXPECT_EQ("\r" + FormatFrameTimeSize(25, true), Probe(w).OnInfoTip(CMainWin::kIdClipList, 0));
    EXPECT_EQ("", Probe(w).OnInfoTip(CMainWin::kIdClipList, 5)) << "empty slot";
    EXPECT_EQ("", Probe(w).OnInfoTip(CMainWin::kIdClipList, 144));
    EXPECT_EQ("", Probe(w).OnInfoTip(CMainWin::kIdEntryList, 0)) << "no current playlist";

    Probe(w).PlaylistList()->item(0)->setSelected(true);
    EXPECT_EQ("PARIS\r0:00:04.00 \n (13.7 MB)", Probe(w).OnInfoTip(CMainWin::kIdEntryList, 0));
    EXPECT_EQ("", Probe(w).OnInfoTip(CMainWin::kIdEntryList, 2)) << "past the last entry";

    // Resting the mouse on the item shows the tip with its line breaks.
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QListWidget* clips = Probe(w).ClipList();
    clips->scrollToItem(clips->item(4));
    const QPoint at = clips->visualItemRect(clips->item(4)).center();
    QHelpEvent help(QEvent::ToolTip, at, clips->viewport()->mapToGlobal(at));
    QApplication::sendEvent(clips->viewport(), &help);
    EXPECT_EQ("PARIS\n0:00:04.00 \n (13.7 MB)", QToolTip::text().toStdString());
    QToolTip::hideText();
}

TEST_F(MainWinListsTest, PlaylistViewsShowTheCurrentPlaylist)
{
    CMainWin& w = StartWithClips();
    QListWidget* playlists = Probe(w).PlaylistList();
    EXPECT_EQ("01 - " + FormatFrameTime(125), ItemText(playlists, 0));
    EXPECT_EQ(4, CImageSet::ItemImage(playlists->item(0))) << "the thumbnail of its first clip";
    EXPECT_EQ("02", ItemText(playlists, 1));
    EXPECT_EQ(CMainWin::kBlankImage, CImageSet::ItemImage(playlists->item(1)));
    EXPECT_EQ("03 - 0:00:01.00 <>", ItemText(playlists, 2));
    auto* loop = w.ControlAs<QCheckBox>(CMainWin::kIdLoop);
    EXPECT_EQ(-1, Probe(w).CurrentPlaylist());
    EXPECT_FALSE(loop->isEnabled());

    playlists->item(0)->setSelected(true);
    EXPECT_EQ(0, Probe(w).CurrentPlaylist());
    ASSERT_EQ(2, Probe(w).EntryList()->count());
    EXPECT_EQ("05 - PARIS\nCUT", ItemText(Probe(w).EntryList(), 0));
    EXPECT_EQ("02", ItemText(Probe(w).EntryList(), 1)) << "a clip without a name shows the entry's place";
    EXPECT_EQ(4, CImageSet::ItemImage(Probe(w).EntryList()->item(0)));
    EXPECT_EQ(0, CImageSet::ItemImage(Probe(w).EntryList()->item(1)));
    EXPECT_EQ("#01, clips: 2, time: " + FormatFrameTime(125), Text(CMainWin::kIdPlaylistInfo));
    EXPECT_TRUE(loop->isEnabled());
    EXPECT_FALSE(loop->isChecked());
    EXPECT_TRUE(Enabled(1011));
    EXPECT_TRUE(Enabled(2023)) << "a playlist with entries is selected";
    EXPECT_FALSE(Enabled(2022));
    Probe(w).EntryList()->item(1)->setSelected(true);
    EXPECT_TRUE(Enabled(2022));

    playlists->item(2)->setSelected(true);
    EXPECT_EQ(2, Probe(w).CurrentPlaylist());
    ASSERT_EQ(1, Probe(w).EntryList()->count());
    EXPECT_EQ("01\nAUTO", ItemText(Probe(w).EntryList(), 0)) << "a looping playlist's last entry has a transition";
    EXPECT_TRUE(loop->isChecked());
    EXPECT_FALSE(Enabled(2022)) << "the new list has no selection";

    playlists->item(1)->setSelected(true);
    EXPECT_EQ(1, Probe(w).CurrentPlaylist());
    EXPECT_EQ(0, Probe(w).EntryList()->count());
    EXPECT_EQ("empty", Text(CMainWin::kIdPlaylistInfo));
    EXPECT_FALSE(loop->isEnabled());
    EXPECT_FALSE(Enabled(2023));
}

TEST_F(MainWinListsTest, ANewThumbnailShowsInAllThreeLists)
{
    CMainWin& w = StartWithClips();
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    ASSERT_FALSE(IsBlack(IconImage(Probe(w).PlaylistList()->item(0))));
    ASSERT_FALSE(IsBlack(IconImage(Probe(w).EntryList()->item(0))));

    Probe(w).SetThumbnail(4, nullptr);
    EXPECT_TRUE(IsBlack(IconImage(Probe(w).ClipList()->item(4))));
    EXPECT_TRUE(IsBlack(IconImage(Probe(w).PlaylistList()->item(0))));
    EXPECT_TRUE(IsBlack(IconImage(Probe(w).EntryList()->item(0))));
    EXPECT_FALSE(IsBlack(IconImage(Probe(w).EntryList()->item(1)))) << "clip 1 keeps its thumbnail";

    std::vector<std::uint8_t> white(90 * 72 * 4, 0xFF);
    Probe(w).SetThumbnail(4, white.data());
    EXPECT_EQ(qRgb(255, 255, 255), IconImage(Probe(w).EntryList()->item(0)).pixel(10, 10));
    EXPECT_EQ(qRgb(255, 255, 255), IconImage(Probe(w).PlaylistList()->item(0)).pixel(10, 10));
}

TEST_F(MainWinListsTest, ClickingEmptySpaceInThePlaylistListClearsTheCurrentPlaylist)
{
    CMainWin& w = StartWithClips();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QListWidget* playlists = Probe(w).PlaylistList();
    QTest::mouseClick(playlists->viewport(), Qt::LeftButton, {}, playlists->visualItemRect(playlists->item(0)).center());
    ASSERT_EQ(0, Probe(w).CurrentPlaylist());
    ASSERT_EQ(2, Probe(w).EntryList()->count());

    // A point of the list that no item covers.
    QPoint empty(-1, -1);
    const QRect area = playlists->viewport()->rect();
    for (int y = area.bottom() - 1; y > 0 && empty.x() < 0; y -= 2)
        for (int x = area.right() - 1; x > 0 && empty.x() < 0; x -= 2)
            if (playlists->itemAt(QPoint(x, y)) == nullptr)
                empty = QPoint(x, y);
    ASSERT_GE(empty.x(), 0);
    QTest::mouseClick(playlists->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(-1, Probe(w).CurrentPlaylist());
    EXPECT_TRUE(playlists->selectedItems().isEmpty());
    EXPECT_EQ(0, Probe(w).EntryList()->count());
    EXPECT_FALSE(Enabled(1011));
    EXPECT_EQ("", Text(CMainWin::kIdPlaylistInfo));
    EXPECT_FALSE(Enabled(2025));
}

TEST_F(MainWinListsTest, SelectionButtonsFollowTheSelectedClip)
{
    CMainWin& w = StartWithClips();
    Probe(w).ClipList()->item(4)->setSelected(true);
    for (int id : {2005, 2008, 2001})
        EXPECT_TRUE(Enabled(id)) << id;
    Probe(w).ClipList()->item(5)->setSelected(true);
    for (int id : {2005, 2008, 2001})
        EXPECT_FALSE(Enabled(id)) << id << " an empty slot";
}

TEST_F(MainWinListsTest, WithoutTheDecoderTheWarningComesOnceAndThumbnailsStayBlank)
{
    env.decoderPresent = false;
    CMainWin& w = StartWithClips();
    EXPECT_EQ(1, ui.Count(kIdsNoDecoder));
    EXPECT_EQ(static_cast<unsigned>(kMsgWarning), ui.Shown().front().flags);
    EXPECT_EQ("Warning: preview function requires DirectX version 8.0 or later!", ui.Shown().front().text);
    EXPECT_TRUE(IsBlack(Probe(w).Images().Image(4)));
    EXPECT_EQ("05 - PARIS", ItemText(Probe(w).ClipList(), 4)) << "labels still shown";
    Probe(w).OnRefresh();
    EXPECT_EQ(1, ui.Count(kIdsNoDecoder)) << "once per run of the window";
}

TEST_F(MainWinListsTest, AClipWhoseFirstFrameCannotBeReadKeepsItsThumbnail)
{
    const std::string path = CardWith("reads.img", {{0, 0, 25, 0, "", {{200, 0, 0}}}, {1, 25, 25, 1, "", {{0, 200, 0}}}});
    NameImages({path});
    const std::vector<std::uint8_t> bytes = dvfix::ReadBytes(path);
    g_card = MakeDeviceState(bytes.size());
    g_card->bytes = bytes;
    env.openDevice = OpenerOf(g_card);
    // Read 1 is the card's tables, read 2 the spare sector after the last
    // cluster (a move to finish?), read 3 the first frame of clip 1.
    g_card->failRead = 3;
    CMainWin& w = Start();
    EXPECT_EQ(1, ui.Count(kIdsCardAccessError));
    EXPECT_TRUE(IsBlack(Probe(w).Images().Image(0)));
    EXPECT_FALSE(IsBlack(Probe(w).Images().Image(1))) << "the next clip is read";
    EXPECT_EQ("01", ItemText(Probe(w).ClipList(), 0)) << "the label is still set";

    Probe(w).OnRefresh();
    ASSERT_FALSE(IsBlack(Probe(w).Images().Image(0)));
    const QImage before = Probe(w).Images().Image(0);
    g_card->failRead = g_card->reads + 3;
    Probe(w).OnRefresh();
    EXPECT_EQ(2, ui.Count(kIdsCardAccessError)) << "once per opening of the card";
    EXPECT_EQ(before, Probe(w).Images().Image(0)) << "the thumbnail it had";
    g_card.reset();
}

TEST_F(MainWinListsTest, LabelsShowEveryLineWhateverTheOtherItemsAndACutLabelShowsInItsTip)
{
    // Playlist 1: PARIS with AUTO, a long name with CUT, PARIS last (one
    // line). Playlist 2 loops. The last items of both lists are short.
    const std::vector<TaggedClip> clips = {{0, 0, 25, 0, "WWWWWWWW", {{200, 0, 0}}}, {1, 25, 25, 1, "PARIS", {{0, 200, 0}}}};
    NameImages({CardWith("labels.img", clips, {{{1, 0, 1}, false, {kTransitionAuto, kTransitionCut}}, {{1}, true, {}}})});
    CMainWin& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    QListWidget* entries = Probe(w).EntryList();
    ASSERT_EQ(3, entries->count());
    ASSERT_EQ("02 - PARIS\nAUTO", ItemText(entries, 0));
    ASSERT_EQ("02 - PARIS", ItemText(entries, 2));

    EXPECT_EQ(2, DrawnTextLines(entries, 0)) << "the clip and its transition";
    EXPECT_EQ(1, DrawnTextLines(entries, 2));
    const std::string info = "PARIS\n" + FormatFrameTimeSize(25, true);
    EXPECT_EQ(info, TipOf(entries, 0)) << "a whole label adds nothing to the info tip";

    // Two lines of label at most; one that needs more shows whole in its tip.
    const int needed = LayoutLines(entries, 1);
    EXPECT_EQ(std::min(needed, 2), DrawnTextLines(entries, 1));
    const std::string wide = "WWWWWWWW\n" + FormatFrameTimeSize(25, true);
    EXPECT_EQ(needed > 2 ? ItemText(entries, 1) + "\n" + wide : wide, TipOf(entries, 1)) << needed << " lines";

    // The loop mark, whether it fits beside the time or takes a line of its own.
    QListWidget* playlists = Probe(w).PlaylistList();
    ASSERT_EQ("02 - 0:00:01.00 <>", ItemText(playlists, 1));
    EXPECT_LE(LayoutLines(playlists, 1), 2);
    EXPECT_EQ(LayoutLines(playlists, 1), DrawnTextLines(playlists, 1));
    EXPECT_EQ("", TipOf(playlists, 1)) << "nothing is cut";
}
