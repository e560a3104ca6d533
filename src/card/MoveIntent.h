// The record of a clip's move down over its own old run, kept in the card's
// first spare sector (the one after the last cluster, which the player never
// reads) while the move runs: which clip goes from where to where, and how
// many of its frames already lie at the new place. Frames before `progress`
// are at the new run, the others at the old one; the copy advances the
// progress only after the frames it covers are on the card, so an opening
// after a power cut can finish the move (or undo it) from the record.
#pragma once
#include "CardLayout.h"

#include <cstdint>

struct MoveIntent {
    int slot = 0;       // the clip's slot when the move began
    int oldCluster = 0; // its first cluster before the move
    int newCluster = 0; // and after it
    int frames = 0;
    int progress = 0; // frames [0, progress) lie at the new run

    int Shift() const { return oldCluster - newCluster; }
    // A move of this program on a card of `totalClusters` clusters: down,
    // over its own old run, inside the card, progress within the clip.
    bool FitsCard(std::uint32_t totalClusters) const;

    // Into one sector: magic, the fields, a checksum of both; the rest zero.
    void EncodeTo(std::uint8_t* sector) const;
};

enum MoveIntentFound : int {
    kIntentNone = 0,    // no magic: the sector holds no record of ours
    kIntentValid = 1,   // `intent` holds it
    kIntentDamaged = 2, // the magic, but a checksum that does not match
};
int DecodeMoveIntent(const std::uint8_t* sector, MoveIntent& intent);
