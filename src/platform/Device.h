// A card device: a whole removable block device or a card image file, used
// by positioned synchronous transfers. Tests put a fault-injecting device in
// its place.
#pragma once
#include "BlockDeviceInfo.h"

#include <cstddef>
#include <cstdint>
#include <functional>
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
    // Write-back of the bytes written in [offset, offset + len): without
    // `wait` it is started and the call returns; with `wait` the call also
    // waits until every byte of the range has been handed to the medium (a
    // write-back started earlier included). False when it failed (a write
    // error of the range).
    virtual bool WriteBack(std::uint64_t offset, std::uint64_t len, bool wait) = 0;
    // Drops the range from the system's cache, so that the next reads of it
    // come from the medium. Only bytes already handed to the medium are
    // dropped (flush first). False on failure.
    virtual bool DropCache(std::uint64_t offset, std::uint64_t len) = 0;
    // The alignment, in bytes, that ReadDirectAt needs of its offset, its
    // length and its buffer (the device's logical block size); 0 when the
    // device reads only through the system's cache.
    virtual std::size_t DirectReadAlignment() const { return 0; }
    // Reads like ReadAt, but from the medium itself, past the system's cache
    // (direct I/O), with offset, length and buffer aligned as
    // DirectReadAlignment says. A device that cannot read so (or finds it
    // cannot after all) reads through the cache instead.
    virtual long long ReadDirectAt(std::uint64_t offset, void* buf, std::size_t len) { return ReadAt(offset, buf, len); }
    // Starts reading [offset, offset + len) into the system's cache, so that
    // reads of many small scattered ranges are under way together; only a
    // hint (a device without a cache ignores it).
    virtual void Prefetch(std::uint64_t offset, std::uint64_t len)
    {
        (void)offset;
        (void)len;
    }
    // The first offset at or after `offset` that may hold anything but zero
    // bytes: past the holes of a sparse image file (a backup) to its next
    // data, or the size when only holes follow. A device that cannot tell
    // gives `offset` back.
    virtual std::uint64_t NextData(std::uint64_t offset) { return offset; }
    // The system error code of the last failed call (errno), 0 when none.
    virtual int LastError() const = 0;
    // False for a device opened for reading alone: its writes fail.
    virtual bool Writable() const { return true; }
};

// Results of opening a device, as CDisk::Open reports them.
enum OpenResult : int {
    kOpenOk = 0,
    kOpenNotCard = 1,
    kOpenDenied = 2,
};
// A further result of the device openers below (never of CDisk::Open): the
// card is in use, by a mounted partition or another program holding it
// exclusively. Nothing was read or written.
inline constexpr int kOpenInUse = 3;

// Opens a block device or image file, with `write` for reading and writing,
// else for reading alone (closing a descriptor that could write makes the
// system read the disk's partitions again, and a desktop mount them). A
// write-protected card asked for writing is opened for reading alone. A
// block device is opened exclusively (O_EXCL) either way: kOpenInUse when
// the system holds it. Gives kOpenDenied for EACCES/EPERM, kOpenNotCard for anything else
// that fails (no medium, size 0, missing file). With `requireCard` a block
// device that is not a card reader's disk (BlockDeviceInfo.h) is kOpenNotCard
// without being opened. `device` is set on kOpenOk only.
int OpenDevicePath(const std::string& path, bool requireCard, bool write, std::unique_ptr<IDevice>& device);
// The same with the card test made on the sysfs tree at `sysRoot`.
int OpenDeviceUnder(const std::string& sysRoot, const std::string& path, bool requireCard, bool write,
                    std::unique_ptr<IDevice>& device);

// A direct opening of a device by path, with the results of OpenDevicePath:
// OpenDevicePath itself, or what a test puts in its place (refused access,
// cards in use or fixed disks, a device in memory, a loop device).
using DeviceOpener =
    std::function<int(const std::string& path, bool requireCard, bool write, std::unique_ptr<IDevice>& device)>;

// Opens a card: the direct opening `open` first; when that is refused for
// a device node (not an image file), the udisks2 service is asked for it
// (UdisksDevice.h), which lets a user without rights in after the
// desktop's password prompt.
//
// The request to udisks2 may wait minutes for the password. `wait` runs
// it and returns its result: empty, on the caller's thread (the command
// line); the window runs it on a worker thread and keeps drawing. sysfs is
// read below `sysRoot`.
using AuthorisationWait = std::function<int(const std::function<int()>& request)>;
int OpenCardDevice(const DeviceOpener& open, const std::string& path, bool requireCard, bool write,
                   std::unique_ptr<IDevice>& device, const std::string& sysRoot = kSysRoot,
                   const AuthorisationWait& wait = {});

// True when the card at `path` cannot be written, as far as is known
// without opening it for writing: a block device that sysfs below `sysRoot`
// shows read-only (a card's lock switch), or an image file this process
// may not write.
bool CardWriteProtected(const std::string& path, const std::string& sysRoot = kSysRoot);
