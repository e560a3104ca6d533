#include "TestEnvironment.h"

#include <cstdlib>

std::vector<CardCandidate> NoCardReaders() { return {}; }

DeviceOpener OpenerOf(std::shared_ptr<MemoryDeviceState> state)
{
    return [state](const std::string&, bool, bool write, std::unique_ptr<IDevice>& device) {
        ++(write ? state->writeOpenings : state->readOpenings);
        device = std::make_unique<CMemoryDevice>(state, write && !state->writeProtected);
        return static_cast<int>(kOpenOk);
    };
}

CScopedEnv::CScopedEnv(const char* name, const std::string& value) : name_(name)
{
    if (const char* old = std::getenv(name))
        old_ = old;
    setenv(name, value.c_str(), 1);
}

CScopedEnv::~CScopedEnv()
{
    if (old_)
        setenv(name_.c_str(), old_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}
