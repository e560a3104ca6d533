// Which card the user chose, by what it is rather than by its place in a
// list: the device node or image path, its size, and for a block device the
// kernel's disk sequence number, new whenever a medium is inserted or a
// reader appears. Before anything is written, the open device must still be
// this card.
#pragma once
#include <cstdint>
#include <string>

struct ChosenCard {
    std::string path;
    std::uint64_t sizeBytes = 0;
    std::uint64_t diskSequence = 0; // 0: the kernel gives none (or an image)
    int listIndex = -1;             // its place in the listing, for the log

    bool operator==(const ChosenCard& other) const
    {
        return path == other.path && sizeBytes == other.sizeBytes && diskSequence == other.diskSequence;
    }
};

// The card at `path` of `sizeBytes` bytes as sysfs below `sysRoot` shows it
// now.
ChosenCard IdentifyCard(const std::string& path, std::uint64_t sizeBytes, const std::string& sysRoot);
// The card at `path` now, whatever was opened there: an image file's size
// as it is now, a block device's as sysfs gives it; `openSize` (the opened
// device's) when neither tells.
ChosenCard PresentCard(const std::string& path, std::uint64_t openSize, const std::string& sysRoot);
