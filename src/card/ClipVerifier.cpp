#include "ClipVerifier.h"

#include "AlignedBuffer.h"
#include "BackgroundTask.h"
#include "CDisk.h"
#include "FrameDigests.h"
#include "Interaction.h"
#include "Log.h"
#include "Progress.h"

#include <algorithm>

namespace {

// Clusters per read: large requests keep a card reader streaming (a USB
// reader above all), and 4.6 MB still answer Abort at once.
constexpr int kClustersPerRead = 32;

int Stop(IProgress& progress, int result)
{
    progress.SetAbort();
    return result;
}

} // namespace

int VerifyClip(CDisk& disk, int firstCluster, const CFrameDigests& written, IProgress& progress,
               int& mismatchFrame)
{
    mismatchFrame = -1;
    const int frames = written.Count();
    progress.SetCaption(kIdsVerifying);
    progress.Set(0);
    // The card reads the next run on a thread of its own while this one
    // computes the digests of the last: the card is never left waiting for
    // the comparison, nor the comparison for the card.
    CAlignedBuffer buffers[2];
    const std::uint8_t* runs[2] = {nullptr, nullptr};
    CBackgroundTask card;
    const auto read = [&](int slot, int f) {
        card.Start([&disk, &run = runs[slot], &buffer = buffers[slot], first = firstCluster + f,
                    count = std::min(kClustersPerRead, frames - f)] {
            run = disk.ReadCardRun(first, count, buffer);
        });
    };
    int slot = 0;
    if (frames > 0)
        read(slot, 0);
    for (int f = 0; f < frames; f += kClustersPerRead) {
        card.Wait();
        const std::uint8_t* run = runs[slot];
        if (run == nullptr) {
            disk.ReportError(false);
            return Stop(progress, kVerifyReadFailed);
        }
        if (f + kClustersPerRead < frames)
            read(1 - slot, f + kClustersPerRead);
        const int count = std::min(kClustersPerRead, frames - f);
        for (int i = 0; i < count; ++i) {
            if (!written.Matches(f + i, run + static_cast<std::size_t>(i) * kClusterSize)) {
                LogMessage("verify: cluster %d differs from frame %d", firstCluster + f + i, f + i);
                mismatchFrame = f + i;
                if (IInteraction* ui = disk.Interaction())
                    ShowMessage(*ui, kIdsVerifyMismatch, kMsgError, f + i + 1, frames);
                return Stop(progress, kVerifyMismatch);
            }
            progress.Set(f + i + 1);
            if (progress.Pump())
                return kVerifyStopped;
        }
        slot = 1 - slot;
    }
    return kVerifyMatch;
}
