// IDevice over a file descriptor: a block device or a card image file.
#pragma once
#include "Device.h"

class CFileDevice : public IDevice {
public:
    CFileDevice(int fd, std::uint64_t size);
    ~CFileDevice() override;
    CFileDevice(const CFileDevice&) = delete;
    CFileDevice& operator=(const CFileDevice&) = delete;

    std::uint64_t SizeBytes() const override { return size_; }
    long long ReadAt(std::uint64_t offset, void* buf, std::size_t len) override;
    long long WriteAt(std::uint64_t offset, const void* buf, std::size_t len) override;
    bool Flush() override;
    bool WriteBack(std::uint64_t offset, std::uint64_t len, bool wait) override;
    bool DropCache(std::uint64_t offset, std::uint64_t len) override;
    std::size_t DirectReadAlignment() const override { return directAlignment_; }
    // Reads through a second descriptor opened for direct reads alone
    // where the device or file can be opened again (root, an image the
    // user owns); else turns O_DIRECT on for the one read on the one
    // descriptor (udisks2's to an ordinary user), and off again. A file
    // system or device that refuses it is read through the cache from then
    // on.
    long long ReadDirectAt(std::uint64_t offset, void* buf, std::size_t len) override;
    void Prefetch(std::uint64_t offset, std::uint64_t len) override;
    // For an image file, where its file system says its next data is.
    std::uint64_t NextData(std::uint64_t offset) override;
    int LastError() const override { return lastError_; }
    bool Writable() const override { return writable_; }

private:
    // Notes errno as the last error when a transfer failed.
    long long Noted(long long transferred);

    int fd_;
    int directFd_ = -1; // opened with O_DIRECT, for reading alone
    std::uint64_t size_;
    // A block device's logical block size; a page for an image file, which
    // covers what its file system asks; 0 when direct reads failed once.
    std::size_t directAlignment_ = 0;
    bool file_ = false; // a regular file, whose holes its file system tells
    int lastError_ = 0;
    // The descriptor was opened for writing too.
    bool writable_ = false;
};

// Makes a device of an open descriptor of a block device or image file,
// taking it over: kOpenOk with `device` set, or kOpenNotCard (size 0, not a
// disk or file) with the descriptor closed.
int DeviceFromDescriptor(int fd, std::unique_ptr<IDevice>& device);
