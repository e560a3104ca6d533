// What CDisk does for the table history (TableHistory.h) of the card it has
// open: before each table write, the FAT area it replaces goes into the
// card's state folder with the digests of its clips' first and last
// frames. Digests are taken before the program first writes a cluster of
// the opening and kept for the opening, so a table replaced after a clip
// moved over its own old place still carries the frames it named. Nothing
// here ever fails a card operation: what cannot be kept is logged.
#pragma once
#include "CardIdentity.h"
#include "CardLayout.h"
#include "Device.h"
#include "TableHistory.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CTableKeeper {
public:
    // A new opening: nothing known of its clips.
    void Reset();
    // Before cluster `cluster` is written while `current` is the table in
    // memory: the first time in an opening, the digests of its clips are
    // taken; a run no longer in it whose first or last frame the write
    // overwrites is forgotten.
    void BeforeClusterWrite(IDevice& device, const CardIdentity& id, const std::vector<ClipRecord>& current,
                            std::uint32_t cluster);
    // Keeps `replaced` (the FAT area on the card, about to be replaced by
    // `next`) in the card's history, named by `operation`. A table of no
    // clips, or the same as `next`, is not kept.
    void Keep(IDevice& device, const CardIdentity& id, const std::vector<std::uint8_t>& replaced,
              const std::vector<std::uint8_t>& next, int operation);

    // The digests of the first and last frame of a run as the card holds
    // them now (`known` false when a frame cannot be read).
    static KeptClip ReadDigests(IDevice& device, std::uint32_t firstSector, std::uint16_t frames);

private:
    // The card has a key and its state folder can be made (once an
    // opening): without one nothing is read for the history.
    bool Enabled(const CardIdentity& id);
    const KeptClip& Digests(IDevice& device, std::uint32_t firstSector, std::uint16_t frames);

    std::map<std::pair<std::uint32_t, std::uint16_t>, KeptClip> digests_;
    bool primed_ = false;
    bool checked_ = false;
    std::string folder_;
};
