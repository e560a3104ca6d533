// Putting a backup (or any card image, or another card) back onto a card:
// the clone onto one target (CardClone.h). The clips keep their places when
// the card reaches the last used cluster, else they are packed from cluster
// 0; a card without the room is refused before anything is written.
#pragma once
#include "CardClone.h"

// Restores `source` (open and loaded, opened from `sourcePath`) onto
// `target` (open), named `targetName` in the question and the messages.
// The results of CloneCard.
int RestoreCard(CDisk& source, const std::string& sourcePath, CDisk& target, const std::string& targetName,
                const std::string& targetPath, IInteraction& ui, IProgress& progress, ICardCopyView* view = nullptr,
                bool verify = true, CopyTarget* copied = nullptr);
