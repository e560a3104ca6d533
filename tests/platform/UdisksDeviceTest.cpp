// Opening a card through udisks2 when the direct opening is refused (made
// to refuse through the device opener, since the tests run as root): a
// stand-in daemon (python3-dbusmock, udisks_standin.py) on a bus of the
// test's own hands out descriptors of card images, refuses, or is absent.
#include "Device.h"
#include "DvFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr const char* kAddressVariable = "DBUS_SYSTEM_BUS_ADDRESS";

int DenyAll(const std::string&, bool, bool, std::unique_ptr<IDevice>&) { return kOpenDenied; }

bool ServiceOnBus()
{
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0)
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", &error, &reply, "s", "org.freedesktop.UDisks2") >= 0)
        sd_bus_message_read(reply, "b", &owned);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return owned != 0;
}

// A bus daemon of the test's own standing in for the system bus, with the
// stand-in udisks2 service on it. Both end with the object, and the bus
// address the process had is restored.
class CStandInUdisks {
public:
    ~CStandInUdisks()
    {
        StopService();
        if (daemon_ > 0)
            kill(daemon_, SIGTERM);
        if (oldAddress_)
            setenv(kAddressVariable, oldAddress_->c_str(), 1);
        else
            unsetenv(kAddressVariable);
    }

    // Starts both; "" when the service is on the bus, else why it is not.
    std::string Start(const std::string& parameters)
    {
        if (const char* old = std::getenv(kAddressVariable))
            oldAddress_ = old;
        if (std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") != 0)
            return "python3-dbusmock is not installed";
        FILE* out = popen("dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1", "r");
        if (out == nullptr)
            return "dbus-daemon cannot be run";
        char address[512] = {};
        long pid = 0;
        const bool read = std::fgets(address, sizeof address, out) != nullptr && std::fscanf(out, "%ld", &pid) == 1;
        pclose(out);
        if (!read || pid <= 0)
            return "dbus-daemon did not start";
        daemon_ = static_cast<pid_t>(pid);
        address[std::strcspn(address, "\n")] = '\0';
        setenv(kAddressVariable, address, 1);

        std::string python = "/usr/bin/python3", m = "-m", module = "dbusmock", t = "--template",
                    templ = UDISKS_STANDIN, p = "-p", params = parameters;
        char* argv[] = {python.data(), m.data(), module.data(), t.data(), templ.data(), p.data(), params.data(), nullptr};
        if (posix_spawn(&service_, argv[0], nullptr, nullptr, argv, environ) != 0)
            return "the stand-in service cannot be run";
        // Wait until it has claimed its name (or has ended).
        for (int tries = 0; tries < 400; ++tries) {
            if (ServiceOnBus())
                return "";
            int status = 0;
            if (waitpid(service_, &status, WNOHANG) == service_) {
                service_ = -1;
                return "the stand-in service ended at start";
            }
            usleep(25 * 1000);
        }
        return "the stand-in service did not come up";
    }

    void StopService()
    {
        if (service_ <= 0)
            return;
        kill(service_, SIGTERM);
        waitpid(service_, nullptr, 0);
        service_ = -1;
    }

private:
    pid_t daemon_ = -1;
    pid_t service_ = -1;
    std::optional<std::string> oldAddress_;
};

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
            R"({"devices": {"sdz": {"image": ")" + card + R"("}, "sdw": {"image": ")" + protectedCard +
            R"(", "readonly": true}, "sdy": {"refuse": true}}})");
        if (!why.empty())
            GTEST_SKIP() << "no stand-in udisks2 service: " << why;
    }
    CTempDir dir;
    const std::string card = dir.File("card.img");
    const std::string protectedCard = dir.File("protected.img");
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(5120 + 2 * 144384 + 512);
    CStandInUdisks udisks;
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
