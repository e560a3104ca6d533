// A bus daemon of the test's own standing in for the system or the session
// bus, with a python3-dbusmock service on it (a template of dbusmock's own
// or a file of the tests). The bus address variable points at it while the
// object lives; both end with the object and the old address comes back.
#pragma once
#include <optional>
#include <string>
#include <sys/types.h>

class CStandInBus {
public:
    enum Kind { kSystemBus, kSessionBus };
    explicit CStandInBus(Kind kind);
    ~CStandInBus();
    CStandInBus(const CStandInBus&) = delete;
    CStandInBus& operator=(const CStandInBus&) = delete;

    // Starts the bus and the service of `templ` with `parameters` (JSON),
    // which logs every call it gets into `logFile` ("" for none), and waits
    // until it owns `busName`. "" when it does, else why not (the test is
    // then skipped).
    std::string Start(const std::string& templ, const std::string& parameters, const std::string& busName,
                      const std::string& logFile = "");
    // Ends the service; the bus stays, without it.
    void StopService();

private:
    bool ServiceOnBus(const std::string& busName) const;

    Kind kind_;
    const char* variable_;
    pid_t daemon_ = -1;
    pid_t service_ = -1;
    std::optional<std::string> oldAddress_;
};
