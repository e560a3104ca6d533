// Files dropped onto the main window from a file manager, made of drag and
// drop events with file URLs: a DV file onto a slot written there and read
// back from the card image, a phone clip onto the picture taken as the clip
// file and onto a slot converted on its way to the card, three files with the
// second refused summed up at the end, Abort stopping the files left, and
// the drags that are not taken (no card, busy, a folder, a web address).
#include "ConvertFixtures.h"
#include "DropHighlight.h"
#include "DvFrame.h"
#include "MainWinCommandsFixture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <algorithm>

namespace {

class MainWinFileDropTest : public MainWinCommandsFixture {
protected:
    CMainWin& Show(const std::string& image)
    {
        if (!image.empty())
            NameImages({image});
        CMainWin& w = StartWindow();
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }
    static std::unique_ptr<QMimeData> Urls(const std::vector<std::string>& paths)
    {
        auto mime = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const std::string& p : paths)
            urls.push_back(p.find("://") != std::string::npos ? QUrl(QString::fromStdString(p))
                                                               : QUrl::fromLocalFile(QString::fromStdString(p)));
        mime->setUrls(urls);
        return mime;
    }
    // Window coordinates of slot `slot` in the clip list, and of the picture.
    QPoint SlotPoint(int slot) const
    {
        return Probe(*win).ClipList()->viewport()->mapTo(win.get(), ItemPoint(Probe(*win).ClipList(), slot));
    }
    QPoint PicturePoint() const { return win->Control(CMainWin::kIdPicture)->geometry().center(); }

    // The pointer enters the window and moves to `pos` with `paths`, as a
    // file manager offering to copy or move them: true when the window
    // takes them there, with the copy cursor.
    bool DragOver(QPoint pos, const std::vector<std::string>& paths)
    {
        const auto mime = Urls(paths);
        QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(win.get(), &enter);
        QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(win.get(), &move);
        return move.isAccepted() && move.dropAction() == Qt::CopyAction;
    }
    // Drops `paths` at `pos` and lets the window carry the drop out; true
    // when it was taken.
    bool Drop(QPoint pos, const std::vector<std::string>& paths)
    {
        const auto mime = Urls(paths);
        QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(win.get(), &enter);
        QDropEvent drop(pos, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(win.get(), &drop);
        const bool taken = drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
        for (int i = 0; i < 100 && Probe(*win).DropRunning(); ++i)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_FALSE(Probe(*win).DropRunning());
        return taken;
    }
    bool Highlighted(int slot) const { return ListItemHighlighted(Probe(*win).ClipList(), slot); }
    // Frame `f` of the clip in `slot` of the card image, from a fresh opening.
    static std::vector<std::uint8_t> CardFrame(const std::string& image, int slot, int f, int* frames = nullptr)
    {
        const auto disk = ReadCard(image);
        if (frames != nullptr)
            *frames = disk->Clips()[static_cast<std::size_t>(slot)].frames;
        std::vector<std::uint8_t> buffer(kClusterSize);
        if (!disk->ReadClipFrame(slot, f, buffer.data()))
            return {};
        buffer.resize(kFrameSize);
        return buffer;
    }
};

} // namespace

TEST_F(MainWinFileDropTest, ADvFileDroppedOnASlotIsWrittenThereAndReadBack)
{
    const std::string image = CardWith("card.img", {{0, 0, 30, 0, "A"}, {1, 30, 30, 1, "B"}});
    CMainWin& w = Show(image);
    std::vector<std::uint8_t> frames;
    const std::string file = DvFile("beach.dv", 80, 48000, &frames);

    // The copy cursor and the highlight over a slot; nothing over the
    // playlists.
    EXPECT_TRUE(DragOver(SlotPoint(2), {file}));
    EXPECT_TRUE(Highlighted(2));
    EXPECT_FALSE(DragOver(Probe(w).PlaylistList()->viewport()->mapTo(&w, ItemPoint(Probe(w).PlaylistList(), 0)), {file}));
    EXPECT_FALSE(Highlighted(2)) << "the highlight follows the pointer";

    ASSERT_TRUE(Drop(SlotPoint(2), {file}));
    EXPECT_FALSE(Highlighted(2));
    EXPECT_EQ(std::vector<int>{kIdsWriteCompleted}, ui.Ids()) << "Write clip's own messages";
    EXPECT_EQ(file, Probe(w).CurrentFilePath()) << "loaded as Open clip loads it";
    int written = 0;
    EXPECT_EQ(dvfix::Frame(frames, 0), CardFrame(image, 2, 0, &written));
    EXPECT_EQ(dvfix::Frame(frames, 79), CardFrame(image, 2, 79));
    EXPECT_EQ(80, written);

    // Onto a slot that holds a clip: asked first, and No changes nothing.
    ui.Reset();
    ui.Answer(kIdsAskWriteAtSlot, kIdNo);
    ASSERT_TRUE(Drop(SlotPoint(1), {file}));
    ASSERT_EQ(std::vector<int>{kIdsAskWriteAtSlot}, ui.Ids());
    EXPECT_EQ("Write clip at slot 02?", ui.Shown()[0].text);
    CardFrame(image, 1, 0, &written);
    EXPECT_EQ(30, written);

    // Over empty space of the list: the lowest empty slot.
    ui.Reset();
    EXPECT_TRUE(DragOver(EmptyPoint(Probe(w).ClipList()) + Probe(w).ClipList()->viewport()->mapTo(&w, QPoint()), {file}));
    EXPECT_TRUE(Highlighted(3));
    ASSERT_TRUE(Drop(EmptyPoint(Probe(w).ClipList()) + Probe(w).ClipList()->viewport()->mapTo(&w, QPoint()), {file}));
    CardFrame(image, 3, 0, &written);
    EXPECT_EQ(80, written);

    // While Write clip runs, the window takes no drop.
    ui.Reset();
    bool taken = false;
    WatchProgress([&](int) {
        taken = taken || DragOver(SlotPoint(5), {file}) || Drop(SlotPoint(5), {file});
    });
    w.ControlAs<QPushButton>(CMainWin::kIdWriteClip)->click();
    StopWatching();
    EXPECT_FALSE(taken);
    EXPECT_EQ(std::vector<int>{kIdsWriteCompleted}, ui.Ids());
    CardFrame(image, 5, 0, &written);
    EXPECT_EQ(0, written);
}

TEST_F(MainWinFileDropTest, APhoneClipOnThePictureIsTakenAndOnASlotConvertedOnItsWay)
{
    const std::string image = CardWith("card.img", {{0, 0, 30, 0, "A"}});
    Show(image);
    const std::string clip = Dir().File("phone.mp4");
    convfix::Clip phone;
    phone.seconds = 4;
    if (const std::string skip = convfix::MakeClip(clip, phone); !skip.empty())
        GTEST_SKIP() << skip;

    // Onto the picture: taken as Open clip takes it, nothing asked.
    EXPECT_TRUE(DragOver(PicturePoint(), {clip}));
    ASSERT_TRUE(Drop(PicturePoint(), {clip}));
    EXPECT_TRUE(ui.Shown().empty());
    EXPECT_EQ(FormatFrameTimeSize(100, false), Text(CMainWin::kIdFileLength));
    EXPECT_TRUE(Enabled(CMainWin::kIdWriteClip));

    // Onto a slot, with a DV copy kept: one question, the save dialog, and
    // the frames written into that slot as they are converted.
    ui.Answer(kIdsAskConvertWhileWriting, kIdYes);
    ui.Tick(kIdsAskConvertWhileWriting, true);
    const std::string output = Dir().File("phone.dv");
    choices = {output};
    ASSERT_TRUE(Drop(SlotPoint(1), {clip}));
    EXPECT_EQ((std::vector<int>{kIdsAskConvertWhileWriting, kIdsChooseConvertedName, kIdsWriteCompleted}),
              ui.Ids());
    EXPECT_EQ(clip, Probe(*win).CurrentFilePath());
    int written = 0;
    const std::vector<std::uint8_t> first = CardFrame(image, 1, 0, &written);
    EXPECT_EQ(100, written);
    EXPECT_EQ(dvfix::Frame(dvfix::ReadBytes(output), 0), first);
}

TEST_F(MainWinFileDropTest, ThreeFilesWithTheSecondRefusedAreSummedUp)
{
    const std::string image = CardWith("card.img", {{0, 0, 30, 0, "A"}, {1, 30, 30, 1, "B"}});
    CMainWin& w = Show(image);
    std::vector<std::uint8_t> one, three;

    const std::vector<std::string> files = {DvFile("one.dv", 80, 48000, &one), DvFile("short.dv", 30),
                                            DvFile("three.dv", 76, 48000, &three)};

    // Onto slot 02, which holds a clip: it and the empty slots after it.
    EXPECT_TRUE(DragOver(SlotPoint(1), files));
    EXPECT_TRUE(Highlighted(1));
    EXPECT_TRUE(Highlighted(2));
    EXPECT_TRUE(Highlighted(3));
    EXPECT_FALSE(Highlighted(0));
    EXPECT_FALSE(DragOver(PicturePoint(), files)) << "the picture shows one file";
    EXPECT_FALSE(Highlighted(1));

    ui.Answer(kIdsAskWriteAtSlot, kIdYes);
    ui.Answer(kIdsAskDeleteClip, kIdYes);
    ASSERT_TRUE(Drop(SlotPoint(1), files));
    // The questions as usual, one summary instead of a box per file.
    ASSERT_EQ((std::vector<int>{kIdsAskWriteAtSlot, kIdsAskDeleteClip, kIdsDropSummary}), ui.Ids());
    EXPECT_EQ("Files written onto the memory card: 2 of 3.\n\n"
              "short.dv: File is too short! File duration should be 3 seconds or more.",
              ui.Shown()[2].text);
    EXPECT_EQ(unsigned(kMsgWarning), ui.Shown()[2].flags);

    int written = 0;
    EXPECT_EQ(dvfix::Frame(one, 0), CardFrame(image, 1, 0, &written));
    EXPECT_EQ(80, written);
    EXPECT_EQ(dvfix::Frame(three, 75), CardFrame(image, 2, 75, &written)) << "the refused file took no slot";
    EXPECT_EQ(76, written);
    CardFrame(image, 3, 0, &written);
    EXPECT_EQ(0, written);
    EXPECT_EQ("03 - three", ItemText(Probe(w).ClipList(), 2));
    EXPECT_FALSE(Probe(w).Busy());

    // In Russian, the same summary.
    ui.Reset();
    SetLanguage(1);
    ASSERT_TRUE(Drop(SlotPoint(3), {files[1], files[0]}));
    ASSERT_EQ(std::vector<int>{kIdsDropSummary}, ui.Ids());
    EXPECT_EQ("Записано файлов на карту памяти: 1 из 2.\n\n"
              "short.dv: Слишком короткий клип! Клипы должны быть длительностью 3 сек. или больше.",
              ui.Shown()[0].text);
}

TEST_F(MainWinFileDropTest, AbortStopsTheFilesLeftAndNothingIsTakenWhileBusy)
{
    const std::string image = CardWith("card.img", {}, {}, 600);
    Show(image);
    const std::vector<std::string> files = {DvFile("a.dv", 80), DvFile("b.dv", 150), DvFile("c.dv", 80)};

    // During the second file's write another drag finds the window busy;
    // then Abort. Without the read-back each file is one pass of the bar.
    WriteProfileInt("Options", "Verify", 0);
    int writes = 0;
    int lastValue = 1000;
    bool takenWhileBusy = true;
    WatchProgress([&](int value) {
        if (value < lastValue)
            ++writes;
        lastValue = value;
        if (writes == 2 && value >= 20) {
            takenWhileBusy = DragOver(SlotPoint(10), {files[0]});
            PressAbort();
        }
    });
    ASSERT_TRUE(Drop(SlotPoint(0), files));
    StopWatching();
    EXPECT_FALSE(takenWhileBusy);
    ASSERT_EQ(std::vector<int>{kIdsDropSummary}, ui.Ids());
    EXPECT_EQ("Files written onto the memory card: 1 of 3.\n\n"
              "b.dv: Operation aborted.\n"
              "c.dv: Operation aborted.",
              ui.Shown()[0].text);
    int written = 0;
    CardFrame(image, 0, 0, &written);
    EXPECT_EQ(80, written);
    for (int slot : {1, 2}) {
        CardFrame(image, slot, 0, &written);
        EXPECT_EQ(0, written) << slot;
    }
}

TEST_F(MainWinFileDropTest, DragsThatAreNotTaken)
{
    // Without a card the list takes nothing; the picture still loads a file,
    // as Open clip does.
    CMainWin& w = Show("");
    const std::string file = DvFile("clip.dv", 80);
    EXPECT_FALSE(DragOver(SlotPoint(0), {file}));
    EXPECT_FALSE(Drop(SlotPoint(0), {file}));
    EXPECT_FALSE(Probe(w).ClipFile().IsOpen());
    EXPECT_TRUE(DragOver(PicturePoint(), {file}));
    ASSERT_TRUE(Drop(PicturePoint(), {file}));
    EXPECT_TRUE(Probe(w).ClipFile().IsOpen());
    EXPECT_EQ(file, Probe(w).CurrentFilePath());

    // A folder, a web address, or a folder among files.
    EXPECT_FALSE(DragOver(PicturePoint(), {Dir().Path()}));
    EXPECT_FALSE(DragOver(PicturePoint(), {"https://example.org/clip.dv"}));
    EXPECT_FALSE(Drop(PicturePoint(), {"https://example.org/clip.dv"}));
    EXPECT_EQ(file, Probe(w).CurrentFilePath());
    EXPECT_FALSE(DragOver(PicturePoint(), {file, Dir().Path()}));
    EXPECT_TRUE(ui.Shown().empty());
}
