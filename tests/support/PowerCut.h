// Power cuts as real cards (and the system's cache in front of them) take
// them. While an operation runs, the memory device records every write it
// stores and every flush that completes (WriteJournal). A cut falls after
// any event of that journal; the card then holds everything written before
// the last completed flush, plus any subset of the later writes, in any
// order, each whole or torn at a 512-byte boundary (only its first sectors
// landed). Cuts are drawn from a seeded generator, so a failing one can be
// drawn again from its seed.
#pragma once
#include "MemoryDevice.h"
#include "WriteJournal.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

struct PowerCut {
    // What reached the card of one write issued after the last flush.
    struct Landed {
        int event = 0;   // index of the write in the journal
        int sectors = 0; // its first sectors that landed: all of them is whole
    };
    int after = 0;               // the cut falls after this many events
    std::vector<Landed> landed;  // in the order they reached the card
    int lost = 0;                // writes after the last flush that never landed
    int torn = 0;                // of the landed, those torn

    // "after event 17 (write 12 of 30); 3 writes since the last flush: 1 whole, 1 torn, 1 lost"
    std::string Describe(const WriteJournal& journal) const;
};

// A cut after a uniformly drawn event of `journal`, each later write lost,
// whole or torn with the same chance: a write of the FAT area like any
// other.
PowerCut DrawPowerCut(const WriteJournal& journal, std::mt19937& random);

// The seed of the cuts: TESSARO_CUT_SEED from the environment, else
// `fallback`, so that a run can be repeated exactly.
unsigned PowerCutSeed(unsigned fallback);

// Puts into `card` what a card that held `before` holds after `cut` of
// `journal`, replaying the journal from its start.
void ApplyPowerCut(const MemoryDeviceState& before, const WriteJournal& journal, const PowerCut& cut,
                   MemoryDeviceState& card);

// The card as cuts of one journal leave it, from the card as it was before
// the journal's operation. Cuts applied in rising order of `after` replay
// only what lies between them.
class CPowerCutCard {
public:
    CPowerCutCard(const MemoryDeviceState& before, const WriteJournal& journal);
    // Puts into `card` what the card holds after `cut`.
    void Apply(const PowerCut& cut, MemoryDeviceState& card);

private:
    const MemoryDeviceState& before_;
    const WriteJournal& journal_;
    std::shared_ptr<MemoryDeviceState> durable_; // `before_` with the events up to a flush
    int durableEvents_ = 0;
};
