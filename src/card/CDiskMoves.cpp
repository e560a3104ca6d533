// Moves of a clip down over its own old run, made restartable by their
// record in the card's spare sector (MoveIntent.h), and the opening's
// finishing of a move that was interrupted.
//
// A move by `shift` clusters copies its frames in ascending steps of at
// most `shift` frames. The frames of a step land only on clusters of the
// old run whose frames already lie, flushed, at the new place, and the
// record names the frames done only once they are on the card. So after a
// cut, whatever the card kept of the writes since the last flush, the
// frames the record calls done are at the new run and all others at the
// old one. Undoing a move copies back the same way, in descending steps.
#include "CDisk.h"

#include "Interaction.h"
#include "Log.h"
#include "MoveIntent.h"
#include "TableJournal.h"

#include <algorithm>
#include <memory>
#include <string_view>

// The record shares the spare sector with the table journal
// (TableJournal.h), whose bytes from kJournalAt on are written as the
// program last left them.
bool CDisk::StoreMoveIntent(const MoveIntent& intent)
{
    LoadSpareSector();
    std::uint8_t sector[kSectorSize];
    intent.EncodeTo(sector);
    std::copy(spare_.begin() + kJournalAt, spare_.end(), sector + kJournalAt);
    std::copy(sector, sector + kSectorSize, spare_.begin());
    return WriteSpareSector(spare_.data());
}

bool CDisk::ClearMoveIntent()
{
    LoadSpareSector();
    std::fill(spare_.begin(), spare_.begin() + kJournalAt, std::uint8_t{0});
    return WriteSpareSector(spare_.data());
}

bool CDisk::CopyMoveSteps(MoveIntent& intent, int target, const std::function<void()>& eachFrame, bool& frameLost)
{
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kClusterSize]());
    const int shift = intent.Shift();
    while (intent.progress != target) {
        const bool forward = target > intent.progress;
        const int step = std::min(shift, forward ? target - intent.progress : intent.progress - target);
        const int first = forward ? intent.progress : intent.progress - step;
        for (int h = first; h < first + step; ++h) {
            const int from = (forward ? intent.oldCluster : intent.newCluster) + h;
            const int to = (forward ? intent.newCluster : intent.oldCluster) + h;
            if (ReadCluster(from, buffer.get())) {
                if (!WriteCluster(to, buffer.get()))
                    return false;
            } else if (forward && intent.progress == 0) {
                // The old run is still whole: the move stops there.
                return false;
            } else {
                // The frame cannot be had any more; its destination is left
                // unwritten and the move goes on.
                frameLost = true;
            }
            if (eachFrame)
                eachFrame();
        }
        if (!Flush())
            return false;
        intent.progress = forward ? intent.progress + step : intent.progress - step;
        if (!StoreMoveIntent(intent))
            return false;
    }
    return true;
}

int CDisk::MoveOverOwnRun(int slot, int shift, const std::function<void()>& eachFrame, bool& transferFailed)
{
    transferFailed = false;
    if (moveUnfinished_ || !TablesReady() || slot < 0 || slot >= kSlotCount)
        return kMoveNotStarted;
    const ClipRecord& clip = clips_[static_cast<std::size_t>(slot)];
    MoveIntent intent;
    intent.slot = slot;
    intent.oldCluster = static_cast<int>(ClusterOfSector(clip.firstSector));
    intent.newCluster = intent.oldCluster - shift;
    intent.frames = clip.frames;
    if (clip.frames == 0 || clip.firstSector < kFirstClusterSector || !intent.FitsCard(totalClusters_))
        return kMoveNotStarted;
    LogMessage("move over own run: clip %d from cluster %d to %d, %d frames", slot + 1, intent.oldCluster,
               intent.newCluster, intent.frames);
    if (!StoreMoveIntent(intent))
        return kMoveNotStarted;
    // A failure half-way is tried once more from the last step on the card,
    // so that a passing fault leaves no move for the next opening.
    if (CopyMoveSteps(intent, intent.frames, eachFrame, transferFailed))
        return kMoveDone;
    transferFailed = true;
    if (intent.progress > 0 && CopyMoveSteps(intent, intent.frames, eachFrame, transferFailed))
        return kMoveDone;
    if (intent.progress == 0) {
        // Nothing of the old run was overwritten: the clip stays there, and
        // a record the card keeps all the same only repeats the move.
        ClearMoveIntent();
        return kMoveNotStarted;
    }
    LogMessage("move stopped after %d of %d frames; the next opening finishes it", intent.progress, intent.frames);
    moveUnfinished_ = true;
    return kMoveStopped;
}

bool CDisk::EndMove(bool recorded)
{
    // The table names the new place in memory; one more write of it.
    if (!recorded && WriteFAT())
        recorded = true;
    if (!recorded) {
        // The card's table may still name the old place: the record stays,
        // and the next opening records the new one.
        moveUnfinished_ = true;
        return false;
    }
    return ClearMoveIntent();
}

bool CDisk::NewRunTaken(const MoveIntent& intent, int slot) const
{
    for (std::size_t s = 0; s < clips_.size(); ++s) {
        const ClipRecord& c = clips_[s];
        if (static_cast<int>(s) == slot || c.frames == 0 || c.firstSector < kFirstClusterSector)
            continue;
        const std::uint64_t start = ClusterOfSector(c.firstSector);
        if (start < static_cast<std::uint64_t>(intent.newCluster) + static_cast<std::uint64_t>(intent.frames) &&
            static_cast<std::uint64_t>(intent.newCluster) < start + c.frames)
            return true;
    }
    return false;
}

void CDisk::FinishInterruptedMove()
{
    // The sector as the opening read it, quietly: one that cannot be read
    // holds no record, and the player never reads it either.
    LoadSpareSector();
    MoveIntent intent;
    const int found = DecodeMoveIntent(spare_.data(), intent);
    if (found == kIntentNone)
        return;
    if (found == kIntentDamaged || !intent.FitsCard(totalClusters_)) {
        LogMessage("move record damaged, ignored");
        return;
    }
    LogMessage("interrupted move: clip %d from cluster %d to %d, %d frames, %d at the new place", intent.slot + 1,
               intent.oldCluster, intent.newCluster, intent.frames, intent.progress);

    // The clip by its run: the slots of a card are renumbered when read.
    int slot = -1;
    bool recorded = false;
    for (int s = 0; s < kSlotCount; ++s) {
        const ClipRecord& c = clips_[static_cast<std::size_t>(s)];
        if (c.frames != intent.frames || c.firstSector < kFirstClusterSector)
            continue;
        const int start = static_cast<int>(ClusterOfSector(c.firstSector));
        if (start == intent.oldCluster && (slot < 0 || s == intent.slot))
            slot = s;
        recorded = recorded || start == intent.newCluster;
    }
    if (slot < 0) {
        // Its new place is recorded already, or the card lists the clip no
        // more: only the record is left to clear.
        LogMessage(recorded ? "move already recorded" : "moved clip no longer listed");
        ClearMoveIntent();
        return;
    }

    // Where another clip took the new run since, the move cannot be
    // finished: the frames go back to the old run.
    const bool putBack = NewRunTaken(intent, slot);
    bool frameLost = false;
    const int target = putBack ? 0 : intent.frames;
    if (!CopyMoveSteps(intent, target, {}, frameLost) &&
        (intent.progress == 0 || !CopyMoveSteps(intent, target, {}, frameLost))) {
        // A move not yet begun leaves the clip whole at its old place.
        if (intent.progress == 0)
            ClearMoveIntent();
        else
            moveUnfinished_ = true;
        return;
    }
    if (!putBack) {
        const ClipRecord clip = clips_[static_cast<std::size_t>(slot)];
        const std::uint32_t firstSector =
            clip.firstSector - static_cast<std::uint32_t>(kSectorsPerCluster) * static_cast<std::uint32_t>(intent.Shift());
        if (!RecordClip(slot, std::string_view(clip.name, kNameLength), clip.frames, firstSector).Stored()) {
            moveUnfinished_ = true;
            return;
        }
    }
    ClearMoveIntent();
    LogMessage(putBack ? "interrupted move undone" : "interrupted move finished");
    // A warning: the terminal prints it on stderr, clear of what a command
    // prints (info --json).
    if (ui_ != nullptr)
        ShowMessage(*ui_, putBack ? kIdsMoveUndone : kIdsMoveFinished, kMsgWarning, slot + 1);
}
