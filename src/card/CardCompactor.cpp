// Compaction of the card, one clip at a time, lowest start first.
#include "CardCompactor.h"

#include "CDisk.h"
#include "Log.h"
#include "Progress.h"
#include "Texts.h"

#include <memory>
#include <string_view>

namespace {

// Moves the clip of `run` down by `shift` clusters onto a run clear of its
// old one, frame by frame in ascending order. Returns true when the clip now
// lies at its new place, false when it still lies, intact, at its old one.
bool MoveClip(CDisk& disk, const ClusterRun& run, int shift, int listPosition, std::uint8_t* buffer,
              IProgress& progress)
{
    // The old run is not written: a failure leaves the clip whole there.
    for (int h = 0; h < run.length; ++h) {
        if (!disk.ReadCluster(run.start + h, buffer) || !disk.WriteCluster(run.start + h - shift, buffer)) {
            progress.SetAbort();
            return false;
        }
        progress.Set(listPosition + 1);
        progress.Pump(); // an Abort takes effect after this clip
    }
    if (!disk.Flush()) {
        progress.SetAbort();
        return false;
    }
    return true;
}

} // namespace

bool CompactCard(CDisk& disk, std::vector<ClusterRun>& sortedRuns, IProgress& progress,
                IClipWriteView* view)
{
    LogMessage("do defrag...");
    progress.Begin(static_cast<int>(disk.TotalClusters()) + 1);
    if (view != nullptr)
        view->UpdateControls();
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kClusterSize]());

    int next = 0;
    for (std::size_t i = 0; i < sortedRuns.size(); ++i) {
        ClusterRun& run = sortedRuns[i];
        if (run.slot < 0)
            continue;
        const int shift = run.start - next;
        if (shift <= 0) {
            next = run.start + run.length;
            continue;
        }
        progress.SetCaptionText(FormatText(kIdsMovingClip, run.slot + 1), false);
        // A move over the clip's own old run is one the card can finish
        // after a power cut (CDisk::MoveOverOwnRun).
        const bool overOwnRun = shift < run.length;
        bool moved = false;
        if (overOwnRun) {
            bool failed = false;
            const int listPosition = static_cast<int>(i);
            const int result = disk.MoveOverOwnRun(run.slot, shift,
                                                   [&progress, listPosition] {
                                                       progress.Set(listPosition + 1);
                                                       progress.Pump(); // an Abort takes effect after this clip
                                                   },
                                                   failed);
            if (failed || result != kMoveDone)
                progress.SetAbort();
            moved = result == kMoveDone;
        } else {
            moved = MoveClip(disk, run, shift, static_cast<int>(i), buffer.get(), progress);
        }
        if (moved) {
            // The first sector moves down by whole clusters: one that a
            // card's table put inside a cluster keeps its place in it.
            const ClipRecord clip = disk.Clips()[static_cast<std::size_t>(run.slot)];
            const TableChange change =
                disk.RecordClip(run.slot, std::string_view(clip.name, kNameLength), clip.frames,
                                clip.firstSector - static_cast<std::uint32_t>(kSectorsPerCluster) * static_cast<std::uint32_t>(shift));
            if (!change.Stored())
                progress.SetAbort();
            if (overOwnRun && !disk.EndMove(change.Stored()))
                progress.SetAbort();
            run.start -= shift;
            if (view != nullptr)
                view->ClipMoved(change);
        }
        if (progress.Aborted())
            break;
        next = run.start + run.length;
    }
    buffer.reset();
    progress.End();
    return !progress.Aborted();
}
