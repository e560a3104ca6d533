#include "TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

std::vector<CardCandidate> NoCardReaders() { return {}; }

DeviceOpener OpenerOf(std::shared_ptr<MemoryDeviceState> state)
{
    return [state](const std::string&, bool, bool write, std::unique_ptr<IDevice>& device) {
        ++(write ? state->writeOpenings : state->readOpenings);
        device = std::make_unique<CMemoryDevice>(state, write && !state->writeProtected);
        return static_cast<int>(kOpenOk);
    };
}

void PutCardReaderDisk(const std::string& sysRoot, const std::string& name, std::uint64_t bytes, bool readOnly,
                       std::uint64_t diskseq)
{
    const std::string disk = sysRoot + "/block/" + name;
    std::filesystem::create_directories(disk + "/device");
    std::ofstream(disk + "/size") << bytes / 512 << "\n";
    std::ofstream(disk + "/removable") << "1\n";
    std::ofstream(disk + "/device/type") << "0\n";
    std::ofstream(disk + "/diskseq") << diskseq << "\n";
    std::ofstream(disk + "/ro") << (readOnly ? 1 : 0) << "\n";
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
