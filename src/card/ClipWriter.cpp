// Writing a clip onto the card: checks, placement, frame loop, commit.
#include "ClipWriter.h"

#include "CDisk.h"
#include "CardCompactor.h"
#include "ClipVerifier.h"
#include "CodePage.h"
#include "ConversionProgress.h"
#include "FrameDigests.h"
#include "FrameSource.h"
#include "FrameTransfer.h"
#include "Interaction.h"
#include "Log.h"
#include "Paths.h"
#include "Progress.h"
#include "Settings.h"
#include "Texts.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

std::vector<ClusterRun> UsedRuns(const CDisk& disk)
{
    std::vector<ClusterRun> runs;
    const std::vector<ClipRecord>& clips = disk.Clips();
    for (std::size_t i = 0; i < clips.size(); ++i) {
        if (clips[i].frames == 0)
            continue;
        ClusterRun run;
        run.start = static_cast<int>(CDisk::ClusterOfSector(clips[i].firstSector));
        run.length = clips[i].frames;
        run.slot = static_cast<int>(i);
        runs.push_back(run);
    }
    return runs;
}

void SortRuns(std::vector<ClusterRun>& runs)
{
    for (std::size_t i = 0; i < runs.size(); ++i) {
        std::size_t min = i;
        for (std::size_t j = i + 1; j < runs.size(); ++j) {
            if (runs[j].start < runs[min].start)
                min = j;
        }
        if (min != i)
            std::swap(runs[i], runs[min]);
    }
}

namespace {

// Appends the end marker when the last clip ends before the end of the card.
void AddEndMarker(std::vector<ClusterRun>& runs, int totalClusters)
{
    if (!runs.empty() && runs.back().start + runs.back().length < totalClusters) {
        ClusterRun marker;
        marker.start = totalClusters;
        runs.push_back(marker);
    }
}

int FirstFit(const std::vector<ClusterRun>& runs, int frames, int limit)
{
    long long position = 0;
    for (const ClusterRun& run : runs) {
        if (run.start - position >= frames && position + frames <= limit)
            return static_cast<int>(position);
        position = static_cast<long long>(run.start) + run.length;
    }
    return -1;
}

int TargetSlot(const CDisk& disk, int selectedSlot)
{
    if (selectedSlot >= 0)
        return selectedSlot < kSlotCount ? selectedSlot : -1;
    const std::vector<ClipRecord>& clips = disk.Clips();
    for (std::size_t i = 0; i < clips.size(); ++i) {
        if (clips[i].frames == 0)
            return static_cast<int>(i);
    }
    return -1;
}

// Finds a run for `frames` clusters, compacting the card while the free
// space is split. Returns the first cluster, or -1 when compaction stopped.
int PlaceClip(CDisk& disk, int frames, IProgress& progress, IClipWriteView* view,
              ClipWriteReport& report)
{
    // Past a real capacity that a test of the card found, nothing is kept.
    const int total = static_cast<int>(disk.UsableClusters());
    for (;;) {
        std::vector<ClusterRun> runs = UsedRuns(disk);
        SortRuns(runs);
        if (!runs.empty()) {
            LogMessage("fragmentation report:");
            for (const ClusterRun& run : runs)
                LogMessage("file: %d at cluster: %d len: %d", run.slot, run.start, run.length);
        }
        const int position = FindFreeRun(runs, frames, total);
        if (position >= 0) {
            if (!runs.empty())
                LogMessage("free chunk found at cluster: %d", position);
            return position;
        }
        // One full pass leaves a single free run at the end that holds the
        // whole free space, which the room check has found large enough.
        if (report.compactions > 0) {
            if (IInteraction* ui = disk.Interaction())
                ShowMessage(*ui, kIdsNoRoom, kMsgError);
            return -1;
        }
        ++report.compactions;
        if (!CompactCard(disk, runs, progress, view))
            return -1;
    }
}

// The checks before anything is deleted or written: the length, and the
// room, which counts the clusters of the slot's former clip as free.
// kWriteDone when the source may be written, else the refusal (its message
// shown).
int CheckSource(const CDisk& disk, int slot, int frames)
{
    int refusal = kWriteDone;
    int message = 0;
    const long long room = static_cast<long long>(disk.FreeClusters()) + disk.Clips()[static_cast<std::size_t>(slot)].frames;
    if (frames < kMinClipFrames) {
        refusal = kWriteTooShort;
        message = kIdsFileTooShort;
    } else if (frames > kMaxClipFrames) {
        // A slot records at most 65534 frames (65535 is the empty-slot
        // marker); a truncated count, or the marker, would leave the clip's
        // clusters counted as free, so longer sources are refused before
        // anything is deleted or written.
        refusal = kWriteTooLong;
        message = kIdsFileTooLong;
    } else if (frames > room) {
        refusal = kWriteNoRoom;
        message = kIdsNoRoom;
    } else if (frames > room - (static_cast<long long>(disk.TotalClusters()) - disk.UsableClusters())) {
        // Every clip takes room below the real capacity, one lying past it
        // too (a compaction moves it down).
        refusal = kWriteBeyondCapacity;
        message = kIdsBeyondRealCapacity;
    }
    if (refusal == kWriteBeyondCapacity && disk.Interaction() != nullptr)
        disk.Interaction()->Show(message, kMsgError, BeyondCapacityText(disk));
    else if (refusal != kWriteDone && disk.Interaction() != nullptr)
        ShowMessage(*disk.Interaction(), message, kMsgError);
    return refusal;
}

// Deletes the slot's former clip (after its question): kWriteDone when the
// slot is empty on the card now, kWriteNothing when the deletion was
// declined, kWriteAborted ("Operation aborted." shown) when it could not be
// stored.
int DeleteFormerClip(CDisk& disk, int slot, IClipWriteView& redraw, ClipDeletion& deletion)
{
    if (!disk.DeleteClip(slot, &deletion))
        return kWriteNothing;
    if (!deletion.Done())
        return kWriteDone;
    redraw.ClipDeleted(deletion);
    // The card still lists the former clip when its deletion could not be
    // stored; writing over its clusters now would leave the card's table
    // pointing at foreign frames.
    if (!deletion.Stored()) {
        if (IInteraction* ui = disk.Interaction())
            ShowMessage(*ui, kIdsOperationAborted, kMsgInfo);
        return kWriteAborted;
    }
    return kWriteDone;
}

// The clusters a streamed source may fill from `position` on: the free run
// there, at most a slot's worth.
int StreamRoom(const CDisk& disk, int position)
{
    long long end = disk.TotalClusters();
    for (const ClusterRun& run : UsedRuns(disk)) {
        if (run.start >= position && run.start < end)
            end = run.start;
    }
    return static_cast<int>(std::min<long long>(end - position, kMaxClipFrames));
}

// The frame loop: frame f into cluster position + f, its digest kept in
// `written` for the read-back (none without one), then the flush that puts
// the frames on the card. `frames` gets the frames written: the source's
// count, or what a streamed source gave up to its end. False when Abort or a
// failure stopped it (a streamed source that outgrows its room shows why).
bool WriteFrames(CDisk& disk, int position, IFrameSource& source, IProgress& progress, CFrameDigests* written,
                 int& frames)
{
    const bool streamed = source.Streamed();
    const int room = streamed ? StreamRoom(disk, position) : source.FrameCount();
    bool overran = false;
    frames = TransferFrames(
        streamed ? room + 1 : room, progress, ProgressStep::kSetThenPump,
        [&](int f, std::uint8_t* buffer) {
            LogMessage("trying to read frame %d", f);
            if (source.ReadFrame(f, buffer) != 0)
                return 1;
            return streamed && source.Ended() ? -1 : 0;
        },
        [&](int f, const std::uint8_t* buffer) {
            // One frame more than the room: the clip would not fit.
            if (f == room) {
                overran = true;
                return false;
            }
            if (!disk.WriteCluster(position + f, buffer))
                return false;
            if (written != nullptr)
                written->Record(f, buffer);
            return true;
        });
    if (overran) {
        LogMessage("source longer than its room: %d clusters", room);
        if (IInteraction* ui = disk.Interaction())
            ShowMessage(*ui, room == kMaxClipFrames ? kIdsFileTooLong : kIdsNoRoom, kMsgError);
    }
    if (progress.Aborted())
        return false;
    // The frames must be on the card before the slot records them.
    if (!disk.Flush()) {
        progress.SetAbort();
        return false;
    }
    return true;
}

} // namespace

bool VerifyAfterWriting() { return GetProfileInt("Options", "Verify", 1) != 0; }

int FindFreeRun(std::vector<ClusterRun> sortedRuns, int frames, int totalClusters)
{
    if (sortedRuns.empty())
        return frames <= totalClusters ? 0 : -1;
    AddEndMarker(sortedRuns, totalClusters);
    return FirstFit(sortedRuns, frames, totalClusters);
}

int WriteClip(CDisk& disk, int selectedSlot, IFrameSource& source, IProgress& progress,
              IClipWriteView* view, ClipWriteReport* reportOut, bool verify)
{
    ClipWriteReport localReport;
    ClipWriteReport& report = reportOut != nullptr ? *reportOut : localReport;
    report = ClipWriteReport();
    IClipWriteView noView;
    IClipWriteView& redraw = view != nullptr ? *view : noView;
    if (!disk.IsOpen() || !disk.IsLoaded())
        return report.outcome = kWriteNothing;

    const int slot = TargetSlot(disk, selectedSlot);
    report.slot = slot;
    if (slot < 0)
        return report.outcome = kWriteNothing;
    const int frames = source.FrameCount();
    if (const int refusal = CheckSource(disk, slot, frames); refusal != kWriteDone)
        return report.outcome = refusal;
    if (const int refusal = DeleteFormerClip(disk, slot, redraw, report.deletion); refusal != kWriteDone)
        return report.outcome = refusal;

    LogMessage("writing file %d, : %d clusters", slot, frames);
    // A streamed source's exact count is known only at its end: its run is
    // reserved with the few frames its timeline may round to, as far as the
    // card has room for them.
    const int reserve = source.Streamed() ? std::min(frames + kStreamSlackFrames, disk.FreeClusters()) : frames;
    const int position = PlaceClip(disk, reserve, progress, view, report);
    if (position < 0) {
        redraw.UpdateControls();
        return report.outcome = kWriteCompactionStopped;
    }
    report.firstCluster = position;

    progress.Begin(frames + 1);
    redraw.UpdateControls();
    // A conversion that runs while its clip is written is named with its
    // file, its percentage and the time left; a file's frames with the slot.
    CConversionProgress converting(progress, FileName(source.SourcePath()));
    if (source.Streamed())
        converting.Start(frames + 1);
    else
        progress.SetCaptionText(FormatText(kIdsWritingClip, slot + 1), false);
    IProgress& frameProgress = source.Streamed() ? static_cast<IProgress&>(converting) : progress;
    CFrameDigests written;
    int given = 0;
    bool tooShort = false;
    if (WriteFrames(disk, position, source, frameProgress, verify ? &written : nullptr, given)) {
        // A streamed source may end before a clip's worth of frames.
        tooShort = given < kMinClipFrames;
        if (tooShort) {
            progress.SetAbort();
        } else if (verify) {
            report.verified = VerifyClip(disk, position, written, progress, report.mismatchFrame) == kVerifyMatch;
        }
    }
    report.frames = given;

    if (!progress.Aborted()) {
        const std::string name = Utf8ToCard(BaseName(source.SourcePath()));
        const TableChange change = disk.RecordClip(slot, name, given, CDisk::SectorOfCluster(static_cast<std::uint32_t>(position)));
        if (!change.Stored())
            progress.SetAbort();
        progress.Set(frames + 1);
        redraw.ClipRecorded(slot, change);
    }
    progress.Set(frames + 1);
    const bool aborted = progress.Aborted();
    // The front end is idle again (no bar, no Abort) before it says how the
    // write ended.
    progress.End();
    redraw.UpdateControls();
    if (IInteraction* ui = disk.Interaction(); ui && tooShort)
        ShowMessage(*ui, kIdsFileTooShort, kMsgError);
    else if (ui)
        ShowMessage(*ui, aborted ? kIdsOperationAborted : kIdsWriteCompleted, kMsgInfo);
    if (tooShort)
        return report.outcome = kWriteTooShort;
    return report.outcome = aborted ? kWriteAborted : kWriteDone;
}

std::string BeyondCapacityText(const CDisk& disk)
{
    return FormatText(kIdsBeyondRealCapacity, static_cast<unsigned long long>(disk.RealCapacity() / 1048576u),
                      static_cast<int>(disk.UsableClusters()));
}
