#include "ClipVerifier.h"

#include "AlignedBuffer.h"
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
    if (!disk.DropCachedClusters(firstCluster, frames))
        return Stop(progress, kVerifyReadFailed);
    CAlignedBuffer buffer;
    const std::uint8_t* run = nullptr;
    for (int f = 0; f < frames; ++f) {
        const int inRun = f % kClustersPerRead;
        if (inRun == 0) {
            run = disk.ReadClusterRun(firstCluster + f, std::min(kClustersPerRead, frames - f), buffer);
            if (run == nullptr)
                return Stop(progress, kVerifyReadFailed);
        }
        if (!written.Matches(f, run + static_cast<std::size_t>(inRun) * kClusterSize)) {
            LogMessage("verify: cluster %d differs from frame %d", firstCluster + f, f);
            mismatchFrame = f;
            if (IInteraction* ui = disk.Interaction())
                ShowMessage(*ui, kIdsVerifyMismatch, kMsgError, f + 1, frames);
            return Stop(progress, kVerifyMismatch);
        }
        progress.Set(f + 1);
        if (progress.Pump())
            return kVerifyStopped;
    }
    return kVerifyMatch;
}
