// Direct reads of an image file while another thread writes through the
// cache: the card scan and the read-back read on a thread of their own.
#include "AlignedBuffer.h"
#include "FileDevice.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(FileDevice, DirectReadsOnOneThreadLeaveTheWritesOfAnotherBuffered)
{
    CTempDir dir;
    const std::string path = dir.File("card.img");
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::ftruncate(fd, 4 << 20));
    std::unique_ptr<IDevice> device;
    ASSERT_EQ(kOpenOk, DeviceFromDescriptor(fd, device));
    if (device->DirectReadAlignment() == 0)
        GTEST_SKIP() << "the file system of " << path << " reads only through the cache";

    // Writes of odd lengths from odd addresses, which a descriptor switched
    // to direct I/O refuses (EINVAL), while direct reads go on beside them.
    std::atomic<bool> reading{true};
    std::atomic<int> readFailures{0};
    std::thread reader([&] {
        CAlignedBuffer buffer;
        ASSERT_TRUE(buffer.Reserve(65536, device->DirectReadAlignment()));
        while (reading) {
            if (device->ReadDirectAt(0, buffer.Data(), 65536) != 65536)
                ++readFailures;
        }
    });
    std::vector<std::uint8_t> bytes(1001, 0x5A);
    int writeFailures = 0;
    for (int i = 0; i < 3000; ++i) {
        if (device->WriteAt((1u << 20) + 1 + static_cast<std::uint64_t>(i % 7) * 1000, bytes.data() + 1, 1000) !=
            1000)
            ++writeFailures;
    }
    reading = false;
    reader.join();
    EXPECT_EQ(0, writeFailures);
    EXPECT_EQ(0, readFailures);
    EXPECT_NE(0u, device->DirectReadAlignment()) << "direct reads still go past the cache";
}

} // namespace
