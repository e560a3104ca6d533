// Which card a device or image is: what the system tells about it (serial,
// model, size, the kernel's disk sequence number), and a file-name-safe key
// made of it. The key names the card's folder of kept state (its table
// history), so the same card gets the same folder again when it comes back
// in another reader slot or under another device name.
#pragma once
#include "BlockDeviceInfo.h"

#include <cstdint>
#include <string>

struct CardIdentity {
    std::string path;           // device node or image path as opened
    bool image = false;
    std::uint64_t sizeBytes = 0;
    std::uint64_t diskseq = 0;  // sysfs block/NAME/diskseq, 0 where none
    std::string serial;         // udev ID_SERIAL_SHORT or sysfs device serial, "" where none
    std::string model;          // sysfs device/vendor + device/model, trimmed

    // File-name-safe folder name: serial and size, else model and size; for
    // an image its absolute path and size. "" when nothing identifies it
    // (no path, or a device without serial and model).
    std::string Key() const;
    // Same path and size, and the same disk sequence number where both
    // have one (a card taken out and put back gets a new one).
    bool SameCard(const CardIdentity& other) const;
};

// The identity of the card opened at `path` (`image`: a card image file,
// else a block device node) of `sizeBytes` bytes. A device's serial, model
// and disk sequence number are read from sysRoot (laid out like /sys); an
// image's path is made absolute.
CardIdentity IdentifyCard(const std::string& path, bool image, std::uint64_t sizeBytes,
                          const std::string& sysRoot = kSysRoot);
