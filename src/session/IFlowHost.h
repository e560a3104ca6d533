// What only a front end can do for a flow: the file dialog that names a
// converted file, and the sign of a short wait without progress (the
// window's wait cursor). Tests answer from a script.
#pragma once
#include <string>

class IFlowHost {
public:
    virtual ~IFlowHost() = default;
    // The path the converted file is saved as; empty when cancelled.
    virtual std::string ChooseConvertedFile() = 0;
    // A short piece of work begins (true) or ends (false); messages are
    // shown outside of it.
    virtual void Waiting(bool /*on*/) {}
};

// Waiting(true) for its scope.
class CHostWait {
public:
    explicit CHostWait(IFlowHost& host) : host_(host) { host_.Waiting(true); }
    ~CHostWait() { host_.Waiting(false); }
    CHostWait(const CHostWait&) = delete;
    CHostWait& operator=(const CHostWait&) = delete;

private:
    IFlowHost& host_;
};
