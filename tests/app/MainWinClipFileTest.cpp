// The window's current clip file: Open clip with its checks, messages and
// conversion offer, the first-frame picture, Read clip into a raw DV file,
// and Preview.
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

    // DV video without its audio pack decodes: its conversion is offered
    // first (declined here), then it is refused as before.
    const std::tuple<std::string, int, bool> cases[] = {
        {foreign, kIdsCannotReadFile, false},
        {notAvi, kIdsCannotOpenFile, false},
        {rate441, kIdsIncompatibleAudio, false},
        {noPack, kIdsCannotReadFile, true}};
    for (const auto& [path, message, offered] : cases) {
        ui.Reset();
        OpenClip(path);
        ASSERT_EQ(offered ? 2u : 1u, ui.Shown().size()) << path;
        if (offered) {
            EXPECT_EQ(kIdsAskConvertVideo, ui.Shown()[0].id) << path;
        }
        const ShownMessage& refusal = ui.Shown().back();
        EXPECT_EQ(message, refusal.id) << path;
        EXPECT_EQ(static_cast<unsigned>(kMsgError), refusal.flags) << path;
        if (message == kIdsCannotOpenFile || message == kIdsCannotReadFile) {
            EXPECT_NE(std::string::npos, refusal.text.find(path)) << "the path is named";
        }
        ExpectRefused(path);
    }
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

TEST_F(MainWinClipFileTest, SeparateAudioAviDeclinedLoadsUnchanged)
{
    StartWindow();
    const std::string avi = Dir().File("type2.avi");
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(avi, dvfix::MakeDvFrames(4)));
    OpenClip(avi);
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsAskConvertAvi, ui.Shown()[0].id);
    EXPECT_EQ(static_cast<unsigned>(kMsgYesNo), ui.Shown()[0].flags);
    ExpectLoaded("type2", 4);
    EXPECT_TRUE(Probe(*win).ClipFile().HasSeparateAudio());
    EXPECT_EQ(1u, dialogs.size()) << "no save dialog";

    // Yes, then Cancel in the save dialog: nothing stays open.
    ui.Reset();
    ui.Answer(kIdsAskConvertAvi, kIdYes);
    OpenClip(avi);
    ASSERT_EQ(2u, ui.Shown().size());
    EXPECT_EQ(kIdsChooseConvertedName, ui.Shown()[1].id);
    ASSERT_EQ(3u, dialogs.size());
    EXPECT_FALSE(dialogs[2].open);
    EXPECT_EQ("dv", dialogs[2].suffix);
    EXPECT_EQ("", dialogs[2].initialName);
    ExpectRefused(avi);
}

TEST_F(MainWinClipFileTest, SeparateAudioAviAcceptedIsConvertedAndTheDvFileLoaded)
{
    StartWindow();
    const std::string avi = Dir().File("type2.avi");
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(avi, dvfix::MakeDvFrames(4)));
    const std::string output = Dir().File("converted.dv");
    ui.Answer(kIdsAskConvertAvi, kIdYes);
    choices = {avi, output};
    Probe(*win).OnOpenClip();
    std::vector<int> ids = ui.Ids();
    EXPECT_EQ((std::vector<int>{kIdsAskConvertAvi, kIdsChooseConvertedName, kIdsConversionComplete}), ids);
    EXPECT_EQ(4 * 144000u, std::filesystem::file_size(output));
    EXPECT_EQ(output, Probe(*win).CurrentFilePath());
    ExpectLoaded("converted", 4);
    EXPECT_TRUE(Probe(*win).ClipFile().IsRaw());
    EXPECT_FALSE(PictureBlack());

    // A conversion that cannot create its output names it.
    ui.Reset();
    ui.Answer(kIdsAskConvertAvi, kIdYes);
    const std::string nowhere = Dir().File("missing/out.dv");
    choices = {avi, nowhere};
    Probe(*win).OnOpenClip();
    ASSERT_EQ(3u, ui.Shown().size());
    EXPECT_EQ(kIdsCannotOpenFile, ui.Shown()[2].id);
    EXPECT_NE(std::string::npos, ui.Shown()[2].text.find(nowhere));
    ExpectRefused(avi);
}

TEST_F(MainWinClipFileTest, PhoneClipIsOfferedAConversionUnderTheProgressBar)
{
    StartWindow();
    const std::string clip = Dir().File("phone.mp4");
    if (const std::string skip = convfix::MakeClip(clip, {}); !skip.empty())
        GTEST_SKIP() << skip;
    // The frame shape comes from the settings.
    WriteProfileInt("Options", "Aspect", 1);
    const std::string output = Dir().File("phone.dv");
    ui.Answer(kIdsAskConvertVideo, kIdYes);
    choices = {clip, output};
    int largest = -1;
    WatchProgress([&largest](int value) { largest = std::max(largest, value); });
    Probe(*win).OnOpenClip();
    StopWatching();
    std::vector<int> ids = ui.Ids();
    ASSERT_EQ((std::vector<int>{kIdsAskConvertVideo, kIdsChooseConvertedName, kIdsConversionComplete}), ids);
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find(clip)) << "the file is named";
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find("0:00:02.00")) << "with its duration";
    ASSERT_EQ(2u, dialogs.size());
    EXPECT_FALSE(dialogs[1].open);
    EXPECT_EQ("dv", dialogs[1].suffix);
    EXPECT_GT(largest, 10) << "the bar moved during the conversion";
    EXPECT_EQ(output, Probe(*win).CurrentFilePath());
    ExpectLoaded("phone", 50);
    EXPECT_FALSE(PictureBlack());
    double shape = 0;
    convfix::DecodeDvFileFrame(output, 0, &shape);
    EXPECT_NEAR(16.0 / 9, shape, 0.01);

    // Abort: no file is left and none is open; the window is usable again.
    ui.Reset();
    ui.Answer(kIdsAskConvertVideo, kIdYes);
    const std::string part = Dir().File("part.dv");
    choices = {clip, part};
    WatchProgress([this](int value) {
        if (value >= 5)
            PressAbort();
    });
    Probe(*win).OnOpenClip();
    StopWatching();
    ids = ui.Ids();
    EXPECT_EQ((std::vector<int>{kIdsAskConvertVideo, kIdsChooseConvertedName, kIdsOperationAborted}), ids);
    EXPECT_FALSE(std::filesystem::exists(part));
    ExpectRefused(clip);
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
