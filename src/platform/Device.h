// A card device: a whole removable block device or a card image file, used
// by positioned synchronous transfers. Tests put a fault-injecting device in
// its place.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class IDevice {
public:
    virtual ~IDevice() = default;
    // Length in bytes.
    virtual std::uint64_t SizeBytes() const = 0;
    // Reads up to `len` bytes at `offset`; returns the bytes transferred, or
    // -1 on failure (LastError tells why).
    virtual long long ReadAt(std::uint64_t offset, void* buf, std::size_t len) = 0;
    virtual long long WriteAt(std::uint64_t offset, const void* buf, std::size_t len) = 0;
    // Makes every write so far durable on the medium; false on failure.
    virtual bool Flush() = 0;
    // The system error code of the last failed call (errno), 0 when none.
    virtual int LastError() const = 0;
};

// Results of opening a device, as CDisk::Open reports them.
enum OpenResult : int {
    kOpenOk = 0,
    kOpenNotCard = 1,
    kOpenDenied = 2,
};

// Opens a block device or image file for reading and writing. Gives
// kOpenDenied for EACCES/EPERM, kOpenNotCard for anything else that fails
// (no medium, size 0, missing file) and, when `requireRemovable` is set, for a
// block device that is not removable. `device` is set on kOpenOk only.
int OpenDevicePath(const std::string& path, bool requireRemovable,
                   std::unique_ptr<IDevice>& device);

// The opener that card discovery uses: OpenDevicePath unless tests put
// another in its place (to simulate refused access or fixed disks).
using DeviceOpener = int (*)(const std::string& path, bool requireRemovable,
                             std::unique_ptr<IDevice>& device);
void SetDeviceOpener(DeviceOpener opener); // nullptr restores OpenDevicePath
int OpenCardDevice(const std::string& path, bool requireRemovable,
                   std::unique_ptr<IDevice>& device);
