// Copying a whole card onto one or more cards or card images: the room
// check for each target, one question naming them all (what they hold is
// deleted), the copy (CardCopier.h), and a closing message for each target
// that is whole. A restore is a clone onto one target (CardRestore.h).
#pragma once
#include "CardCopier.h"

#include <string>
#include <vector>

class CDisk;
class IInteraction;
class IProgress;

enum CardCloneResult : int {
    kCloneDone = 0,     // every target is whole
    kCloneNotDone = 1,  // refused (no room, a target is the source) or declined: nothing written
    kCloneFailed = 2,   // a target failed, Abort, or the source failed; the others went on
};

// A card to copy onto: how the messages name it, the path it was opened
// from (to tell it from the source; empty when unknown) and the card.
struct CloneTarget {
    std::string name;
    std::string path;
    CDisk* disk = nullptr;
};

// Copies `source` (open and loaded; opened from `sourcePath`) onto every
// target. Refuses, with nothing written, a target that is the source or
// another target, or that has not the room for the clips (room needed and
// room there shown). `copied` (optional) gets each target's outcome.
int CloneCard(CDisk& source, const std::string& sourcePath, const std::vector<CloneTarget>& targets,
              IInteraction& ui, IProgress& progress, ICardCopyView* view = nullptr, bool verify = true,
              std::vector<CopyTarget>* copied = nullptr);
