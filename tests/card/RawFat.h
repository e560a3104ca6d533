// FAT areas written byte by byte at the offsets the card format gives,
// independently of the program's own encoder: the reference for the tests
// of the table layout, and the way to make tables the program never writes
// (damaged counts, unknown clips, odd flags).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace rawfat {

inline void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A FAT area as the card would hold it: 12 playlists, every field 0xFF.
inline std::vector<std::uint8_t> EmptyFat()
{
    std::vector<std::uint8_t> f(5120, 0xFF);
    f[0] = 12;
    f[1] = 0;
    return f;
}

// Clip record `record` (and its name, when given), counted in byte 1.
inline void PutClip(std::vector<std::uint8_t>& f, int record, std::uint16_t frames, std::uint32_t sector,
                    const char* name = nullptr, std::uint8_t attribute = 0)
{
    Put16(f, 3712 + 7 * record, frames);
    Put32(f, 3712 + 7 * record + 2, sector);
    f[3712 + 7 * record + 6] = attribute;
    if (name) {
        std::memset(&f[2560 + 8 * record], 0, 8);
        std::memcpy(&f[2560 + 8 * record], name, std::min<std::size_t>(8, std::strlen(name)));
    }
    ++f[1];
}

struct Entry {
    std::uint16_t frames;
    std::uint32_t sector;
    std::uint32_t transition = 0xA1000000u;
    std::uint16_t reserved = 0;
};

// Playlist j in tables A and B; `countB` (-1: the same) is table B's count.
inline void PutPlaylist(std::vector<std::uint8_t>& f, int j, std::uint8_t flags, const std::vector<Entry>& entries,
                        int countB = -1)
{
    const std::size_t a = 512 + 74 * j, b = 1536 + 74 * j;
    f[a] = flags;
    f[a + 1] = static_cast<std::uint8_t>(entries.size());
    f[b] = static_cast<std::uint8_t>(countB < 0 ? static_cast<int>(entries.size()) : countB);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        Put32(f, a + 2 + 6 * k, entries[k].transition);
        Put16(f, a + 6 + 6 * k, entries[k].reserved);
        Put16(f, b + 1 + 6 * k, entries[k].frames);
        Put32(f, b + 3 + 6 * k, entries[k].sector);
    }
}

} // namespace rawfat
