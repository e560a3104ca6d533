// CDisk's device part: geometry, offsets, the drive table, refusals and the
// once-per-opening error message.
#include "CDisk.h"
#include "DriveTable.h"
#include "Environment.h"
#include "MemoryDevice.h"
#include "ScriptedInteraction.h"
#include "Settings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::uint8_t> Cluster(std::uint8_t fill) { return std::vector<std::uint8_t>(kClusterSize, fill); }

} // namespace

TEST(DiskGeometry, SizeAndClusterCountFollowTheSectorCount)
{
    auto state = MakeDeviceState(4096);
    state->reportedSize = 2000000ull * 512;
    CDisk disk;
    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
    EXPECT_EQ(7092u, disk.TotalClusters());
    EXPECT_EQ(976u, disk.SizeMB());
    EXPECT_FALSE(disk.IsLoaded());

    // Fewer than 293 sectors hold no cluster at all.
    auto tiny = MakeDeviceState(292 * 512);
    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(tiny), 0));
    EXPECT_EQ(0u, disk.TotalClusters());
}

TEST(DiskGeometry, SectorAndClusterConversions)
{
    EXPECT_EQ(0u, CDisk::ClusterOfSector(10));
    EXPECT_EQ(1u, CDisk::ClusterOfSector(292));
    EXPECT_EQ(856u, CDisk::SectorOfCluster(3));
}

TEST(DiskTransfers, ClustersLieAfterTheFatArea)
{
    auto state = MakeDeviceState(4096);
    state->reportedSize = 2000000ull * 512;
    CDisk disk;
    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
    std::vector<std::uint8_t> buf(kClusterSize);
    disk.ReadCluster(0, buf.data());
    disk.ReadCluster(1, buf.data());
    ASSERT_EQ(2u, state->readOffsets.size());
    EXPECT_EQ(5120u, state->readOffsets[0]);
    EXPECT_EQ(149504u, state->readOffsets[1]);
}

TEST(DiskTransfers, NothingIsTransferredOutsideTheClusters)
{
    auto state = MakeDeviceState(5120 + 3ull * kClusterSize + 512, 0x11);
    CScriptedInteraction ui;
    CDisk disk;
    disk.SetInteraction(&ui);
    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
    ASSERT_EQ(3u, disk.TotalClusters());
    auto buf = Cluster(0x22);
    EXPECT_FALSE(disk.WriteCluster(-1, buf.data()));
    EXPECT_FALSE(disk.WriteCluster(3, buf.data()));
    EXPECT_FALSE(disk.ReadCluster(3, buf.data()));
    EXPECT_EQ(0, state->writes);
    EXPECT_EQ(0, state->reads);
    EXPECT_EQ(1, ui.Count(kIdsCardAccessError)) << "a refused seek reports an access error, once";
    EXPECT_EQ(0, ui.Count(kIdsCardWriteError));
}

TEST(DiskTransfers, ImageFileRoundTripAtTheRightOffset)
{
    CTempDir dir;
    const std::string image = dir.File("card.img");
    std::ofstream(image).close();
    ASSERT_EQ(0, truncate(image.c_str(), 5120 + 4ll * kClusterSize + 512));
    CDisk disk;
    ASSERT_EQ(0, disk.OpenPath(image));
    ASSERT_EQ(4u, disk.TotalClusters());
    auto out = Cluster(0);
    for (int i = 0; i < kFrameSize; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(disk.WriteCluster(2, out.data()));
    ASSERT_TRUE(disk.Flush());
    auto in = Cluster(0xEE);
    ASSERT_TRUE(disk.ReadCluster(2, in.data()));
    EXPECT_EQ(out, in);

    std::ifstream f(image, std::ios::binary);
    f.seekg(5120 + 2 * kClusterSize);
    std::vector<std::uint8_t> raw(kClusterSize);
    f.read(reinterpret_cast<char*>(raw.data()), kClusterSize);
    EXPECT_EQ(out, raw);

    struct stat st {};
    ASSERT_EQ(0, stat(image.c_str(), &st));
    EXPECT_EQ(5120 + 4ll * kClusterSize + 512, st.st_size) << "an image never grows";
}

TEST(DiskOpen, MissingOrEmptyImageIsNotACard)
{
    CTempDir dir;
    CDisk disk;
    EXPECT_EQ(1, disk.OpenPath(dir.File("missing.img")));
    std::ofstream(dir.File("empty.img")).close();
    EXPECT_EQ(1, disk.OpenPath(dir.File("empty.img")));
    EXPECT_FALSE(disk.IsOpen());
}

namespace {

std::string g_lastOpened; // the path FakeOpener last opened

int FakeOpener(const std::string& path, bool requireRemovable, bool, std::unique_ptr<IDevice>& device)
{
    g_lastOpened = path;
    if (path == "/dev/denied")
        return kOpenDenied;
    if (path == "/dev/fixed" && requireRemovable)
        return kOpenNotCard;
    device = std::make_unique<CMemoryDevice>(MakeDeviceState(5120 + kClusterSize + 512));
    return kOpenOk;
}

class DriveTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetSettingsPath(dir.File("t.ini"));
        env.openDevice = FakeOpener;
        env.cardReaders = [this] { return disks; };
    }
    void TearDown() override { SetSettingsPath(""); }
    CTempDir dir;
    std::vector<CardCandidate> disks;
    CEnvironment env;
};

} // namespace

TEST_F(DriveTableTest, ImagesComeFirstThenDisksInOrder)
{
    WriteProfileString("Cards", "Image3", "third.img");
    WriteProfileString("Cards", "Image1", "first.img");
    disks = {{"sda"}, {"sdb"}};
    auto table = BuildDriveTable(disks);
    ASSERT_EQ(4u, table.size());
    EXPECT_EQ("first.img", table[0].path);
    EXPECT_TRUE(table[0].image);
    EXPECT_EQ("third.img", table[1].path);
    EXPECT_EQ("/dev/sda", table[2].path);
    EXPECT_FALSE(table[2].image);

    disks.assign(20, {"sdx"});
    EXPECT_EQ(15u, BuildDriveTable(disks).size());
}

TEST_F(DriveTableTest, OpenByIndexGivesTheThreeResults)
{
    WriteProfileString("Cards", "Image1", "card.img");
    disks = {{"denied"}, {"fixed"}};
    CDisk disk(env);
    EXPECT_EQ(0, disk.Open(0));
    EXPECT_EQ("card.img", g_lastOpened);
    EXPECT_EQ(2, disk.Open(1));
    EXPECT_FALSE(disk.IsOpen());
    EXPECT_EQ(1, disk.Open(2)) << "a non-removable disk is never a card";
    EXPECT_EQ(1, disk.Open(3));
    EXPECT_EQ(1, disk.Open(-1));
}

TEST(DiskErrors, OneMessagePerOpening)
{
    auto state = MakeDeviceState(5120 + 4ull * kClusterSize + 512);
    state->failAllWritesFrom = 1;
    CScriptedInteraction ui;
    CDisk disk;
    disk.SetInteraction(&ui);
    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
    auto buf = Cluster(1);
    EXPECT_FALSE(disk.WriteCluster(0, buf.data()));
    EXPECT_FALSE(disk.WriteCluster(1, buf.data()));
    EXPECT_FALSE(disk.WriteFAT());
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsCardWriteError, ui.Shown()[0].id);
    EXPECT_EQ("Memory card write error!\nPlease ensure that memory card is not write-protected.", ui.Shown()[0].text);
    EXPECT_EQ(static_cast<unsigned>(kMsgError), ui.Shown()[0].flags);

    disk.Close();
    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
    EXPECT_FALSE(disk.WriteCluster(0, buf.data()));
    EXPECT_EQ(2, ui.Count(kIdsCardWriteError)) << "a new opening shows the message again";
}

TEST(DiskErrors, ShortTransfersVanishingAndFlushFailuresAreFailures)
{
    auto state = MakeDeviceState(5120 + 4ull * kClusterSize + 512);
    CScriptedInteraction ui;
    CDisk disk;
    disk.SetInteraction(&ui);
    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
    auto buf = Cluster(1);

    state->shortTransfers = true;
    EXPECT_FALSE(disk.ReadCluster(0, buf.data()));
    EXPECT_FALSE(disk.WriteCluster(0, buf.data()));
    state->shortTransfers = false;

    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
    state->failFlush = state->flushes + 1;
    EXPECT_TRUE(disk.WriteCluster(0, buf.data()));
    EXPECT_FALSE(disk.Flush());

    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
    state->vanished = true;
    EXPECT_FALSE(disk.ReadCluster(1, buf.data()));
    EXPECT_FALSE(disk.ReadFAT());
    // One message per opening, whatever failed: the short read of the first
    // opening (its short write stays silent), the flush of the second, the
    // vanished card of the third.
    EXPECT_EQ(2, ui.Count(kIdsCardAccessError));
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError));
    EXPECT_EQ(3u, ui.Shown().size());
}
