// The window's current clip file: Open clip with its checks and messages, a
// file to convert written after one question, the first-frame picture,
// Read clip into a raw DV file, and Preview.
#include "CPictureWnd.h"
#include "CPlayerDlg.h"
#include "ConvertFixtures.h"
#include "DvFrame.h"
#include "Settings.h"
#include "MainWinCommandsFixture.h"

#include <QSlider>

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace {

class MainWinClipFileTest : public MainWinCommandsFixture {
protected:
    bool PictureBlack() const
    {
        const CPicture& p = win->ControlAs<CPictureWnd>(CMainWin::kIdPicture)->Picture();
        const std::uint8_t* px = p.Pixels();
        return std::all_of(px, px + p.Stride() * p.Height(), [](std::uint8_t b) { return b == 0; });
    }
    // Loaded as the current clip file, with its name and length shown.
    void ExpectLoaded(const std::string& name, int frames)
    {
        EXPECT_TRUE(Probe(*win).ClipFile().IsOpen());
        EXPECT_EQ(frames, Probe(*win).ClipFile().FrameCount());
        EXPECT_EQ(name, Text(CMainWin::kIdFileName));
        EXPECT_EQ(FormatFrameTimeSize(frames, false), Text(CMainWin::kIdFileLength));
    }
    // Refused: nothing open, a black picture, empty fields, nothing to write
    // or preview; the chosen path stays the current one.
    void ExpectRefused(const std::string& path)
    {
        EXPECT_FALSE(Probe(*win).ClipFile().IsOpen());
        EXPECT_TRUE(PictureBlack());
        EXPECT_EQ("", Text(CMainWin::kIdFileName));
        EXPECT_EQ("", Text(CMainWin::kIdFileLength));
        EXPECT_FALSE(Enabled(CMainWin::kIdWriteClip));
        EXPECT_FALSE(Enabled(CMainWin::kIdPreview));
        EXPECT_EQ(path, Probe(*win).CurrentFilePath());
    }
};

} // namespace

TEST_F(MainWinClipFileTest, AGoodFileLoadsWithItsPictureAndTheDialogStartsFromIt)
{
    NameImages({CardWith("card.img", {})});
    StartWindow();
    const std::string path = DvFile("good.dv", 8);
    OpenClip(path);
    EXPECT_TRUE(ui.Shown().empty());
    ExpectLoaded("good", 8);
    EXPECT_FALSE(PictureBlack()) << "the first frame at 180x144";
    EXPECT_TRUE(Enabled(CMainWin::kIdWriteClip));
    EXPECT_TRUE(Enabled(CMainWin::kIdPreview));
    ASSERT_EQ(1u, dialogs.size());
    EXPECT_TRUE(dialogs[0].open);
    EXPECT_EQ("", dialogs[0].suffix);
    EXPECT_EQ(4, dialogs[0].filters.size()) << "video, AVI, DV and all files";

    // A cancelled dialog changes nothing; it offered the current file.
    Probe(*win).OnOpenClip();
    ASSERT_EQ(2u, dialogs.size());
    EXPECT_EQ("good.dv", dialogs[1].initialName);
    ExpectLoaded("good", 8);
    EXPECT_EQ(path, Probe(*win).CurrentFilePath());
}

TEST_F(MainWinClipFileTest, ShortAndEmptyFilesLoadButWriteRefusesThem)
{
    NameImages({CardWith("card.img", {})});
    StartWindow();
    OpenClip(DvFile("short.dv", 74));
    EXPECT_TRUE(ui.Shown().empty());
    ExpectLoaded("short", 74);
    Probe(*win).OnWriteClip();
    EXPECT_EQ(1, ui.Count(kIdsFileTooShort));
    EXPECT_EQ(0, Probe(*win).Disk().Clips()[0].frames);

    ui.Reset();
    OpenClip(DvFile("empty.dv", 0));
    EXPECT_TRUE(ui.Shown().empty()) << "frame 0 of an empty file fails silently";
    ExpectLoaded("empty", 0);
    EXPECT_TRUE(PictureBlack());
    Probe(*win).OnWriteClip();
    EXPECT_EQ(1, ui.Count(kIdsFileTooShort));
}

TEST_F(MainWinClipFileTest, FilesThatFailTheirChecksAreRefusedWithTheirMessages)
{
    StartWindow();
    // Open a good file first: a refused one must also clear its picture.
    OpenClip(DvFile("good.dv", 2));
    ASSERT_FALSE(PictureBlack());

    const std::string foreign = Dir().File("foreign.avi");
    dvfix::AviLayout layout;
    layout.dvVideo = false;
    ASSERT_TRUE(dvfix::WriteMuxedAvi(foreign, {std::vector<std::uint8_t>(1000, 7)}, layout));
    const std::string rate441 = DvFile("441.dv", 2, 44100);
    const std::string noPack = DvFile("nopack.dv", 2, 0);
    const std::string notAvi = Dir().File("text.avi");
    ASSERT_TRUE(dvfix::WriteBytes(notAvi, std::vector<std::uint8_t>(500, 'x')));

    const std::tuple<std::string, int> cases[] = {
        {foreign, kIdsCannotReadFile}, {notAvi, kIdsCannotOpenFile}, {rate441, kIdsIncompatibleAudio}};
    for (const auto& [path, message] : cases) {
        ui.Reset();
        OpenClip(path);
        ASSERT_EQ(1u, ui.Shown().size()) << path;
        const ShownMessage& refusal = ui.Shown().back();
        EXPECT_EQ(message, refusal.id) << path;
        EXPECT_EQ(static_cast<unsigned>(kMsgError), refusal.flags) << path;
        if (message == kIdsCannotOpenFile || message == kIdsCannotReadFile) {
            EXPECT_NE(std::string::npos, refusal.text.find(path)) << "the path is named";
        }
        ExpectRefused(path);
    }

    // DV video without its audio pack decodes as video: it is taken as a
    // file to convert when it is written, without a word now.
    ui.Reset();
    OpenClip(noPack);
    EXPECT_TRUE(ui.Shown().empty());
    EXPECT_EQ("nopack", Text(CMainWin::kIdFileName));
    EXPECT_FALSE(Probe(*win).ClipFile().IsOpen());
}

TEST_F(MainWinClipFileTest, AudioFrameSizeAbove48WarnsAndLoads)
{
    StartWindow();
    std::vector<std::uint8_t> frames = dvfix::MakeDvFrames(3);
    ASSERT_FALSE(frames.empty());
    frames[kDvAauxPc1] = static_cast<std::uint8_t>((frames[kDvAauxPc1] & 0xC0) | 50);
    const std::string path = Dir().File("af50.dv");
    ASSERT_TRUE(dvfix::WriteBytes(path, frames));
    OpenClip(path);
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsNoAudio, ui.Shown()[0].id);
    EXPECT_EQ(static_cast<unsigned>(kMsgWarning), ui.Shown()[0].flags);
    ExpectLoaded("af50", 3);
    EXPECT_FALSE(PictureBlack());
}

// An AVI file with a separate audio track and a phone clip are opened
// without a question and converted when they are written, after one; the
// checks before the conversion refuse a clip too short with their message.
TEST_F(MainWinClipFileTest, SeparateAudioAviIsOpenedAsItIsAndItsTooShortClipRefusedBeforeConverting)
{
    NameImages({CardWith("card.img", {})});
    StartWindow();
    const std::string avi = Dir().File("type2.avi");
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(avi, dvfix::MakeDvFrames(4)));
    OpenClip(avi);
    EXPECT_TRUE(ui.Shown().empty());
    ExpectLoaded("type2", 4);
    EXPECT_FALSE(PictureBlack());
    EXPECT_EQ(1u, dialogs.size()) << "no save dialog";

    ui.Answer(kIdsAskConvertWhileWriting, kIdYes);
    Probe(*win).OnWriteClip();
    EXPECT_EQ((std::vector<int>{kIdsAskConvertWhileWriting, kIdsFileTooShort}), ui.Ids());
    EXPECT_EQ(static_cast<unsigned>(kMsgYesNo), ui.Shown()[0].flags);
    EXPECT_EQ(0, Probe(*win).Disk().Clips()[0].frames);
    EXPECT_EQ(1u, dialogs.size());
}

TEST_F(MainWinClipFileTest, PhoneClipIsConvertedOnItsWayToTheCardUnderTheProgressBar)
{
    NameImages({CardWith("card.img", {})});
    StartWindow();
    const std::string clip = Dir().File("phone.mp4");
    convfix::Clip phone;
    phone.seconds = 4;
    if (const std::string skip = convfix::MakeClip(clip, phone); !skip.empty())
        GTEST_SKIP() << skip;
    // The frame shape comes from the settings.
    WriteProfileInt("Options", "Aspect", 1);
    OpenClip(clip);
    EXPECT_TRUE(ui.Shown().empty()) << "nothing asked when it is opened";
    EXPECT_EQ("phone", Text(CMainWin::kIdFileName));
    EXPECT_EQ(FormatFrameTimeSize(100, false), Text(CMainWin::kIdFileLength));
    EXPECT_FALSE(PictureBlack()) << "the first frame its conversion makes";
    EXPECT_TRUE(Enabled(CMainWin::kIdWriteClip));

    ui.Answer(kIdsAskConvertWhileWriting, kIdYes);
    int largest = -1;
    WatchProgress([&largest](int value) { largest = std::max(largest, value); });
    Probe(*win).OnWriteClip();
    StopWatching();
    ASSERT_EQ((std::vector<int>{kIdsAskConvertWhileWriting, kIdsWriteCompleted}), ui.Ids());
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find(clip)) << "the file is named";
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find("0:00:04.00")) << "with its duration";
    EXPECT_EQ(1u, dialogs.size()) << "no copy kept, no save dialog";
    EXPECT_GT(largest, 10) << "the bar moved during the write";
    EXPECT_EQ(100, Probe(*win).Disk().Clips()[0].frames);

    // Abort part-way: nothing recorded; the window is usable again.
    ui.Reset();
    ui.Answer(kIdsAskConvertWhileWriting, kIdYes);
    WatchProgress([this](int value) {
        if (value >= 5)
            PressAbort();
    });
    Probe(*win).OnWriteClip();
    StopWatching();
    EXPECT_EQ((std::vector<int>{kIdsAskConvertWhileWriting, kIdsOperationAborted}), ui.Ids());
    EXPECT_EQ(0, Probe(*win).Disk().Clips()[1].frames);
    EXPECT_FALSE(Probe(*win).Busy());
    EXPECT_TRUE(Enabled(CMainWin::kIdOpenClip));
}

TEST_F(MainWinClipFileTest, ReadClipSavesTheClipAndLoadsTheFile)
{
    NameImages({CardWith("card.img", {})});
    StartWindow();
    std::vector<std::uint8_t> frames;
    OpenClip(DvFile("DEMO.dv", 75, 48000, &frames));
    Probe(*win).OnWriteClip();
    ASSERT_EQ(1, ui.Count(kIdsWriteCompleted));
    ui.Reset();

    Probe(*win).ClipList()->item(0)->setSelected(true);
    ASSERT_TRUE(Enabled(CMainWin::kIdReadClip));
    const std::string saved = Dir().File("back.dv");
    choices = {saved};
    std::vector<std::string> percents;
    WatchProgress([&](int) { percents.push_back(Percent()); });
    Probe(*win).OnReadClip();
    StopWatching();
    ASSERT_EQ(2u, dialogs.size());
    EXPECT_FALSE(dialogs.back().open);
    EXPECT_EQ("dv", dialogs.back().suffix);
    EXPECT_EQ("DEMO", dialogs.back().initialName) << "the clip's name is proposed";
    EXPECT_TRUE(ui.Shown().empty()) << "no completion message";
    EXPECT_EQ(frames, dvfix::ReadBytes(saved)) << "the frames as written";
    EXPECT_EQ(saved, Probe(*win).CurrentFilePath());
    ExpectLoaded("back", 75);
    EXPECT_FALSE(Probe(*win).Busy());
    EXPECT_FALSE(percents.empty());
    EXPECT_EQ(percents.end(), std::find(percents.begin(), percents.end(), "100 %"));
}

TEST_F(MainWinClipFileTest, AbortedReadLeavesWholeFramesAndTheCurrentFile)
{
    NameImages({CardWith("card.img", {})});
    StartWindow();
    const std::string source = DvFile("clip.dv", 75);
    OpenClip(source);
    Probe(*win).OnWriteClip();
    Probe(*win).ClipList()->item(0)->setSelected(true);
    ui.Reset();

    const std::string saved = Dir().File("part.dv");
    choices = {saved};
    WatchProgress([this](int value) {
        if (value >= 20)
            PressAbort();
    });
    Probe(*win).OnReadClip();
    StopWatching();
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsOperationAborted, ui.Shown()[0].id);
    const auto size = std::filesystem::file_size(saved);
    EXPECT_EQ(0u, size % 144000) << "whole frames only";
    EXPECT_GE(size, 19u * 144000);
    EXPECT_LT(size, 75u * 144000);
    EXPECT_EQ(source, Probe(*win).CurrentFilePath());
    ExpectLoaded("clip", 75);
    EXPECT_FALSE(Probe(*win).Busy());
    EXPECT_TRUE(Enabled(CMainWin::kIdReadClip));

    // A file that cannot be created is named.
    ui.Reset();
    const std::string nowhere = Dir().File("missing/x.dv");
    choices = {nowhere};
    Probe(*win).OnReadClip();
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsCannotOpenFile, ui.Shown()[0].id);
    EXPECT_EQ(source, Probe(*win).CurrentFilePath());
}

TEST_F(MainWinClipFileTest, PreviewPlaysTheCurrentFile)
{
    StartWindow();
    OpenClip(DvFile("clip.dv", 6));
    int maximum = -1;
    QTimer::singleShot(0, [&maximum] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dlg = qobject_cast<CPlayerDlg*>(w); dlg != nullptr && dlg->isVisible()) {
                maximum = dlg->TrackBar()->maximum();
                dlg->reject();
            }
        }
    });
    win->ControlAs<QPushButton>(CMainWin::kIdPreview)->click();
    EXPECT_EQ(5, maximum) << "the player ran over the file's frames";
}
