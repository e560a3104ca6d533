// A card opened for reading alone that holds the record of an interrupted
// move (MoveIntent.h) is not written: finishing the move waits for an
// opening for writing, which ReadFAT then makes (FinishInterruptedMove).
// Meanwhile the moved clip is read frame by frame from where the record
// says its frames lie: those already copied at the new run, the others at
// the old one, so a thumbnail, a preview or an export shows the clip as the
// finished move will.
#include "CDisk.h"

#include "Interaction.h"
#include "Log.h"

void CDisk::NotePendingMove()
{
    pendingSlot_ = -1;
    // The spare sector as the opening's table journal check read it.
    MoveIntent intent;
    if (!device_ || DecodeMoveIntent(spare_.data(), intent) != kIntentValid || !intent.FitsCard(totalClusters_))
        return;
    // The clip still listed at its old place; a move already recorded
    // leaves only its record to clear, which waits too.
    for (int s = 0; s < kSlotCount && pendingSlot_ < 0; ++s) {
        const ClipRecord& c = clips_[static_cast<std::size_t>(s)];
        if (c.frames == intent.frames && c.firstSector >= kFirstClusterSector &&
            static_cast<int>(ClusterOfSector(c.firstSector)) == intent.oldCluster)
            pendingSlot_ = s;
    }
    if (pendingSlot_ < 0)
        return;
    pendingMove_ = intent;
    LogMessage("interrupted move of clip %d left for an opening for writing", pendingSlot_ + 1);
    if (ui_ != nullptr)
        ShowMessage(*ui_, writeProtected_ ? kIdsMovePendingProtected : kIdsMovePending, kMsgWarning, pendingSlot_ + 1);
}

std::uint64_t CDisk::FrameCluster(int slot, std::uint64_t first, int frame) const
{
    const std::uint64_t f = static_cast<std::uint64_t>(frame);
    if (slot != pendingSlot_ || frame >= pendingMove_.progress)
        return first + f;
    return static_cast<std::uint64_t>(pendingMove_.newCluster) + f;
}
