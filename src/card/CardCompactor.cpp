// Compaction of the card, one clip at a time, lowest start first.
#include "CardCompactor.h"

#include "CDisk.h"
#include "Log.h"
#include "Progress.h"

#include <memory>
#include <string_view>

namespace {

// Moves the clip of `run` down by `shift` clusters, frame by frame in
// ascending order (safe although the runs overlap: the destination always
// lies below the source). Returns true when the clip now lies at its new
// place, false when it still lies, intact, at its old one.
bool MoveClip(CDisk& disk, const ClusterRun& run, int shift, int listPosition, std::uint8_t* buffer,
              IProgress& progress)
{
    // The old run is first overwritten by the write of frame `shift`. Until
    // then a failure leaves the clip whole at its old place, so the move
    // stops there; afterwards it goes on to the last frame, since the new
    // place is then the only one left.
    bool oldRunTouched = false;
    for (int h = 0; h < run.length; ++h) {
        bool ok = disk.ReadCluster(run.start + h, buffer) != 0;
        // A destination whose source could not be read is left unwritten.
        if (ok) {
            ok = disk.WriteCluster(run.start + h - shift, buffer) != 0;
            if (ok && h >= shift)
                oldRunTouched = true;
        }
        if (!ok) {
            progress.SetAbort();
            if (!oldRunTouched)
                return false;
        }
        progress.Set(listPosition + 1);
        progress.Pump(); // an Abort takes effect after this clip
    }
    if (!disk.Flush()) {
        progress.SetAbort();
        if (!oldRunTouched)
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
        if (MoveClip(disk, run, shift, static_cast<int>(i), buffer.get(), progress)) {
            // The first sector moves down by whole clusters: one that a
            // card's table put inside a cluster keeps its place in it.
            const ClipRecord clip = disk.Clips()[static_cast<std::size_t>(run.slot)];
            const TableChange change =
                disk.RecordClip(run.slot, std::string_view(clip.name, kNameLength), clip.frames,
                                clip.firstSector - static_cast<std::uint32_t>(kSectorsPerCluster) * static_cast<std::uint32_t>(shift));
            if (!change.Stored())
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
