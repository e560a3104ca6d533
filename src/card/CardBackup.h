// Keeping a whole card in a file: a card image of the card's size holding
// its FAT area and every clip's clusters at their places, free clusters
// left as holes (a sparse file), each clip read back from the file and
// compared. The image is written beside FILE under a temporary name and
// renamed over FILE only when it is whole, so an abort or a failure leaves
// no partial backup and whatever FILE held before. Only regular files are
// written: a device, pipe or folder named as FILE is refused.
#pragma once
#include "CardCopier.h"

#include <string>

class CDisk;
class IInteraction;
class IProgress;

enum CardBackupResult : int {
    kBackupDone = 0,    // FILE holds the card, flushed; "Backup complete" shown
    kBackupNotDone = 1, // refused or declined: nothing written
    kBackupFailed = 2,  // failed or aborted (message shown); no backup left
};

// Backs `source` (open and loaded, opened from `sourcePath`) up into
// `path`. An existing FILE is replaced only when the user agrees.
int BackupCard(CDisk& source, const std::string& sourcePath, const std::string& path, IInteraction& ui,
               IProgress& progress, ICardCopyView* view = nullptr, bool verify = true);
