// Owning handles of sd-bus's connection, message and error objects, so that
// every path of a D-Bus call releases what it took.
#pragma once
#include <systemd/sd-bus.h>

#include <memory>
#include <string>

struct SdBusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct SdBusMessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusPtr = std::unique_ptr<sd_bus, SdBusUnref>;
using MessagePtr = std::unique_ptr<sd_bus_message, SdBusMessageUnref>;

class CBusError {
public:
    CBusError() = default;
    CBusError(const CBusError&) = delete;
    CBusError& operator=(const CBusError&) = delete;
    ~CBusError() { sd_bus_error_free(&error_); }
    sd_bus_error* Get() { return &error_; }
    const char* Name() const { return error_.name; }
    bool Is(const char* name) const { return sd_bus_error_has_name(&error_, name) != 0; }
    std::string Message() const { return error_.message != nullptr ? error_.message : ""; }

private:
    sd_bus_error error_ = SD_BUS_ERROR_NULL;
};
