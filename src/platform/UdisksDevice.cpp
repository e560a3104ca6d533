#include "UdisksDevice.h"

#include "BlockDeviceInfo.h"
#include "FileDevice.h"
#include "MountInfo.h"
#include "SdBusHandles.h"

#include <systemd/sd-bus.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>

namespace {

constexpr const char* kService = "org.freedesktop.UDisks2";
constexpr const char* kBlockInterface = "org.freedesktop.UDisks2.Block";
// The daemon's own answer when it could not open the device itself.
constexpr const char* kErrorFailed = "org.freedesktop.UDisks2.Error.Failed";
// Long enough for the user to read the password prompt and answer it; the
// window waits meanwhile, as for any other blocking transfer.
constexpr std::uint64_t kPromptTimeoutUsec = 120ull * 1000 * 1000;

// udisks2 names its block objects after the kernel name, every character
// other than a letter, digit or underscore written as _xx in hex.
std::string ObjectPath(const std::string& name)
{
    std::string path = "/org/freedesktop/UDisks2/block_devices/";
    for (const unsigned char c : name) {
        if (std::isalnum(c) != 0 || c == '_') {
            path += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "_%02x", c);
            path += hex;
        }
    }
    return path;
}

enum class Answer { Granted, Failed, Refused };

// One OpenDevice call with `mode` ("rw" or "r"). Granted sets `fd` (a
// descriptor of this process); Failed is the daemon's own failure to open
// the device (its text in `failure`); Refused is everything else.
Answer AskOpen(sd_bus* bus, const std::string& object, const char* mode, int& fd, std::string& failure)
{
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus, &raw, kService, object.c_str(), kBlockInterface,
                                       "OpenDevice") < 0)
        return Answer::Refused;
    MessagePtr call(raw);
    // Interactive authorisation lets polkit ask the desktop's agent for the
    // password instead of refusing at once.
    if (sd_bus_message_set_allow_interactive_authorization(call.get(), 1) < 0 ||
        sd_bus_message_append(call.get(), "s", mode) < 0 ||
        sd_bus_message_append(call.get(), "a{sv}", 1, "flags", "i", static_cast<std::int32_t>(O_EXCL)) < 0)
        return Answer::Refused;
    CBusError error;
    sd_bus_message* replyRaw = nullptr;
    if (sd_bus_call(bus, call.get(), kPromptTimeoutUsec, error.Get(), &replyRaw) < 0) {
        if (!error.Is(kErrorFailed))
            return Answer::Refused;
        failure = error.Message();
        return Answer::Failed;
    }
    MessagePtr reply(replyRaw);
    int received = -1;
    if (sd_bus_message_read(reply.get(), "h", &received) < 0 || received < 0)
        return Answer::Refused;
    // The descriptor belongs to the reply; keep a copy of our own.
    fd = fcntl(received, F_DUPFD_CLOEXEC, 3);
    return fd >= 0 ? Answer::Granted : Answer::Refused;
}

} // namespace

int OpenThroughUdisks(const std::string& name, bool write, std::unique_ptr<IDevice>& device, const std::string& sysRoot)
{
    if (name.empty())
        return kOpenDenied;
    // A mounted card cannot be opened exclusively: say so without asking
    // for a password first.
    if (!MountPointOfDisk(name, sysRoot).empty())
        return kOpenInUse;
    sd_bus* raw = nullptr;
    if (sd_bus_open_system(&raw) < 0)
        return kOpenDenied;
    BusPtr bus(raw);
    const std::string object = ObjectPath(name);
    std::string failure;
    const bool readOnly = !write || DiskWriteProtected(name, sysRoot);
    for (const std::string mode : {"rw", "r"}) {
        if (readOnly && mode == "rw")
            continue;
        int fd = -1;
        const Answer answer = AskOpen(bus.get(), object, mode.c_str(), fd, failure);
        if (answer == Answer::Granted)
            return DeviceFromDescriptor(fd, device);
        if (answer == Answer::Refused)
            return kOpenDenied;
        // The daemon could not open it for writing: perhaps a write-protected
        // card that sysfs does not show as such; try reading alone.
    }
    if (failure.find("busy") != std::string::npos || !MountPointOfDisk(name, sysRoot).empty())
        return kOpenInUse;
    return kOpenNotCard;
}
