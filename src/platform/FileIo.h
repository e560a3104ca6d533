// Whole transfers through a file descriptor: a call interrupted by a signal
// is made again and a short transfer goes on where it stopped, so that
// callers see all the bytes moved, or a failure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

// Reads `len` bytes at `offset`. Returns the bytes read, fewer when the
// file ends first, or -1 on failure (errno tells why).
long long ReadFully(int fd, std::uint64_t offset, void* buf, std::size_t len);

// Writes `len` bytes at `offset`. Returns the bytes written, fewer when the
// device takes no more, or -1 on failure (errno tells why).
long long WriteFully(int fd, std::uint64_t offset, const void* buf, std::size_t len);

// Writes `len` bytes at the descriptor's position (a file, a pipe...);
// false when any of them was not written.
bool WriteAll(int fd, const void* data, std::size_t len);

// Opens `path` for writing as an empty regular file (made with `mode` when
// it is new). Never blocks on a pipe, and never truncates, writes or keeps
// a descriptor of anything but a regular file, even one swapped in after
// the caller looked. -1 on failure (errno EINVAL for a device, pipe,
// socket or folder).
int OpenRegularOutput(const std::string& path, mode_t mode);
