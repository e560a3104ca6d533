#include "StandInBus.h"

#include <systemd/sd-bus.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

CStandInBus::CStandInBus(Kind kind)
    : kind_(kind), variable_(kind == kSystemBus ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS")
{
    if (const char* old = std::getenv(variable_))
        oldAddress_ = old;
}

CStandInBus::~CStandInBus()
{
    StopService();
    if (daemon_ > 0)
        kill(daemon_, SIGTERM);
    if (oldAddress_)
        setenv(variable_, oldAddress_->c_str(), 1);
    else
        unsetenv(variable_);
}

bool CStandInBus::ServiceOnBus(const std::string& busName) const
{
    sd_bus* bus = nullptr;
    if ((kind_ == kSystemBus ? sd_bus_open_system(&bus) : sd_bus_open_user(&bus)) < 0)
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", &error, &reply, "s", busName.c_str()) >= 0)
        sd_bus_message_read(reply, "b", &owned);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return owned != 0;
}

std::string CStandInBus::Start(const std::string& templ, const std::string& parameters, const std::string& busName,
                               const std::string& logFile)
{
    if (std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") != 0)
        return "python3-dbusmock is not installed";
    // A daemon with the session bus's rules either way: one of the system
    // bus's own would take the machine's system bus socket.
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
    setenv(variable_, address, 1);

    const char* kind = kind_ == kSystemBus ? "--system" : "--session";
    std::vector<std::string> args = {"/usr/bin/python3", "-m", "dbusmock", kind, "--template", templ, "-p", parameters};
    if (!logFile.empty()) {
        args.push_back("-l");
        args.push_back(logFile);
    }
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&service_, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return "the stand-in service cannot be run";
    // Wait until it has claimed its name (or has ended).
    for (int tries = 0; tries < 400; ++tries) {
        if (ServiceOnBus(busName))
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

void CStandInBus::StopService()
{
    if (service_ <= 0)
        return;
    kill(service_, SIGTERM);
    waitpid(service_, nullptr, 0);
    service_ = -1;
}
