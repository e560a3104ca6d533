// tessaro-card end to end on card images in a temporary folder: every
// command, its exit status and what reached the image, including bad input.
#include "CDisk.h"
#include "CardCli.h"
#include "Device.h"
#include "CardTexts.h"
#include "ConvertFixtures.h"
#include "DvFixtures.h"
#include "DvFrame.h"
#include "MemoryDevice.h"
#include "MoveIntent.h"
#include "Settings.h"
#include "TaggedCard.h"
#include "TempDir.h"
#include "TestEnvironment.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// An environment variable set for the life of the object, then restored.
class CEnvFor {
public:
    CEnvFor(const char* name, const std::string& value) : name_(name), had_(std::getenv(name) != nullptr)
    {
        if (had_)
            old_ = std::getenv(name);
        setenv(name, value.c_str(), 1);
    }
    ~CEnvFor() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }
    CEnvFor(const CEnvFor&) = delete;
    CEnvFor& operator=(const CEnvFor&) = delete;

private:
    const char* name_;
    bool had_;
    std::string old_;
};

// Watches a card image or device node for closed descriptors: those that
// could write (IN_CLOSE_WRITE, after which udev reads a disk's partitions
// again) and those that could only read.
class CCloseWatch {
public:
    explicit CCloseWatch(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (fd_ >= 0)
            watching_ = inotify_add_watch(fd_, path.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) >= 0;
    }
    ~CCloseWatch()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    CCloseWatch(const CCloseWatch&) = delete;
    CCloseWatch& operator=(const CCloseWatch&) = delete;
    bool Watching() const { return watching_; }
    // Counts the events that came since the last call.
    void Collect()
    {
        alignas(inotify_event) char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                closedWriting += (e->mask & IN_CLOSE_WRITE) != 0 ? 1 : 0;
                closedReading += (e->mask & IN_CLOSE_NOWRITE) != 0 ? 1 : 0;
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
    }
    int closedWriting = 0;
    int closedReading = 0;

private:
    int fd_;
    bool watching_ = false;
};

// 80 frames with 48 kHz audio, made once for the whole suite.
const std::vector<std::uint8_t>& Frames()
{
    static const std::vector<std::uint8_t> frames = dvfix::MakeDvFrames(80);
    return frames;
}

class CardCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.cardReaders = NoCardReaders;
        SetSettingsPath(dir.File("tessaro.ini"));
        SetLanguage(0);
        image = dir.File("card.img");
        ASSERT_FALSE(Frames().empty());
    }
    void TearDown() override
    {
        SetSettingsPath("");
    }

    CliRun Run(std::vector<std::string> args)
    {
        std::vector<std::string> all = {"tessaro-card", "--lang", "en"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        CliRun run;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        run.status = RunCardCli(static_cast<int>(all.size()), argv.data(), env);
        run.out = testing::internal::GetCapturedStdout();
        run.err = testing::internal::GetCapturedStderr();
        return run;
    }

    // A formatted image of `clusters` clusters.
    void MakeCard(int clusters)
    {
        const long long bytes = static_cast<long long>(ClusterOffset(static_cast<std::uint64_t>(clusters))) + kSectorSize;
        ASSERT_EQ(0, Run({"mkimage", image, std::to_string(bytes)}).status);
        ASSERT_EQ(0, Run({"--yes", "format", image}).status);
    }

    std::string DvFile(const std::string& name, int frames)
    {
        const std::string path = dir.File(name);
        std::vector<std::uint8_t> bytes(Frames().begin(), Frames().begin() + 144000ll * frames);
        EXPECT_TRUE(dvfix::WriteBytes(path, bytes));
        return path;
    }

    CDisk& Reload()
    {
        disk.Close();
        EXPECT_EQ(0, disk.OpenPath(image));
        EXPECT_TRUE(disk.ReadFAT());
        return disk;
    }

    std::vector<std::uint8_t> Fat() const
    {
        std::vector<std::uint8_t> b = dvfix::ReadBytes(image);
        b.resize(5120);
        return b;
    }

    CEnvironment env;
    CTempDir dir;
    std::string image;
    CDisk disk;
};

TEST_F(CardCliTest, ImageFormatAndInfo)
{
    EXPECT_EQ(2, Run({"mkimage", image, "1000"}).status) << "smaller than one cluster";
    EXPECT_EQ(2, Run({"mkimage", image, "12x"}).status);
    ASSERT_EQ(0, Run({"mkimage", image, "64M"}).status);
    EXPECT_EQ(64ll << 20, static_cast<long long>(dvfix::ReadBytes(image).size()));
    const CliRun again = Run({"mkimage", image, "64M"});
    EXPECT_EQ(1, again.status) << "an existing file is never overwritten";
    EXPECT_NE(std::string::npos, again.err.find("already exists"));

    CliRun info = Run({"info", image, "--json"});
    EXPECT_EQ(0, info.status);
    EXPECT_NE(std::string::npos, info.out.find("\"loaded\": false, \"free_clusters\": null, \"clips\": [], \"playlists\": []"));
    EXPECT_NE(std::string::npos, Run({"info", image}).out.find("Not formatted"));

    const CliRun declined = Run({"format", image});
    EXPECT_EQ(1, declined.status) << "no terminal and no --yes: the answer is No";
    EXPECT_NE(std::string::npos, declined.err.find("[y/N] n"));
    EXPECT_EQ(std::vector<std::uint8_t>(5120, 0), Fat());

    ASSERT_EQ(0, Run({"--yes", "format", image}).status);
    info = Run({"info", image, "--json"});
    const int clusters = (64 * 2048 - 11) / 282;
    EXPECT_NE(std::string::npos, info.out.find("\"total_clusters\": " + std::to_string(clusters) + ", \"size_mb\": 64, \"loaded\": true, \"free_clusters\": " + std::to_string(clusters)));
    EXPECT_NE(std::string::npos, info.out.find("{\"number\": 12, \"loop\": false, \"logo_mode\": 0, \"frames\": 0, \"entries\": []}"));
}

TEST_F(CardCliTest, WriteReadBackAndDelete)
{
    MakeCard(300);
    const std::string source = DvFile("holiday_video.dv", 80);
    const CliRun write = Run({"write", image, source});
    ASSERT_EQ(0, write.status) << write.err;
    EXPECT_NE(std::string::npos, write.out.find("Write completed."));

    const std::string info = Run({"info", image, "--json"}).out;
    EXPECT_NE(std::string::npos, info.find("{\"slot\": 1, \"name\": \"holiday_\", \"frames\": 80, \"first_sector\": 10, \"first_cluster\": 0, \"attribute\": 0}"));

    const std::string back = dir.File("back.dv");
    ASSERT_EQ(0, Run({"read", image, "1", back}).status);
    EXPECT_EQ(dvfix::ReadBytes(source), dvfix::ReadBytes(back)) << "byte-identical round trip";

    // Reading without an output name uses the clip's name in the current
    // folder; an existing file is only replaced after a Yes.
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    ASSERT_EQ(0, chdir(dir.Path().c_str()));
    EXPECT_EQ(0, Run({"read", image, "1"}).status);
    EXPECT_EQ(80u * 144000u, dvfix::ReadBytes(dir.File("holiday_.dv")).size());
    EXPECT_EQ(1, Run({"read", image, "1"}).status);
    EXPECT_EQ(0, Run({"--yes", "read", image, "1"}).status);
    ASSERT_EQ(0, chdir(cwd));

    // A second write into the occupied slot asks first.
    const std::string other = DvFile("other.dv", 75);
    EXPECT_EQ(1, Run({"write", image, other, "--slot", "1"}).status);
    EXPECT_EQ(80, Reload().Clips()[0].frames);
    EXPECT_EQ(0, Run({"--yes", "write", image, other, "--slot", "1"}).status);
    EXPECT_EQ(75, Reload().Clips()[0].frames);

    EXPECT_EQ(1, Run({"delete", image, "1"}).status);
    EXPECT_EQ(0, Run({"--yes", "delete", image, "1"}).status);
    EXPECT_EQ(0, Reload().Clips()[0].frames);
    EXPECT_NE(std::string::npos, Run({"delete", image, "1"}).err.find("Slot 01 is empty."));
}

// A card left by a power cut in the middle of a move over a clip's own old
// run (8 of its 12 frames at the new place): the command's opening
// finishes the move and says so on stderr, clear of the JSON on stdout.
TEST_F(CardCliTest, AnInterruptedMoveWaitsForAWritingOpeningAndIsSaidSoOnStderr)
{
    ASSERT_TRUE(WriteTaggedImage(image, TaggedCardLayout{60, {{0, 14, 12, 2}}, {}}));
    std::vector<std::uint8_t> bytes = dvfix::ReadBytes(image);
    ASSERT_EQ(CardBytes(60), bytes.size());
    for (int h = 0; h < 8; ++h)
        std::memcpy(bytes.data() + ClusterOffset(10 + h), PatternFrame(2, h), kFrameSize);
    MoveIntent{0, 14, 10, 12, 8}.EncodeTo(bytes.data() + ClusterOffset(60));
    ASSERT_TRUE(dvfix::WriteBytes(image, bytes));

    // Reading commands leave the card as it is, and read the clip from
    // where its frames lie now.
    const CliRun info = Run({"info", image, "--json"});
    EXPECT_EQ(0, info.status);
    EXPECT_EQ('{', info.out.empty() ? 0 : info.out[0]) << info.out;
    EXPECT_NE(std::string::npos, info.err.find("Clip 01 was being moved")) << info.err;
    const std::string back = dir.File("back.dv");
    ASSERT_EQ(0, Run({"read", image, "1", back}).status);
    EXPECT_EQ(bytes, dvfix::ReadBytes(image)) << "nothing written";
    const std::vector<std::uint8_t> read = dvfix::ReadBytes(back);
    ASSERT_EQ(12u * kFrameSize, read.size());
    for (int h = 0; h < 12; ++h)
        EXPECT_TRUE(IsPatternFrame(read.data() + static_cast<std::size_t>(h) * kFrameSize, 2, h)) << "frame " << h;

    // An opening for writing finishes it.
    EXPECT_EQ(CDisk::SectorOfCluster(10), Reload().Clips()[0].firstSector);
    EXPECT_TRUE(Run({"info", image}).err.empty()) << "finished once";
}

// `info` and `read` open the image for reading alone: no descriptor that
// could write is ever closed on it (on a block device that would make the
// system read its partitions again). A write does open it so.
TEST_F(CardCliTest, ReadingCommandsNeverOpenTheCardForWriting)
{
    MakeCard(300);
    ASSERT_EQ(0, Run({"write", image, DvFile("clip.dv", 80)}).status);
    CCloseWatch watch(image);
    ASSERT_TRUE(watch.Watching());
    ASSERT_EQ(0, Run({"info", image}).status);
    watch.Collect();
    EXPECT_EQ(0, watch.closedWriting);
    EXPECT_GE(watch.closedReading, 1);
    ASSERT_EQ(0, Run({"read", image, "1", dir.File("back.dv")}).status);
    watch.Collect();
    EXPECT_EQ(0, watch.closedWriting);
    EXPECT_GE(watch.closedReading, 2);
    ASSERT_EQ(0, Run({"--yes", "delete", image, "1"}).status);
    watch.Collect();
    EXPECT_GE(watch.closedWriting, 1);
}

// A card whose lock switch is set (sysfs shows it read-only): read as
// usual, every writing command refused with the read-only message, and the
// card never opened for writing.
TEST_F(CardCliTest, AWriteProtectedCardIsReadAndItsWritingCommandsRefused)
{
    MakeCard(300);
    ASSERT_EQ(0, Run({"write", image, DvFile("clip.dv", 80)}).status);
    const std::shared_ptr<MemoryDeviceState> card = MakeDeviceState(0);
    card->bytes = dvfix::ReadBytes(image);
    const std::vector<std::uint8_t> before = card->bytes;
    CTempDir sys;
    PutCardReaderDisk(sys.Path(), "sdtp", card->bytes.size(), true);
    env.sysRoot = sys.Path();
    env.openDevice = OpenerOf(card);
    const std::string node = "/dev/sdtp";

    EXPECT_EQ(0, Run({"info", node}).status);
    const std::string back = dir.File("back.dv");
    ASSERT_EQ(0, Run({"read", node, "1", back}).status);
    EXPECT_EQ(80u * kFrameSize, dvfix::ReadBytes(back).size());
    const std::string refusal = LoadText(kIdsCardReadOnly);
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"write", node, DvFile("more.dv", 80)}, {"--yes", "format", node},
          {"--yes", "delete", node, "1"}, {"scan", node}}) {
        const CliRun run = Run(command);
        EXPECT_EQ(1, run.status) << command[0];
        EXPECT_NE(std::string::npos, run.err.find(refusal)) << command[0] << ": " << run.err;
    }
    EXPECT_EQ(0, card->writeOpenings);
    EXPECT_EQ(0, card->writes);
    EXPECT_EQ(before, card->bytes);
}

TEST_F(CardCliTest, WrittenClipsAreReadBackUnlessTurnedOffAndClipsAreSavedIntoFilesOnly)
{
    // Without a table history, which reads the first and last frame of the
    // clips on the card: only the read-back reads clusters here.
    const CScopedEnv noHistory("XDG_STATE_HOME", "/dev/null/state");
    MakeCard(300);
    const std::shared_ptr<MemoryDeviceState> card = MakeDeviceState(0);
    card->bytes = dvfix::ReadBytes(image);
    env.openDevice = OpenerOf(card);
    const std::string source = DvFile("clip.dv", 80);
    // Reads of clusters: neither the table nor the spare sector after the
    // last cluster, which every opening reads.
    const auto clusterReads = [&card] {
        return std::count_if(card->readOffsets.begin(), card->readOffsets.end(), [](std::uint64_t offset) {
            return offset >= ClusterOffset(0) && offset < ClusterOffset(300);
        });
    };
    ASSERT_EQ(0, Run({"write", image, source}).status);
    EXPECT_EQ(3, clusterReads()) << "every frame read back, 32 clusters a request";
    card->readOffsets.clear();
    ASSERT_EQ(0, Run({"write", image, source, "--no-verify"}).status);
    EXPECT_EQ(0, clusterReads());
    EXPECT_EQ(2, Run({"info", image, "--no-verify"}).status) << "an option of write only";
    ASSERT_TRUE(WriteProfileInt("Options", "Verify", 0));
    ASSERT_EQ(0, Run({"write", image, source}).status);
    EXPECT_EQ(0, clusterReads()) << "turned off in the settings";
    env.openDevice = OpenDevicePath;

    // A device as the output of read: refused, without asking to
    // overwrite it.
    ASSERT_EQ(0, Run({"write", image, source}).status);
    const CliRun read = Run({"read", image, "1", "/dev/null"});
    EXPECT_EQ(1, read.status);
    EXPECT_NE(std::string::npos, read.err.find("Can't save the clip into:\n\n/dev/null")) << read.err;
    EXPECT_EQ(std::string::npos, (read.out + read.err).find("Overwrite"));
}

TEST_F(CardCliTest, AProbedFakeCardKeepsItsRealCapacityForTheWriterAndInfo)
{
    const std::string state = dir.File("state");
    ASSERT_EQ(0, setenv("XDG_STATE_HOME", state.c_str(), 1));
    MakeCard(300);
    const std::shared_ptr<MemoryDeviceState> card = MakeDeviceState(0);
    card->bytes = dvfix::ReadBytes(image);
    // Keeps 100 clusters: room for 220 frames reported, 100 real.
    const std::uint64_t real = ClusterOffset(100);
    card->keepOnly = real;
    env.openDevice = OpenerOf(card);
    const std::string source = DvFile("clip.dv", 80);
    ASSERT_EQ(0, Run({"write", image, source}).status);

    const CliRun probe = Run({"probe", image});
    EXPECT_EQ(1, probe.status);
    EXPECT_NE(std::string::npos, (probe.out + probe.err).find("keeps data only in its first 13 MB (100 clusters, " +
                                                              std::to_string(real) + " bytes)"))
        << probe.out << probe.err;
    // Kept with the card: a new opening honours it.
    const CliRun info = Run({"info", image, "--json"});
    EXPECT_NE(std::string::npos, info.out.find("\"real_capacity_bytes\": " + std::to_string(real))) << info.out;
    EXPECT_NE(std::string::npos, info.out.find("\"usable_clusters\": 100")) << info.out;
    const std::vector<std::uint8_t> before = card->bytes;
    const CliRun write = Run({"write", image, source});
    EXPECT_EQ(1, write.status);
    EXPECT_NE(std::string::npos, write.err.find("keeps data only in its first 13 MB (100 clusters)")) << write.err;
    EXPECT_TRUE(before == card->bytes);

    // The card found whole by a later probe: the capacity is forgotten.
    card->keepOnly = 0;
    EXPECT_EQ(0, Run({"probe", image}).status);
    EXPECT_NE(std::string::npos, Run({"info", image, "--json"}).out.find("\"real_capacity_bytes\": null"));
    unsetenv("XDG_STATE_HOME");
}

TEST_F(CardCliTest, ScanReportsInJsonAloneAndAllFormatsOnlyAfterTheQuestion)
{
    MakeCard(300);
    ASSERT_EQ(0, Run({"write", image, DvFile("clip.dv", 80)}).status);
    const std::vector<std::uint8_t> clip = dvfix::ReadBytes(image);

    const CliRun scan = Run({"--yes", "scan", image, "--json"});
    ASSERT_FALSE(scan.out.empty());
    EXPECT_EQ('{', scan.out[0]) << "only the report on standard output";
    EXPECT_NE(std::string::npos, scan.out.find("\"clip_clusters\": 80")) << scan.out;
    EXPECT_NE(std::string::npos, scan.out.find("\"not_frames\": []")) << "the clip's frames are DV";
    EXPECT_NE(std::string::npos, scan.out.find("\"read\": {\"min_mbps\": "));
    EXPECT_NE(std::string::npos, scan.err.find("Test the memory card?"));
    const std::vector<std::uint8_t> after = dvfix::ReadBytes(image);
    EXPECT_TRUE(std::equal(clip.begin(), clip.begin() + static_cast<long>(ClusterOffset(80)), after.begin()))
        << "the table and the clip stay as they were";

    // No terminal answers No: neither the scan nor the format runs.
    EXPECT_EQ(1, Run({"scan", image, "--all"}).status);
    EXPECT_TRUE(after == dvfix::ReadBytes(image));
    EXPECT_EQ(80, Reload().Clips()[0].frames);
    const CliRun all = Run({"--yes", "scan", image, "--all"});
    EXPECT_NE(std::string::npos, (all.out + all.err).find("Format card.img?\n\nClips on it: 1.")) << all.out;
    EXPECT_EQ(0, Reload().Clips()[0].frames) << "formatted, then tested whole";
}

TEST_F(CardCliTest, PlaylistEditsReachTheCard)
{
    MakeCard(400);
    const std::string a = DvFile("a.dv", 75), b = DvFile("b.dv", 80);
    ASSERT_EQ(0, Run({"write", image, a}).status);
    ASSERT_EQ(0, Run({"write", image, b}).status);

    EXPECT_EQ(0, Run({"playlist", image, "add", "3", "1"}).status);
    EXPECT_EQ(0, Run({"playlist", image, "add", "3", "2"}).status);
    const CliRun inserted = Run({"playlist", image, "add", "3", "2", "--at", "1"});
    EXPECT_EQ(0, inserted.status);
    EXPECT_NE(std::string::npos, inserted.out.find("#03, clips: 3, time: 0:00:09.10"));
    std::vector<int> slots;
    for (const PlaylistEntry& e : Reload().Playlists()[2].entries)
        slots.push_back(e.slot);
    EXPECT_EQ((std::vector<int>{1, 0, 1}), slots);

    EXPECT_EQ(0, Run({"playlist", image, "exchange", "3", "1", "2"}).status);
    EXPECT_EQ(0, Reload().Playlists()[2].entries[0].slot);
    EXPECT_EQ(0, Run({"playlist", image, "transition", "3", "1"}).status);
    EXPECT_EQ(0xA2000000u, Reload().Playlists()[2].entries[0].transition);
    EXPECT_EQ(1, Run({"playlist", image, "transition", "3", "3"}).status) << "the last entry has no successor";
    EXPECT_EQ(0, Run({"playlist", image, "loop", "3", "on"}).status);
    EXPECT_EQ(1, Reload().Playlists()[2].loop);
    EXPECT_EQ(0, Run({"playlist", image, "swap", "3", "9"}).status);
    EXPECT_TRUE(Reload().Playlists()[2].entries.empty());
    EXPECT_EQ(1, disk.Playlists()[8].loop);
    EXPECT_EQ(0, Run({"playlist", image, "remove", "9", "2"}).status);
    EXPECT_EQ(2u, Reload().Playlists()[8].entries.size());

    const auto before = Fat();
    EXPECT_EQ(1, Run({"playlist", image, "add", "9", "5"}).status) << "slot 5 is empty";
    EXPECT_EQ(1, Run({"playlist", image, "delete", "9"}).status) << "declined";
    EXPECT_EQ(2, Run({"playlist", image, "add", "13", "1"}).status);
    EXPECT_EQ(2, Run({"playlist", image, "loop", "9", "maybe"}).status);
    EXPECT_EQ(before, Fat());
    EXPECT_EQ(0, Run({"--yes", "playlist", image, "delete", "9"}).status);
    EXPECT_TRUE(Reload().Playlists()[8].entries.empty());
}

TEST_F(CardCliTest, ClipsAreNamedByTheirNamesButNotByANameTwoShare)
{
    MakeCard(400);
    const std::string beach = DvFile("beach.dv", 80), sea = DvFile("sea.dv", 75);
    ASSERT_EQ(0, Run({"write", image, beach}).status);
    const CliRun tenth = Run({"write", image, sea, "--slot", "10"});
    ASSERT_EQ(0, tenth.status);
    EXPECT_NE(std::string::npos, tenth.out.find("The clip will be slot 02 on the card, not 10")) << tenth.out;
    ASSERT_EQ(0, Run({"write", image, sea}).status);
    ASSERT_EQ(75, Reload().Clips()[2].frames);

    const std::string back = dir.File("back.dv");
    ASSERT_EQ(0, Run({"read", image, "@beach", back}).status);
    EXPECT_EQ(dvfix::ReadBytes(beach), dvfix::ReadBytes(back));
    EXPECT_EQ(0, Run({"playlist", image, "add", "1", "@beach"}).status);
    EXPECT_EQ(0, Reload().Playlists()[0].entries.at(0).slot);

    const auto before = Fat();
    const CliRun shared = Run({"--yes", "delete", image, "@sea"});
    EXPECT_EQ(1, shared.status);
    EXPECT_NE(std::string::npos, shared.err.find("More than one clip is named sea (slots 02, 03)")) << shared.err;
    EXPECT_EQ(1, Run({"playlist", image, "add", "1", "@sea"}).status);
    EXPECT_EQ(1, Run({"frame", image + ":@sea", "0", dir.File("f.png")}).status);
    EXPECT_NE(std::string::npos, Run({"--yes", "delete", image, "@waves"}).err.find("No clip on the card is named waves."));
    EXPECT_EQ(before, Fat());
}

TEST_F(CardCliTest, RecoverListsAndBringsBackWhatAFormatLost)
{
    const CScopedEnv stateHome("XDG_STATE_HOME", dir.File("state"));
    MakeCard(400);
    ASSERT_EQ(0, Run({"write", image, DvFile("a.dv", 80)}).status);
    ASSERT_EQ(0, Run({"write", image, DvFile("b.dv", 75)}).status);
    ASSERT_EQ(0, Run({"playlist", image, "add", "1", "2"}).status);
    const auto table = Fat();
    ASSERT_EQ(0, Run({"--yes", "format", image}).status);
    const auto formatted = Fat();

    const CliRun listed = Run({"recover", image});
    EXPECT_EQ(0, listed.status);
    EXPECT_NE(std::string::npos, listed.out.find("  1  before Format, 20")) << listed.out;
    EXPECT_NE(std::string::npos, listed.out.find(": 2 clips, 1 playlists")) << listed.out;
    EXPECT_NE(std::string::npos, listed.out.find("  1  cluster 0, 80 frames (0:00:03.05)")) << listed.out;
    EXPECT_NE(std::string::npos, listed.out.find("  2  cluster 80, 75 frames (0:00:03.00)")) << listed.out;
    const CliRun json = Run({"recover", image, "--json"});
    EXPECT_NE(std::string::npos, json.out.find("\"first_cluster\": 80, \"frames\": 75")) << json.out;

    EXPECT_EQ(2, Run({"recover", image, "--partial"}).status) << "--partial goes with --table";
    EXPECT_EQ(2, Run({"recover", image, "--table", "1", "--runs"}).status);
    EXPECT_EQ(1, Run({"recover", image, "--table", "1"}).status) << "declined without --yes";
    EXPECT_EQ(1, Run({"--yes", "recover", image, "--table", "7"}).status);
    EXPECT_EQ(1, Run({"--yes", "recover", image, "--runs", "3"}).status) << "there is no run 3";
    EXPECT_EQ(formatted, Fat()) << "nothing written before a Yes";

    ASSERT_EQ(0, Run({"--yes", "recover", image, "--table", "1"}).status);
    EXPECT_EQ(table, Fat());

    ASSERT_EQ(0, Run({"--yes", "format", image}).status);
    ASSERT_EQ(0, Run({"--yes", "recover", image, "--runs", "2"}).status);
    const CDisk& back = Reload();
    EXPECT_EQ(std::string("REC01"), std::string(back.Clips()[0].name, 5));
    EXPECT_EQ(75, back.Clips()[0].frames);
    EXPECT_EQ(CDisk::SectorOfCluster(80), back.Clips()[0].firstSector);
    EXPECT_EQ(0, back.Clips()[1].frames);
}

TEST_F(CardCliTest, BadInputIsRefusedWithAMessageAndChangesNothing)
{
    MakeCard(100);
    const auto formatted = Fat();

    // A foreign file under a DV name, and one under an AVI name.
    const std::string text = dir.File("notes.dv");
    std::ofstream(text) << "not a video";
    CliRun run = Run({"write", image, text});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("File doesn't contain 720x576 DV video stream."));
    const std::string avi = dir.File("notes.avi");
    std::ofstream(avi) << "RIFF garbage";
    run = Run({"write", image, avi});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("Can't open file:"));

    // Too short, and a full card.
    EXPECT_NE(std::string::npos, Run({"write", image, DvFile("short.dv", 74)}).err.find("File is too short!"));
    EXPECT_EQ(0, Run({"write", image, DvFile("first.dv", 80)}).status);
    run = Run({"write", image, DvFile("second.dv", 75)});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("Not enough room for copy!"));

    // Out of range, missing card, wrong usage.
    EXPECT_EQ(2, Run({"read", image, "145"}).status);
    EXPECT_EQ(2, Run({"delete", image, "0"}).status);
    EXPECT_EQ(2, Run({"info"}).status);
    EXPECT_EQ(2, Run({"frobnicate"}).status);
    EXPECT_EQ(2, Run({"info", image, "--slot", "3"}).status);
    run = Run({"info", dir.File("missing.img")});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("not a memory card"));
    EXPECT_EQ(1, Run({"info", "CARD3"}).status);

    // A damaged table: the card reads as not formatted; nothing is written.
    std::vector<std::uint8_t> bytes = dvfix::ReadBytes(image);
    bytes[0] = 200;
    ASSERT_TRUE(dvfix::WriteBytes(image, bytes));
    run = Run({"write", image, DvFile("third.dv", 75)});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("not formatted"));
    EXPECT_EQ(bytes, dvfix::ReadBytes(image));
    (void)formatted;
}

TEST_F(CardCliTest, DevicesListsConfiguredImagesAsCards)
{
    EXPECT_EQ("Empty\n", Run({"devices"}).out);
    MakeCard(100);
    ASSERT_TRUE(WriteProfileString("Cards", "Image1", image));
    const CliRun run = Run({"devices"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("CARD1 - card.img, 13 MB\t" + image + "\n", run.out);
    EXPECT_EQ(0, Run({"info", "CARD1"}).status);
    EXPECT_EQ(1, Run({"info", "CARD2"}).status);

    // The format question names the card as the list does, however it was
    // given, and says what it holds.
    ASSERT_EQ(0, Run({"write", "CARD1", DvFile("one.dv", 75)}).status);
    for (const std::string& card : {std::string("CARD1"), image}) {
        const CliRun declined = Run({"format", card});
        EXPECT_EQ(1, declined.status);
        EXPECT_NE(std::string::npos, declined.err.find("Format CARD1 - card.img?\n\nClips on it: 1. Playlists: 0."))
            << card << ": " << declined.err;
    }
    EXPECT_EQ(75, Reload().Clips()[0].frames) << "declined: nothing erased";
}

namespace {

// A loop device over an image file, detached when the object goes, on
// every path (a failed assertion included).
class CLoopDevice {
public:
    explicit CLoopDevice(const std::string& image)
    {
        FILE* out = popen(("losetup -f --show '" + image + "' 2>&1").c_str(), "r");
        if (out == nullptr) {
            why_ = "losetup cannot be run";
            return;
        }
        char line[256] = {};
        const bool read = std::fgets(line, sizeof line, out) != nullptr;
        const int status = pclose(out);
        std::string text = read ? line : "";
        text = text.substr(0, text.find('\n'));
        if (status == 0 && text.rfind("/dev/loop", 0) == 0)
            path_ = text;
        else
            why_ = text.empty() ? "losetup failed" : text;
    }
    ~CLoopDevice()
    {
        if (!path_.empty())
            std::system(("losetup -d " + path_).c_str());
    }
    CLoopDevice(const CLoopDevice&) = delete;
    CLoopDevice& operator=(const CLoopDevice&) = delete;
    const std::string& Path() const { return path_; }
    const std::string& Why() const { return why_; }

private:
    std::string path_;
    std::string why_;
};

// Lets a loop device be opened as a card (it is no card reader's disk);
// everything else is the real opening of a block device.
int OpenAnyBlockDevice(const std::string& path, bool, bool write, std::unique_ptr<IDevice>& device)
{
    return OpenDevicePath(path, false, write, device);
}

} // namespace

TEST_F(CardCliTest, ARealBlockDeviceThroughTheKernel)
{
    const long long bytes = static_cast<long long>(ClusterOffset(100)) + kSectorSize;
    ASSERT_EQ(0, Run({"mkimage", image, std::to_string(bytes)}).status);
    const CLoopDevice loop(image);
    if (loop.Path().empty()) {
        const std::string why = geteuid() != 0 ? "attaching a loop device needs root" : loop.Why();
        std::printf("reliability: real block device: not exercised (%s)\n", why.c_str());
        GTEST_SKIP() << "no loop device: " << why;
    }
    const std::string& device = loop.Path();
    env.openDevice = OpenAnyBlockDevice;

    // `info` only reads: the node sees no descriptor closed that could
    // write (udev would read the disk's partitions again).
    CCloseWatch watch(device);
    CliRun run = Run({"info", device, "--json"});
    EXPECT_EQ(0, run.status) << run.err;
    watch.Collect();
    EXPECT_TRUE(watch.Watching());
    EXPECT_EQ(0, watch.closedWriting);
    EXPECT_GE(watch.closedReading, 1);
    EXPECT_NE(std::string::npos, run.out.find("\"total_clusters\": 100, \"size_mb\": 13")) << run.out;

    // Held exclusively by another descriptor, as by a mounted partition:
    // refused with the in-use message, and nothing is written.
    const int holder = ::open(device.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
    ASSERT_GE(holder, 0) << std::strerror(errno);
    run = Run({"--yes", "format", device});
    ::close(holder);
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find(LoadText(kIdsCardInUse))) << run.err;
    EXPECT_EQ(std::vector<std::uint8_t>(static_cast<std::size_t>(bytes), 0), dvfix::ReadBytes(image));

    // A table and a clip written through the kernel's block device, flushed
    // and read back; the image behind it holds them.
    ASSERT_EQ(0, Run({"--yes", "format", device}).status);
    const std::string clip = DvFile("clip.dv", 80);
    ASSERT_EQ(0, Run({"write", device, clip}).status);
    const std::string back = dir.File("back.dv");
    ASSERT_EQ(0, Run({"read", device, "1", back}).status);
    EXPECT_EQ(dvfix::ReadBytes(clip), dvfix::ReadBytes(back));
    EXPECT_EQ(80u, Reload().Clips()[0].frames);
    std::printf("reliability: real block device %s (%lld bytes): size by ioctl, exclusive opening refused "
                "while another descriptor held it (in-use message, nothing written), a table and an 80-frame "
                "clip written, flushed and read back\n", device.c_str(), bytes);
}

TEST_F(CardCliTest, CheckReportsEachVerdict)
{
    const std::string ok = DvFile("ok.dv", 3);
    CliRun run = Run({"check", ok, "--json"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("{\"path\": \"" + ok + "\", \"kind\": \"raw\", \"open_result\": 0, \"frames\": 3, \"dv\": true, \"audio_class\": 2, \"verdict\": \"ok\", \"convertible\": false}\n", run.out);

    const std::string odd = dir.File("odd.dv");
    std::ofstream(odd) << "x";
    run = Run({"check", odd, "--json"});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.out.find("\"open_result\": 2, \"frames\": null, \"dv\": null, \"audio_class\": null, \"verdict\": \"not-dv\""));

    const std::vector<std::uint8_t> slow = dvfix::MakeDvFrames(1, 32000);
    ASSERT_FALSE(slow.empty());
    ASSERT_TRUE(dvfix::WriteBytes(dir.File("k32.dv"), slow));
    run = Run({"check", dir.File("k32.dv"), "--json"});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.out.find("\"audio_class\": 1, \"verdict\": \"incompatible-audio\""));
    EXPECT_NE(std::string::npos, run.err.find("Incompatible AUDIO stream!"));

    const std::string empty = dir.File("empty.dv");
    std::ofstream(empty).flush();
    run = Run({"check", empty, "--json"});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.out.find("\"frames\": 0, \"dv\": null, \"audio_class\": null, \"verdict\": \"unreadable-frame\""));
}

} // namespace

namespace {

// Width and height from a PNG file's header chunk.
std::pair<int, int> PngSize(const std::vector<std::uint8_t>& png)
{
    if (png.size() < 24 || png[1] != 'P' || png[2] != 'N' || png[3] != 'G')
        return {-1, -1};
    auto be32 = [&](std::size_t at) {
        return static_cast<int>((png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3]);
    };
    return {be32(16), be32(20)};
}

TEST_F(CardCliTest, ConvertAndFramePictures)
{
    // A type-2 AVI becomes raw DV that passes the loading checks.
    const std::vector<std::uint8_t> ten(Frames().begin(), Frames().begin() + 144000 * 10);
    const std::string avi = dir.File("separate.avi");
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(avi, ten));
    const std::string dv = dir.File("converted.dv");
    CliRun run = Run({"convert", avi, dv});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("Conversion complete!"));
    run = Run({"check", dv, "--json"});
    EXPECT_EQ(0, run.status);
    EXPECT_NE(std::string::npos, run.out.find("\"frames\": 10, \"dv\": true, \"audio_class\": 2, \"verdict\": \"ok\""));
    run = Run({"convert", avi, dir.File("missing/out.dv")});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("Can't open file:"));

    // Frame pictures of a file and of a clip on the card, at two sizes.
    EXPECT_EQ(0, Run({"frame", dv, "3", dir.File("f.png")}).status);
    EXPECT_EQ(std::make_pair(720, 576), PngSize(dvfix::ReadBytes(dir.File("f.png"))));
    MakeCard(100);
    ASSERT_EQ(0, Run({"write", image, DvFile("clip.dv", 75)}).status);
    EXPECT_EQ(0, Run({"frame", image + ":1", "74", dir.File("c.png"), "--size", "90"}).status);
    EXPECT_EQ(std::make_pair(90, 72), PngSize(dvfix::ReadBytes(dir.File("c.png"))));
    EXPECT_EQ(1, Run({"frame", image + ":1", "75", dir.File("x.png")}).status) << "past the clip's end";
    EXPECT_EQ(1, Run({"frame", image + ":2", "0", dir.File("x.png")}).status) << "empty slot";
    EXPECT_EQ(2, Run({"frame", dv, "0", dir.File("x.png"), "--size", "100"}).status);
}

TEST_F(CardCliTest, WriteConvertPutsAPhoneClipOnTheCardAsConvertMakesItWithoutATemporaryFile)
{
    // Three seconds at 30 frames a second: 75 DV frames, just long enough.
    const std::string clip = dir.File("holiday.mp4");
    convfix::Clip clipShape;
    clipShape.seconds = 3;
    clipShape.creationTime = "2024-05-17T10:20:30.000000Z";
    if (const std::string skip = convfix::MakeClip(clip, clipShape); !skip.empty())
        GTEST_SKIP() << skip;
    MakeCard(100);
    // Temporary files would go to a read-only folder of the test's own
    // (which root could still write: it must stay empty).
    const std::string tmp = dir.File("tmp");
    std::filesystem::create_directory(tmp);
    std::filesystem::permissions(tmp, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const CEnvFor tmpFor("TMPDIR", tmp);
    const CEnvFor cacheFor("XDG_CACHE_HOME", tmp);

    // Without --convert the file is refused as before, with a hint.
    CliRun run = Run({"write", image, clip});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("File doesn't contain 720x576 DV video stream."));
    EXPECT_NE(std::string::npos, run.err.find("--convert"));
    EXPECT_NE(std::string::npos, Run({"check", clip, "--json"}).out.find("\"verdict\": \"not-dv\", \"convertible\": true"));
    EXPECT_EQ(2, Run({"write", image, clip, "--convert", "--aspect", "5:4"}).status);
    EXPECT_EQ(2, Run({"write", image, clip, "--keep", dir.File("k.dv")}).status) << "--keep goes with --convert";

    const std::string keep = dir.File("copy.dv");
    run = Run({"write", image, clip, "--convert", "--aspect", "16:9", "--keep", keep});
    ASSERT_EQ(0, run.status) << run.err;
    CDisk& card = Reload();
    EXPECT_EQ(75, card.Clips()[0].frames);
    EXPECT_EQ("holiday", ClipName(card, 0)) << "named after the file";
    EXPECT_TRUE(std::filesystem::is_empty(tmp));

    // Frame for frame what convert makes of it, recorded on the day the
    // file says; the kept copy is the same file.
    const std::string converted = dir.File("converted.dv");
    ASSERT_EQ(0, Run({"convert", clip, converted, "--aspect", "16:9"}).status);
    const std::vector<std::uint8_t> expected = dvfix::ReadBytes(converted);
    ASSERT_EQ(75u * 144000, expected.size());
    EXPECT_TRUE(dvfix::ReadBytes(keep) == expected);
    std::vector<std::uint8_t> frame(kClusterSize);
    for (int i = 0; i < 75; ++i) {
        ASSERT_TRUE(card.ReadClipFrame(0, i, frame.data()));
        ASSERT_EQ(0, std::memcmp(frame.data(), expected.data() + 144000ll * i, 144000)) << "frame " << i;
    }
    EXPECT_EQ("2024-05-17", convfix::DvRecordingDate(expected.data()));

    // Not video: refused with its reason, nothing left anywhere.
    const std::string text = dir.File("notes.mp4");
    ASSERT_TRUE(dvfix::WriteBytes(text, std::vector<std::uint8_t>(3000, 'x')));
    run = Run({"write", image, text, "--convert"});
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
    EXPECT_EQ(0, Reload().Clips()[1].frames);
    run = Run({"convert", text, dir.File("notes.dv")});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("no video in this file can be converted"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("notes.dv")));

    // An AVI with a separate audio track still converts the AVI way: its
    // DV frames are kept as they are, not encoded again.
    const std::vector<std::uint8_t> ten(Frames().begin(), Frames().begin() + 144000 * 10);
    const std::string avi = dir.File("separate.avi");
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(avi, ten));
    ASSERT_EQ(0, Run({"convert", avi, dir.File("kept.dv")}).status);
    const std::vector<std::uint8_t> kept = dvfix::ReadBytes(dir.File("kept.dv"));
    ASSERT_EQ(ten.size(), kept.size());
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(convfix::SameVideoBlocks(ten.data() + 144000 * i, kept.data() + 144000 * i)) << i;
}

TEST_F(CardCliTest, WholeCardsAreBackedUpClonedAndNeverCopiedOntoThemselves)
{
    TaggedCardLayout layout;
    layout.clusters = 60;
    layout.clips = {{0, 0, 20, 1}, {1, 30, 20, 2}};
    layout.playlists = {{{1, 0}, true}};
    ASSERT_TRUE(WriteTaggedImage(image, layout));
    const std::string backup = dir.File("backup.img");
    ASSERT_EQ(0, Run({"backup", image, backup}).status);
    const std::vector<std::uint8_t> kept = dvfix::ReadBytes(backup);
    EXPECT_EQ(CardBytes(60), kept.size());
    // Without a terminal the question to replace it is answered No.
    const CliRun again = Run({"backup", image, backup});
    EXPECT_EQ(1, again.status);
    EXPECT_NE(std::string::npos, again.err.find("already exists"));
    EXPECT_TRUE(kept == dvfix::ReadBytes(backup));
    EXPECT_EQ(1, Run({"--yes", "restore", backup, backup}).status);
    EXPECT_EQ(1, Run({"--yes", "backup", image, image}).status);
    EXPECT_EQ(CardBytes(60), dvfix::ReadBytes(image).size());

    // Onto a smaller and a larger image; with --json standard output holds
    // one JSON object a line, each target's last one saying it is whole.
    const std::string small = dir.File("small.img");
    const std::string large = dir.File("large.img");
    ASSERT_EQ(0, Run({"mkimage", small, std::to_string(CardBytes(45))}).status);
    ASSERT_EQ(0, Run({"mkimage", large, std::to_string(CardBytes(90))}).status);
    const CliRun clone = Run({"--yes", "clone", backup, small, large, "--json"});
    ASSERT_EQ(0, clone.status) << clone.err;
    std::vector<std::string> lines;
    std::string line;
    for (std::istringstream in(clone.out); std::getline(in, line);)
        lines.push_back(line);
    ASSERT_GE(lines.size(), 2u);
    for (const std::string& l : lines)
        EXPECT_EQ('{', l.front()) << l;
    std::string ends = lines[lines.size() - 2] + lines.back();
    EXPECT_NE(std::string::npos, ends.find("\"target\": \"" + small + "\", \"state\": \"whole\", \"clips\": 2"));
    EXPECT_NE(std::string::npos, ends.find("\"target\": \"" + large + "\", \"state\": \"whole\", \"clips\": 2"));
    const std::string info = Run({"info", small, "--json"}).out;
    EXPECT_NE(std::string::npos, info.find("\"first_cluster\": 20")) << "packed after the first clip: " << info;

    // A target without the room: refused, the others untouched too.
    const std::string tiny = dir.File("tiny.img");
    ASSERT_EQ(0, Run({"mkimage", tiny, std::to_string(CardBytes(39))}).status);
    const std::vector<std::uint8_t> largeBefore = dvfix::ReadBytes(large);
    const CliRun refused = Run({"--yes", "clone", backup, large, tiny});
    EXPECT_EQ(1, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("Not enough room on " + tiny));
    EXPECT_TRUE(largeBefore == dvfix::ReadBytes(large));
}

TEST_F(CardCliTest, ACutShortSourceIsSaidSoAndALengthlessOneGoesThroughTheCacheFolder)
{
    // Eight seconds (200 DV frames) with the index first, cut to half.
    const std::string cut = dir.File("cut.mp4");
    convfix::Clip shape;
    shape.seconds = 8;
    shape.faststart = true;
    if (const std::string skip = convfix::MakeClip(cut, shape); !skip.empty())
        GTEST_SKIP() << skip;
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
    MakeCard(400);
    const std::string cache = dir.File("cache");
    const CEnvFor cacheFor("XDG_CACHE_HOME", cache);

    CliRun run = Run({"write", image, cut, "--convert", "--no-verify"});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("could not be converted to its end")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(" of 0:00:08.00")) << run.err;
    const int frames = Reload().Clips()[0].frames;
    EXPECT_GE(frames, 75);
    EXPECT_LT(frames, 190);
    // convert says the same and keeps the same frames.
    const std::string dv = dir.File("cut.dv");
    run = Run({"convert", cut, dv});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("could not be converted to its end"));
    EXPECT_EQ(std::string::npos, run.out.find("Conversion complete!"));
    EXPECT_EQ(static_cast<std::uintmax_t>(frames) * 144000, std::filesystem::file_size(dv));

    // A raw H.264 stream has no duration: converted into a file in the
    // cache folder first, as the user is told, and that file is gone after.
    const std::string raw = dir.File("raw.h264");
    shape = convfix::Clip();
    shape.seconds = 4;
    shape.audioRate = 0;
    ASSERT_EQ("", convfix::MakeClip(raw, shape));
    run = Run({"write", image, raw, "--convert"});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, (run.out + run.err).find("length of this video is not known")) << run.out;
    EXPECT_NE(std::string::npos, (run.out + run.err).find(cache + "/tessaro/Vor"));
    EXPECT_TRUE(std::filesystem::is_empty(cache + "/tessaro"));
    EXPECT_GE(Reload().Clips()[1].frames, 95);
    EXPECT_EQ("raw", ClipName(disk, 1));
}

} // namespace
