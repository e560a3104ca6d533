#include "DesktopNotifier.h"

#include "SdBusHandles.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kObject = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr std::uint64_t kReplyTimeoutUsec = 1000ull * 1000;
// Notify's expiry: the service's own default.
constexpr std::int32_t kDefaultExpiry = -1;

} // namespace

CBusNotifier::CBusNotifier(std::string appName) : appName_(std::move(appName)) {}

bool CBusNotifier::Notify(const std::string& summary, const std::string& body, std::string& why)
{
    why.clear();
    sd_bus* raw = nullptr;
    if (const int r = sd_bus_open_user(&raw); r < 0) {
        why = std::string("no session bus: ") + std::strerror(-r);
        return false;
    }
    BusPtr bus(raw);
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &call, kService, kObject, kInterface, "Notify") < 0) {
        why = "the call cannot be made";
        return false;
    }
    MessagePtr message(call);
    // app_name, replaces_id, app_icon, summary, body, actions, hints,
    // expire_timeout.
    if (sd_bus_message_append(message.get(), "susss", appName_.c_str(), 0u, "", summary.c_str(), body.c_str()) < 0 ||
        sd_bus_message_append(message.get(), "as", 0) < 0 ||
        sd_bus_message_append(message.get(), "a{sv}", 0) < 0 ||
        sd_bus_message_append(message.get(), "i", kDefaultExpiry) < 0) {
        why = "the call cannot be made";
        return false;
    }
    CBusError error;
    sd_bus_message* reply = nullptr;
    const int r = sd_bus_call(bus.get(), message.get(), kReplyTimeoutUsec, error.Get(), &reply);
    MessagePtr answer(reply);
    if (r < 0) {
        why = error.Name() != nullptr ? error.Name() : std::strerror(-r);
        return false;
    }
    return true;
}

IDesktopNotifier& SessionBusNotifier()
{
    static CBusNotifier notifier("tessaro");
    return notifier;
}
