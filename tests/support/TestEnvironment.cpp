#include "TestEnvironment.h"

std::vector<CardCandidate> NoCardReaders() { return {}; }

DeviceOpener OpenerOf(std::shared_ptr<MemoryDeviceState> state)
{
    return [state](const std::string&, bool, std::unique_ptr<IDevice>& device) {
        device = std::make_unique<CMemoryDevice>(state);
        return static_cast<int>(kOpenOk);
    };
}
