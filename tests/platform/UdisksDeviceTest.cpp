// Opening a card through udisks2 when the direct opening is refused (made
// to refuse through the device opener, since the tests run as root): a
// stand-in daemon (python3-dbusmock, udisks_standin.py) on a bus of the
// test's own hands out descriptors of card images, refuses, or is absent.
#include "Device.h"
#include "DvFixtures.h"
#include "StandInBus.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr const char* kAddressVariable = "DBUS_SYSTEM_BUS_ADDRESS";

int DenyAll(const std::string&, bool, bool, std::unique_ptr<IDevice>&) { return kOpenDenied; }

std::vector<std::uint8_t> Head(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.begin() + 5120}; }

class UdisksDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        ASSERT_TRUE(dvfix::WriteBytes(card, bytes));
        ASSERT_TRUE(dvfix::WriteBytes(protectedCard, bytes));
        const std::string why = udisks.Start(
            UDISKS_STANDIN,
            R"({"devices": {"sdz": {"image": ")" + card + R"("}, "sdw": {"image": ")" + protectedCard +
                R"(", "readonly": true}, "sdy": {"refuse": true}}})",
            "org.freedesktop.UDisks2");
        if (!why.empty())
            GTEST_SKIP() << "no stand-in udisks2 service: " << why;
    }
    CTempDir dir;
    const std::string card = dir.File("card.img");
    const std::string protectedCard = dir.File("protected.img");
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(5120 + 2 * 144384 + 512);
    CStandInBus udisks{CStandInBus::kSystemBus};
};

} // namespace

TEST_F(UdisksDeviceTest, ARefusedCardIsOpenedThroughUdisks)
{
    std::unique_ptr<IDevice> device;
    ASSERT_EQ(kOpenOk, OpenCardDevice(DenyAll, "/dev/sdz", true, true, device));
    EXPECT_EQ(bytes.size(), device->SizeBytes());
    std::vector<std::uint8_t> head(5120);
    ASSERT_EQ(5120, device->ReadAt(0, head.data(), head.size()));
    EXPECT_EQ(Head(bytes), head);
    // Granted for writing: a table written through it reaches the card.
    const std::vector<std::uint8_t> table(5120, 0x5A);
    EXPECT_EQ(5120, device->WriteAt(0, table.data(), table.size()));
    EXPECT_TRUE(device->Flush());
    EXPECT_EQ(table, Head(dvfix::ReadBytes(card)));

    // A write-protected card is still opened, for reading alone.
    std::unique_ptr<IDevice> readOnly;
    ASSERT_EQ(kOpenOk, OpenCardDevice(DenyAll, "/dev/sdw", true, true, readOnly));
    ASSERT_EQ(5120, readOnly->ReadAt(0, head.data(), head.size()));
    EXPECT_EQ(Head(bytes), head);
    EXPECT_EQ(-1, readOnly->WriteAt(0, table.data(), table.size()));
    EXPECT_EQ(bytes, dvfix::ReadBytes(protectedCard));
    EXPECT_FALSE(readOnly->Writable());

    // Asked for reading alone, the daemon hands out a descriptor that
    // cannot write, though the card could be written.
    std::unique_ptr<IDevice> reading;
    ASSERT_EQ(kOpenOk, OpenCardDevice(DenyAll, "/dev/sdz", true, false, reading));
    EXPECT_FALSE(reading->Writable());
    EXPECT_EQ(-1, reading->WriteAt(0, bytes.data(), 5120));
    EXPECT_EQ(table, Head(dvfix::ReadBytes(card)));
}

TEST_F(UdisksDeviceTest, RefusalOrNoServiceIsAccessDenied)
{
    std::unique_ptr<IDevice> device;
    EXPECT_EQ(kOpenDenied, OpenCardDevice(DenyAll, "/dev/sdy", true, true, device)) << "not authorised";
    EXPECT_EQ(kOpenDenied, OpenCardDevice(DenyAll, "/dev/sdx", true, true, device)) << "unknown to the daemon";
    udisks.StopService();
    EXPECT_EQ(kOpenDenied, OpenCardDevice(DenyAll, "/dev/sdz", true, true, device)) << "no udisks2 on the bus";
    setenv(kAddressVariable, ("unix:path=" + dir.File("no-bus")).c_str(), 1);
    EXPECT_EQ(kOpenDenied, OpenCardDevice(DenyAll, "/dev/sdz", true, true, device)) << "no system bus";
    EXPECT_EQ(nullptr, device);
    EXPECT_EQ(bytes, dvfix::ReadBytes(card));
}
