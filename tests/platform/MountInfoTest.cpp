// The mount point that the "in use" message names: found for a card's
// partitions and for a card mounted as a whole, never for another disk.
#include "MountInfo.h"
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

} // namespace

TEST(MountInfo, TheMountPointOfACardOrOneOfItsPartitions)
{
    CTempDir sys;
    const std::string block = sys.Path() + "/block";
    Put(block + "/sda/dev", "8:0");
    Put(block + "/sda/sda1/dev", "8:1");
    Put(block + "/sda/sda1/partition", "1");
    Put(block + "/sdb/dev", "8:16");
    Put(block + "/sdb/sdb1/dev", "8:17");
    Put(block + "/sdb/sdb1/partition", "1");
    Put(block + "/sdb/sdb2/dev", "8:18");
    Put(block + "/sdb/sdb2/partition", "2");
    Put(block + "/sdb/queue/dev", "8:1"); // not a partition folder
    Put(block + "/sdc/dev", "8:32");
    const std::string mounts = sys.File("mountinfo");
    Put(mounts, "21 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                "90 21 8:18 / /media/user/MY\\040CARD rw,nosuid shared:50 - vfat /dev/sdb2 rw\n"
                "91 21 8:32 / /mnt/whole rw shared:51 - vfat /dev/sdc rw");

    EXPECT_EQ("/media/user/MY CARD", MountPointOfDisk("sdb", sys.Path(), mounts));
    EXPECT_EQ("/mnt/whole", MountPointOfDisk("sdc", sys.Path(), mounts)) << "a card without partitions";
    EXPECT_EQ("/", MountPointOfDisk("sda", sys.Path(), mounts));
    Put(mounts, "21 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw");
    EXPECT_EQ("", MountPointOfDisk("sdb", sys.Path(), mounts)) << "another disk's partition is not the card's";
    EXPECT_EQ("", MountPointOfDisk("sdd", sys.Path(), mounts));
}
