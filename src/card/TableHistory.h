// The history of a card's tables in its state folder: before the program
// writes a card's table, the FAT area it replaces is kept there with the
// time, the operation and the digests of the first and last frame of every
// clip it names, so that a table lost by a format, a delete or damage can
// be put back while its clips are still whole. One file per kept table,
// the newest kHistoryLength kept.
#pragma once
#include "FrameDigest.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kHistoryLength = 50;

// A clip run of a kept table and the digests of its first and last frame
// (`known` false when they could not be read).
struct KeptClip {
    std::uint32_t firstSector = 0;
    std::uint16_t frames = 0;
    bool known = false;
    FrameDigest first;
    FrameDigest last;
};

struct KeptTable {
    std::string file;          // where it is kept (set by the loader)
    std::int64_t time = 0;     // seconds since 1970, when it was replaced
    int operation = 0;         // TableOperation that replaced it
    std::vector<std::uint8_t> fat; // kFatSize bytes
    std::vector<KeptClip> clips;
};

// Writes `table` into `folder` as a new file (written whole, then renamed
// into place) and removes the oldest files beyond kHistoryLength. False
// when it cannot be written; the folder is then as it was.
bool SaveKeptTable(const std::string& folder, const KeptTable& table);

// The tables kept in `folder`, newest first; unreadable files are left out.
std::vector<KeptTable> LoadHistory(const std::string& folder);
