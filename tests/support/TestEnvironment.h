// What tests put in an environment (Environment.h) in place of the
// machine's: no card readers, so that only the card images a test names
// are drives, and an opener that opens every card on a device in memory.
#pragma once
#include "Environment.h"
#include "MemoryDevice.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The card readers of a machine without any.
std::vector<CardCandidate> NoCardReaders();

// Opens every card, whatever its path, on `state` (shared, not copied), for
// reading alone when asked so or when the state is write-protected.
DeviceOpener OpenerOf(std::shared_ptr<MemoryDeviceState> state);

// Puts a card reader's disk `name` holding a card of `bytes` bytes into the
// sysfs tree at `sysRoot` (a removable SCSI disk): its size, its disk
// sequence number and whether the kernel shows it read-only (`ro`, a card
// whose lock switch is set).
void PutCardReaderDisk(const std::string& sysRoot, const std::string& name, std::uint64_t bytes, bool readOnly,
                       std::uint64_t diskseq = 1);

// While it lives, environment variable `name` holds `value` (the program's
// state folder, for one); the old value comes back at the end.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const std::string& value);
    ~CScopedEnv();
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};
