// Desktop notifications: a short message the desktop shows outside the
// program's windows (org.freedesktop.Notifications's Notify on the user's
// session bus, through libsystemd's sd-bus). The window uses it to say how
// a long operation ended while the user works in another program.
#pragma once
#include <string>

class IDesktopNotifier {
public:
    virtual ~IDesktopNotifier() = default;
    // Shows `body` under `summary`. False when no notification could be
    // shown (no session bus, no notification service), with the reason in
    // `why` for the log; that is not an error of the operation it was
    // about.
    virtual bool Notify(const std::string& summary, const std::string& body, std::string& why) = 0;
};

// The notification service on the session bus, as libsystemd finds it
// ($DBUS_SESSION_BUS_ADDRESS, else the user's bus in $XDG_RUNTIME_DIR).
// Each notification connects anew; a service that does not answer within
// a second is given up, so that the window never waits long.
class CBusNotifier : public IDesktopNotifier {
public:
    // `appName` is how the desktop groups the program's notifications.
    explicit CBusNotifier(std::string appName);
    bool Notify(const std::string& summary, const std::string& body, std::string& why) override;

private:
    std::string appName_;
};

// The program's own notifier ("tessaro"), alive for the whole run.
IDesktopNotifier& SessionBusNotifier();
