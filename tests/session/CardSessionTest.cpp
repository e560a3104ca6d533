// The card session without any window: the card chosen by what it is, not
// by its place in the list; the check before Format and Write that the
// open device is still that card; the busy state that nests; the drop of
// several files summed up from the flows' results; and a video converted
// on its way to the card after one question.
#include "CBusyState.h"
#include "CCardClipSource.h"
#include "CCardSession.h"
#include "CSessionProgress.h"
#include "CardEditFlow.h"
#include "CardListFlow.h"
#include "ClipExport.h"
#include "ClipLoadFlow.h"
#include "ClipWriteFlow.h"
#include "ConvertFixtures.h"
#include "ConvertVideoToDv.h"
#include "DropBatchFlow.h"
#include "DvFixtures.h"
#include "HasDirectX8.h"
#include "IFlowHost.h"
#include "ISessionView.h"
#include "MediaResult.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "Settings.h"
#include "TaggedCard.h"
#include "TempDir.h"
#include "TestEnvironment.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class CNoDialogs : public IFlowHost {
public:
    std::string ChooseConvertedFile() override { return {}; }
};

// The save dialog answered with `path`.
class CSaveAs : public IFlowHost {
public:
    std::string ChooseConvertedFile() override
    {
        ++asked;
        return path;
    }
    std::string path;
    int asked = 0;
};

class CBusyLog : public ISessionView {
public:
    void BusyChanged(bool busy) override { told.push_back(busy); }
    std::vector<bool> told;
};

class CardSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetSettingsPath(dir.File("t.ini"));
        SetLanguage(0);
        WriteProfileInt("Options", "Verify", 0);
        env.cardReaders = NoCardReaders;
    }
    void TearDown() override { SetSettingsPath(""); }

    // Writes a card image of `clusters` clusters holding clip `tag` (80
    // frames) in slot 0 and names it as card image `n` of the settings.
    std::string Image(int n, const std::string& name, int clusters, int tag)
    {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteTaggedImage(path, {clusters, {{0, 0, 80, tag}}}));
        WriteProfileString("Cards", "Image" + std::to_string(n), path);
        return path;
    }
    std::string DvFile(const std::string& name, int frames)
    {
        const std::string path = dir.File(name);
        EXPECT_TRUE(dvfix::WriteBytes(path, dvfix::MakeDvFrames(frames)));
        return path;
    }
    static int FramesOfSlot0(const std::string& image)
    {
        CDisk disk;
        if (disk.OpenPath(image) != kOpenOk || !disk.ReadFAT())
            return -1;
        return disk.Clips()[0].frames;
    }

    CTempDir dir;
    CEnvironment env;
    CScriptedInteraction ui;
    CScriptedProgress progress;
    CNoDialogs host;
};

} // namespace

TEST_F(CardSessionTest, ANewListingKeepsTheChosenCardWhereverItIsListedNow)
{
    Image(1, "a.img", 400, 1);
    const std::string b = Image(2, "b.img", 300, 2);
    CCardSession session(env, ui, false);
    ListCards(session, ui, false);
    ASSERT_EQ(2u, session.Cards().Cards().size());
    ChooseCard(session, ui, 1);
    ASSERT_EQ(b, session.Disk().IsOpen() ? session.Cards().Chosen()->entry.path : "");

    // Another card comes first in the list now: place 1 names another card.
    Image(1, "c.img", 350, 3);
    Image(2, "a.img", 400, 1);
    WriteProfileString("Cards", "Image3", b);
    ListCards(session, ui, true);
    ASSERT_EQ(3u, session.Cards().Cards().size());
    EXPECT_EQ(2, session.Cards().ChosenIndex());
    ASSERT_TRUE(session.CardReady());
    EXPECT_EQ(300u, session.Disk().TotalClusters()) << "the card chosen is open, not the one at its old place";
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(CardSessionTest, AnotherCardUnderTheChosenPathIsNeitherFormattedNorWritten)
{
    const std::string a = Image(1, "a.img", 400, 1);
    const std::string clip = DvFile("clip.dv", 80);
    CCardSession session(env, ui, false);
    ListCards(session, ui, false);
    ASSERT_TRUE(session.CardReady());
    ASSERT_TRUE(LoadClip(session, clip, ui, host).loaded);

    // Between listing and Format the card behind the path is another one.
    ASSERT_TRUE(WriteTaggedImage(a, {300, {{0, 0, 90, 7}}}));
    ui.AlwaysAnswer(kIdsAskFormatCard, kIdYes);
    EXPECT_EQ(kFormatFlowCardChanged, FormatChosenCard(session, ui));
    EXPECT_EQ(0, ui.Count(kIdsAskFormatCard)) << "not even asked";
    EXPECT_EQ(1, ui.Count(kIdsCardChanged));
    EXPECT_EQ(90, FramesOfSlot0(a));
    ASSERT_TRUE(session.CardReady()) << "the list was read again and the card opened anew";
    EXPECT_EQ(300u, session.Disk().TotalClusters());

    // Read again, the same card is the chosen one: it may be written now,
    // until it changes once more.
    ASSERT_TRUE(LoadClip(session, clip, ui, host).loaded);
    ASSERT_TRUE(WriteTaggedImage(a, {350, {{0, 0, 95, 8}}}));
    const WriteResult refused = WriteClipFile(session, 1, ui, progress);
    EXPECT_EQ(kWriteCardChanged, refused.outcome);
    EXPECT_EQ(kIdsCardChanged, refused.reason.textId);
    EXPECT_EQ(2, ui.Count(kIdsCardChanged));
    CDisk reread;
    ASSERT_EQ(kOpenOk, reread.OpenPath(a));
    ASSERT_TRUE(reread.ReadFAT());
    EXPECT_EQ(0, reread.Clips()[1].frames) << "nothing written";

    ASSERT_TRUE(LoadClip(session, clip, ui, host).loaded);
    EXPECT_EQ(kWriteDone, WriteClipFile(session, 1, ui, progress).outcome);
    EXPECT_EQ(kFormatFlowDone, FormatChosenCard(session, ui));
}

// A reader unplugged and plugged in again gets the same node and size, and
// a new disk sequence number.
TEST_F(CardSessionTest, AReaderPluggedInAgainUnderTheSameNodeIsAnotherCard)
{
    const std::shared_ptr<MemoryDeviceState> card = MakeTaggedCard({400, {{0, 0, 80, 1}}});
    ASSERT_NE(nullptr, card);
    CTempDir sys;
    const std::string disk = sys.Path() + "/block/sdq";
    std::filesystem::create_directories(disk + "/device");
    std::ofstream(disk + "/size") << card->bytes.size() / 512 << "\n";
    std::ofstream(disk + "/removable") << "1\n";
    std::ofstream(disk + "/device/type") << "0\n";
    std::ofstream(disk + "/diskseq") << "41\n";
    env.sysRoot = sys.Path();
    env.cardReaders = [&sys] { return CardCandidates(sys.Path()); };
    env.openDevice = OpenerOf(card);

    CCardSession session(env, ui, false);
    ListCards(session, ui, false);
    ASSERT_TRUE(session.CardReady());
    EXPECT_EQ(41u, session.Cards().Chosen()->identity.diskSequence);
    ASSERT_TRUE(LoadClip(session, DvFile("clip.dv", 80), ui, host).loaded);

    std::ofstream(disk + "/diskseq") << "42\n";
    const int writes = card->writes;
    EXPECT_EQ(kWriteCardChanged, WriteClipFile(session, 1, ui, progress).outcome);
    EXPECT_EQ(writes, card->writes);
    EXPECT_EQ(42u, session.Cards().Chosen()->identity.diskSequence) << "listed again";
}

// The chosen card is held for reading alone; the first command that
// writes opens it for writing, once, and writes.
TEST_F(CardSessionTest, TheCardIsOpenedForWritingOnlyWhenACommandWrites)
{
    const std::shared_ptr<MemoryDeviceState> card = MakeTaggedCard({400, {{0, 0, 80, 1}}, {{{0}}}});
    ASSERT_NE(nullptr, card);
    CTempDir sys;
    PutCardReaderDisk(sys.Path(), "sdtq", card->bytes.size(), false);
    env.sysRoot = sys.Path();
    env.cardReaders = [&sys] { return CardCandidates(sys.Path()); };
    env.openDevice = OpenerOf(card);

    CCardSession session(env, ui, false);
    ListCards(session, ui, false);
    ASSERT_TRUE(session.CardReady());
    EXPECT_FALSE(session.CardReadOnly());
    std::vector<std::uint8_t> frame(kClusterSize);
    EXPECT_TRUE(session.Disk().ReadClipFirstFrame(0, frame.data()));
    EXPECT_EQ(0, card->writeOpenings) << "discovery and the chosen card only read";
    EXPECT_FALSE(session.Disk().Writable());

    EXPECT_TRUE(RemoveSessionEntry(session, 0, 0).Stored());
    EXPECT_EQ(1, card->writeOpenings);
    EXPECT_TRUE(session.Disk().Playlists()[0].entries.empty());
    ASSERT_TRUE(LoadClip(session, DvFile("clip.dv", 80), ui, host).loaded);
    EXPECT_EQ(kWriteDone, WriteClipFile(session, 1, ui, progress).outcome);
    EXPECT_EQ(1, card->writeOpenings) << "open for writing already";
    EXPECT_EQ(0, ui.Count(kIdsCardChanged));
}

// A card whose lock switch is set is listed, shown and read; every command
// that writes is refused with the read-only message, and nothing reaches
// the card.
TEST_F(CardSessionTest, AWriteProtectedCardIsReadButNeverWritten)
{
    const std::shared_ptr<MemoryDeviceState> card = MakeTaggedCard({400, {{0, 0, 80, 1}}, {{{0}}}});
    ASSERT_NE(nullptr, card);
    const std::vector<std::uint8_t> before = card->bytes;
    CTempDir sys;
    PutCardReaderDisk(sys.Path(), "sdtp", card->bytes.size(), true);
    env.sysRoot = sys.Path();
    env.cardReaders = [&sys] { return CardCandidates(sys.Path()); };
    env.openDevice = OpenerOf(card);

    CCardSession session(env, ui, false);
    ListCards(session, ui, false);
    ASSERT_EQ(1u, session.Cards().Cards().size());
    ASSERT_TRUE(session.CardReady());
    EXPECT_TRUE(session.CardReadOnly());
    std::vector<std::uint8_t> frame(kClusterSize);
    ASSERT_TRUE(session.Disk().ReadClipFirstFrame(0, frame.data()));
    EXPECT_TRUE(IsPatternFrame(frame.data(), 1, 0));
    const std::string out = dir.File("out.dv");
    EXPECT_EQ(kExportDone, ExportClip(session.Disk(), 0, out, progress));
    EXPECT_EQ(80u * kFrameSize, std::filesystem::file_size(out));

    ASSERT_TRUE(LoadClip(session, DvFile("clip.dv", 80), ui, host).loaded);
    const WriteResult write = WriteClipFile(session, 1, ui, progress);
    EXPECT_EQ(kWriteCardReadOnly, write.outcome);
    EXPECT_EQ(kIdsCardReadOnly, write.reason.textId);
    ui.Answer(kIdsAskFormatCard, kIdYes);
    EXPECT_EQ(kFormatFlowNotDone, FormatChosenCard(session, ui));
    EXPECT_FALSE(RemoveSessionEntry(session, 0, 0).Done());
    EXPECT_EQ(3, ui.Count(kIdsCardReadOnly));
    EXPECT_EQ(0, ui.Count(kIdsAskFormatCard)) << "refused before the question";
    EXPECT_EQ(0, card->writeOpenings) << "never asked for writing";
    EXPECT_EQ(0, card->writes);
    EXPECT_EQ(before, card->bytes);
}

TEST_F(CardSessionTest, TheBusyStateNestsAndIsAnnouncedOnceEachWay)
{
    CCardSession session(env, ui, false);
    CBusyLog log;
    session.AddView(&log);
    {
        CBusyGuard outer(session.Busy());
        CSessionProgress inner(progress, session.Busy());
        inner.Begin(10);
        inner.End();
        EXPECT_TRUE(session.IsBusy()) << "the outer operation still runs";
        CSessionProgress unended(progress, session.Busy());
        unended.Begin(5);
    }
    EXPECT_FALSE(session.IsBusy()) << "a progress left without End releases the state";
    EXPECT_EQ((std::vector<bool>{true, false}), log.told);
    session.RemoveView(&log);
}

// The drop's summary says why each file was not written from what the
// flows returned; the refusals are not shown one by one.
TEST_F(CardSessionTest, ADropOfSeveralFilesSumsUpWhyEachWasNotWritten)
{
    Image(1, "a.img", 400, 1);
    CCardSession session(env, ui, HasDirectX8());
    ListCards(session, ui, false);
    ASSERT_TRUE(session.CardReady());
    const std::vector<std::string> files = {DvFile("good.dv", 80), DvFile("short.dv", 10), dir.File("gone.dv"),
                                            DvFile("also.dv", 80)};
    const DropResult result = DropFilesIntoSlots(session, files, 2, ui, progress, host);
    EXPECT_EQ(2, result.written);
    ASSERT_EQ(2u, result.refused.size());
    EXPECT_EQ("short.dv: " + LoadText(kIdsFileTooShort), result.refused[0]);
    EXPECT_EQ(0u, result.refused[1].find("gone.dv: ")) << result.refused[1];
    EXPECT_EQ(std::string::npos, result.refused[1].find(files[2])) << "without the path";
    EXPECT_EQ(std::vector<int>{kIdsDropSummary}, ui.Ids());
    EXPECT_EQ(80, session.Disk().Clips()[2].frames);
    EXPECT_EQ(80, session.Disk().Clips()[3].frames);
}

TEST_F(CardSessionTest, ADropRefusedPastTheRealCapacityNamesItInTheSummary)
{
    Image(1, "fake.img", 400, 1);
    CCardSession session(env, ui, HasDirectX8());
    ListCards(session, ui, false);
    ASSERT_TRUE(session.CardReady());
    // A test found 150 clusters: 70 of them are free, the card says 320.
    session.Disk().SetRealCapacity(ClusterOffset(150));
    const std::vector<std::string> files = {DvFile("big.dv", 100), DvFile("small.dv", 80)};
    const DropResult result = DropFilesIntoSlots(session, files, 1, ui, progress, host);
    EXPECT_EQ(0, result.written);
    ASSERT_EQ(2u, result.refused.size());
    EXPECT_EQ(0u, result.refused[0].find("big.dv: ")) << result.refused[0];
    EXPECT_NE(std::string::npos, result.refused[0].find("(150 clusters)")) << result.refused[0];
    EXPECT_EQ(0, session.Disk().Clips()[1].frames);
}

// The file is not converted when it is opened, only when it is written: one
// question, the frames `convert` makes of it on the card, the DV copy when
// it is asked for; Abort part-way records nothing and keeps no copy.
TEST_F(CardSessionTest, AVideoIsConvertedOnItsWayToTheCardAfterOneQuestion)
{
    const std::string image = Image(1, "a.img", 400, 1);
    const std::string clip = dir.File("phone.mp4");
    convfix::Clip phone;
    phone.seconds = 4;
    phone.creationTime = "2021-05-04T10:20:30Z"; // the same recording time in every conversion
    if (const std::string skip = convfix::MakeClip(clip, phone); !skip.empty())
        GTEST_SKIP() << skip;
    CCardSession session(env, ui, HasDirectX8());
    ListCards(session, ui, false);
    ASSERT_TRUE(session.CardReady());
    CSaveAs saveAs;
    const LoadResult load = LoadClip(session, clip, ui, saveAs);
    EXPECT_TRUE(load.loaded);
    EXPECT_TRUE(load.toConvert);
    EXPECT_TRUE(ui.Shown().empty()) << "nothing asked when it is opened";
    EXPECT_EQ(100, session.ClipFrames());
    EXPECT_EQ(HasDirectX8(), !session.ClipPicture().IsEmpty());

    saveAs.path = dir.File("copy.dv");
    ui.AlwaysAnswer(kIdsAskConvertWhileWriting, kIdYes);
    ui.Tick(kIdsAskConvertWhileWriting, true);
    EXPECT_EQ(kWriteDone, WriteClipFile(session, 1, ui, progress, &saveAs).outcome);
    ASSERT_EQ((std::vector<int>{kIdsAskConvertWhileWriting, kIdsChooseConvertedName, kIdsWriteCompleted}), ui.Ids());
    EXPECT_EQ(LoadText(kIdsKeepDvCopy), ui.Shown()[0].check);
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find("0:00:04.00")) << ui.Shown()[0].text;

    const std::string reference = dir.File("reference.dv");
    CScriptedProgress converting;
    ASSERT_EQ(kMediaDone, ConvertVideoToDv(clip, reference, AspectSetting(), converting));
    const std::vector<std::uint8_t> expected = dvfix::ReadBytes(reference);
    CCardClipSource written(session.Disk(), 1);
    ASSERT_EQ(static_cast<int>(expected.size() / kFrameSize), written.FrameCount());
    std::vector<std::uint8_t> frame(kFrameSize);
    for (int f = 0; f < written.FrameCount(); ++f) {
        ASSERT_NE(0, written.ReadFrame(f, frame.data()));
        ASSERT_EQ(dvfix::Frame(expected, f), frame) << "frame " << f;
    }
    EXPECT_EQ(expected, dvfix::ReadBytes(saveAs.path)) << "the copy holds the same frames";

    ui.Reset();
    ui.Tick(kIdsAskConvertWhileWriting, false);
    progress.abortAt = 30;
    const WriteResult aborted = WriteClipFile(session, 2, ui, progress, &saveAs);
    EXPECT_EQ(kWriteAborted, aborted.outcome);
    EXPECT_EQ(kIdsOperationAborted, aborted.reason.textId);
    EXPECT_EQ(1, saveAs.asked) << "no copy asked for";
    CDisk reread;
    ASSERT_EQ(kOpenOk, reread.OpenPath(image));
    ASSERT_TRUE(reread.ReadFAT());
    EXPECT_EQ(100, reread.Clips()[1].frames);
    EXPECT_EQ(0, reread.Clips()[2].frames);
}
