// Card discovery on folders laid out like /sys: only card readers' disks
// that hold a card are opened and listed; fixed disks, eMMC, optical drives
// and virtual disks are never opened, so they never count as refused.
#include "CDisk.h"
#include "CardDiscovery.h"
#include "Environment.h"
#include "Settings.h"
#include "TempDir.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// A disk of a sysfs tree: attribute file (below block/NAME) -> content.
using Disk = std::map<std::string, std::string>;

void Build(const CTempDir& sys, const std::map<std::string, Disk>& disks)
{
    for (const auto& [name, attributes] : disks) {
        for (const auto& [file, text] : attributes) {
            const std::filesystem::path path = sys.Path() + "/block/" + name + "/" + file;
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path) << text << "\n";
        }
    }
}

// sizes in 512-byte sectors
Disk Fixed(const char* size) { return {{"size", size}, {"removable", "0"}}; }
Disk Scsi(const char* size, const char* removable, const char* type)
{
    return {{"size", size}, {"removable", removable}, {"device/type", type}};
}
Disk Mmc(const char* size, const char* type) { return {{"size", size}, {"removable", "0"}, {"device/type", type}}; }

const std::map<std::string, Disk> kLaptop = {
    {"mmcblk0", Mmc("61071360", "MMC")},  // soldered eMMC the system boots from
    {"mmcblk0boot0", Mmc("8192", "MMC")},
    {"mmcblk0boot1", Mmc("8192", "MMC")},
    {"mmcblk0rpmb", Mmc("8192", "MMC")},
    {"mmcblk1", Mmc("3862528", "SD")},    // SD card in the slot
    {"nvme0n1", Fixed("1000215216")},
};
const std::map<std::string, Disk> kDesktop = {
    {"sda", Scsi("976773168", "0", "0")}, // SATA disk
    {"sdb", Scsi("7744512", "1", "0")},   // USB reader with a card
    {"sdc", Scsi("0", "1", "0")},         // USB reader without a card
    {"sr0", Scsi("9180416", "1", "5")},   // optical drive with a disc
    {"loop0", Fixed("204800")},
    {"zram0", Fixed("16777216")},
    {"vda", {{"size", "41943040"}, {"removable", "0"}, {"device/device", "0x0002"}}},
    {"dm-0", Fixed("41943040")},
    {"md0", Fixed("41943040")},
    {"nbd0", Fixed("0")},
    {"ram0", Fixed("8192")},
};
const std::map<std::string, Disk> kServer = {
    {"vda", {{"size", "41943040"}, {"removable", "0"}, {"device/device", "0x0002"}}},
    {"zram0", Fixed("16777216")},
    {"loop0", Fixed("204800")},
    {"loop1", Fixed("0")},
};

std::vector<std::string> g_opened;
int g_result = kOpenDenied;

int RecordingOpener(const std::string& path, bool, bool, std::unique_ptr<IDevice>&)
{
    g_opened.push_back(path);
    return g_result;
}

class CardDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_opened.clear();
        SetSettingsPath(settings.File("t.ini")); // no card images
    }
    void TearDown() override { SetSettingsPath(""); }

    CardDiscovery Discover(const std::map<std::string, Disk>& disks, int result)
    {
        CTempDir sys;
        Build(sys, disks);
        g_opened.clear();
        g_result = result;
        CEnvironment env;
        env.openDevice = RecordingOpener;
        env.cardReaders = [&sys] { return CardCandidates(sys.Path()); };
        return DiscoverCards(env);
    }

    CTempDir settings;
};

} // namespace

TEST_F(CardDiscoveryTest, OnlyCardReadersHoldingACardAreOpenedAndListed)
{
    // Cards in use are listed without being opened, with the size sysfs
    // gives, so every card discovery saw shows in the list.
    CardDiscovery found = Discover(kLaptop, kOpenInUse);
    EXPECT_EQ(std::vector<std::string>{"/dev/mmcblk1"}, g_opened);
    ASSERT_EQ(1u, found.cards.size());
    EXPECT_EQ("CARD1 - /dev/mmcblk1, 1.8 GB", found.cards[0].text) << "no model in the tree";
    EXPECT_EQ("/dev/mmcblk1", found.cards[0].path);
    EXPECT_TRUE(found.cards[0].inUse);
    EXPECT_FALSE(found.accessDenied);

    found = Discover(kDesktop, kOpenInUse);
    EXPECT_EQ(std::vector<std::string>{"/dev/sdb"}, g_opened);
    ASSERT_EQ(1u, found.cards.size());
    EXPECT_EQ("CARD1 - /dev/sdb, 3.7 GB", found.cards[0].text);
    EXPECT_EQ(0, found.cards[0].index);
}

TEST_F(CardDiscoveryTest, TheListNamesEachCardByWhatItIsAfterItsNumber)
{
    // A reader that sysfs names (its vendor and model padded with blanks),
    // an SD slot whose card names itself, and a card image of the settings.
    CTempDir sys;
    Disk reader = Scsi("3906250", "1", "0"); // 2,000,000,000 bytes
    reader["device/vendor"] = "Generic ";
    reader["device/model"] = "SD/MMC          ";
    Disk slot = Mmc("131072", "SD");
    slot["device/name"] = "SL16G";
    Build(sys, {{"sdb", reader}, {"mmcblk0", slot}});
    const std::string image = settings.File("demo.img");
    std::ofstream(image).close();
    ASSERT_EQ(0, truncate(image.c_str(), 64ll << 20)); // sparse
    WriteProfileString("Cards", "Image1", image);

    CEnvironment env;
    env.sysRoot = sys.Path();
    env.cardReaders = [&sys] { return CardCandidates(sys.Path()); };
    // The image opens; the readers' disks are held by the system (listed
    // with their sysfs size, never opened).
    env.openDevice = [](const std::string& path, bool requireCard, bool write, std::unique_ptr<IDevice>& device) {
        return path.rfind("/dev/", 0) == 0 ? kOpenInUse : OpenDevicePath(path, requireCard, write, device);
    };
    const CardDiscovery found = DiscoverCards(env);
    ASSERT_EQ(3u, found.cards.size());
    EXPECT_EQ("CARD1 - demo.img, 64 MB", found.cards[0].text);
    EXPECT_EQ("CARD2 - SL16G (/dev/mmcblk0), 64 MB", found.cards[1].text);
    EXPECT_EQ("CARD3 - Generic SD/MMC (/dev/sdb), 1.9 GB", found.cards[2].text);
    EXPECT_EQ("CARD3 - Generic SD/MMC (/dev/sdb)", found.cards[2].name) << "the name alone, for the questions";

    SetLanguage(1);
    EXPECT_EQ("1023 МБ", CardSizeText(1023ull << 20));
    SetLanguage(0);
    EXPECT_EQ("1.0 GB", CardSizeText(1024ull << 20)) << "gigabytes from the first one on";
}

TEST_F(CardDiscoveryTest, OnlyARefusedCardReaderCountsAsNoRights)
{
    CardDiscovery found = Discover(kServer, kOpenDenied);
    EXPECT_TRUE(g_opened.empty()) << "fixed disks are never opened";
    EXPECT_TRUE(found.cards.empty());
    EXPECT_FALSE(found.accessDenied);

    found = Discover(kLaptop, kOpenDenied);
    EXPECT_TRUE(found.cards.empty());
    EXPECT_TRUE(found.accessDenied) << "the SD card in the slot was refused";
}

namespace {

// A block device node of this machine, "" when there is none. It is only
// looked at (stat), never opened.
std::string SomeBlockNode(dev_t& number)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        struct stat st {};
        if (stat(entry.path().c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            number = st.st_rdev;
            return entry.path().string();
        }
    }
    return "";
}

// Makes the tree's dev/block/MAJOR:MINOR name disk `name`, as sysfs does.
void LinkNumber(const CTempDir& sys, dev_t number, const std::string& name)
{
    const std::string dir = sys.Path() + "/dev/block";
    std::filesystem::create_directories(dir);
    std::filesystem::create_symlink("../../block/" + name,
                                    dir + "/" + std::to_string(major(number)) + ":" + std::to_string(minor(number)));
}

} // namespace

// The device node is the machine's; what it is comes from the tree alone.
TEST_F(CardDiscoveryTest, ABlockDeviceIsJudgedByTheSysfsTreeItIsGiven)
{
    dev_t number = 0;
    const std::string node = SomeBlockNode(number);
    if (node.empty())
        GTEST_SKIP() << "no block device node in /dev";

    CTempDir fixedTree;
    Build(fixedTree, {{"sda", Scsi("976773168", "0", "0")}});
    LinkNumber(fixedTree, number, "sda");
    CTempDir readerTree;
    Build(readerTree, {{"sdb", Scsi("7744512", "1", "0")}});
    LinkNumber(readerTree, number, "sdb");

    EXPECT_TRUE(IsNonCardBlockDevice(node, fixedTree.Path()));
    EXPECT_FALSE(IsNonCardBlockDevice(node, readerTree.Path())) << "the tree's card reader";
    EXPECT_EQ("sdb", DeviceNodeName(node, readerTree.Path()));

    // A fixed disk is refused before it is opened: no descriptor, and no
    // udisks2 request after the refusal.
    std::unique_ptr<IDevice> device;
    EXPECT_EQ(kOpenNotCard, OpenDeviceUnder(fixedTree.Path(), node, true, false, device));
    EXPECT_EQ(nullptr, device);
    CEnvironment env;
    env.sysRoot = fixedTree.Path();
    env.openDevice = [&env](const std::string& path, bool requireCard, bool write, std::unique_ptr<IDevice>& opened) {
        return OpenDeviceUnder(env.sysRoot, path, requireCard, write, opened);
    };
    int waits = 0;
    env.awaitAuthorisation = [&waits](const std::function<int()>& request) {
        ++waits;
        return request();
    };
    CDisk disk(env);
    EXPECT_EQ(kOpenNotCard, disk.OpenPath(node));
    EXPECT_FALSE(disk.IsOpen());
    EXPECT_EQ(0, waits);
}
