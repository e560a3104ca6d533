// The card's key names the folder of what is kept about it: the same card
// must get the same key, another card (or the same reader with another
// card size) another one, and the key must be one file name.
#include "CardIdentity.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

void Put(const std::string& file, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file) << text << "\n";
}

// sysRoot/block/NAME whose device link leads to `device` under devices/.
void Disk(const std::string& sysRoot, const std::string& name, const std::string& device)
{
    std::filesystem::create_directories(sysRoot + "/devices/" + device);
    std::filesystem::create_directories(sysRoot + "/block/" + name);
    std::filesystem::create_directory_symlink(sysRoot + "/devices/" + device, sysRoot + "/block/" + name + "/device");
}

} // namespace

TEST(CardIdentity, KeysOfCardReadersFromSysfs)
{
    CTempDir sys;
    const std::string root = sys.Path();
    // A USB reader: the serial belongs to the USB device, two levels up.
    const std::string usb = "pci0000:00/usb1/1-1";
    Put(root + "/devices/" + usb + "/serial", "AB12/34");
    Disk(root, "sdz", usb + "/1-1:1.0/host0/0:0:0:0");
    Put(root + "/devices/" + usb + "/1-1:1.0/host0/0:0:0:0/vendor", "Generic ");
    Put(root + "/devices/" + usb + "/1-1:1.0/host0/0:0:0:0/model", "  Card Reader   ");
    Put(root + "/block/sdz/diskseq", "17");
    // A reader without any serial, and an SD card with its own.
    Disk(root, "sdy", "pci0000:00/ata1/host1/1:0:0:0");
    Put(root + "/devices/pci0000:00/ata1/host1/1:0:0:0/vendor", "Generic");
    Put(root + "/devices/pci0000:00/ata1/host1/1:0:0:0/model", "SD Reader");
    Disk(root, "mmcblk7", "pci0000:00/mmc0/mmc0:aaaa");
    Put(root + "/devices/pci0000:00/mmc0/mmc0:aaaa/serial", "0x1234abcd");
    Put(root + "/devices/pci0000:00/mmc0/mmc0:aaaa/name", "SD16G");

    const CardIdentity usbCard = IdentifyCard("/dev/sdz", false, 1000000, root);
    EXPECT_EQ("AB12/34", usbCard.serial);
    EXPECT_EQ("Generic Card Reader", usbCard.model);
    EXPECT_EQ(17u, usbCard.diskseq);
    const std::string key = usbCard.Key();
    EXPECT_NE(std::string::npos, key.find("AB12")) << key;
    EXPECT_NE(std::string::npos, key.find("1000000")) << key;
    EXPECT_EQ(std::string::npos, key.find('/')) << key;
    EXPECT_NE(key, IdentifyCard("/dev/sdz", false, 2000000, root).Key()) << "another card size, another card";
    EXPECT_EQ(key, IdentifyCard("/dev/sdz", false, 1000000, root).Key());

    const CardIdentity plain = IdentifyCard("/dev/sdy", false, 1000000, root);
    EXPECT_EQ("", plain.serial) << "no parent above the reader has a serial";
    EXPECT_NE(std::string::npos, plain.Key().find("Generic_20SD_20Reader")) << "model and size instead";
    EXPECT_NE(plain.Key(), key);

    const CardIdentity sd = IdentifyCard("/dev/mmcblk7", false, 1000000, root);
    EXPECT_EQ("0x1234abcd", sd.serial);
    EXPECT_EQ("SD16G", sd.model);

    CardIdentity nothing = IdentifyCard("/dev/sdx", false, 1000000, root);
    EXPECT_EQ("", nothing.Key()) << "a device nothing identifies has no folder";
}

TEST(CardIdentity, ImagesAndTheSameCard)
{
    CTempDir dir;
    std::filesystem::create_directories(dir.File("a"));
    std::ofstream(dir.File("a/b")) << "x";
    std::ofstream(dir.File("a_b")) << "x";
    const CardIdentity slash = IdentifyCard(dir.File("a/b"), true, 5120);
    const CardIdentity underscore = IdentifyCard(dir.File("a_b"), true, 5120);
    EXPECT_NE(slash.Key(), underscore.Key()) << "paths that differ give different folders";
    EXPECT_EQ(std::string::npos, slash.Key().find('/'));

    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const CardIdentity relative = IdentifyCard("a/b", true, 5120);
    std::filesystem::current_path(old);
    EXPECT_EQ(slash.Key(), relative.Key()) << "the working folder does not change an image's folder";

    CardIdentity deep = slash;
    deep.path = "/" + std::string(400, 'x');
    EXPECT_LE(deep.Key().size(), 200u);

    CardIdentity a = IdentifyCard("/dev/sdz", false, 100, "/nonexistent");
    CardIdentity b = a;
    EXPECT_TRUE(a.SameCard(b));
    a.diskseq = 5;
    EXPECT_TRUE(a.SameCard(b)) << "one side without a sequence number";
    b.diskseq = 6;
    EXPECT_FALSE(a.SameCard(b)) << "the card was taken out and put back";
    b.diskseq = 5;
    b.sizeBytes = 200;
    EXPECT_FALSE(a.SameCard(b));
}
