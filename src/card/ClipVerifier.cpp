#include "ClipVerifier.h"

#include "CDisk.h"
#include "FrameSource.h"
#include "Interaction.h"
#include "Log.h"
#include "Progress.h"

#include <cstring>
#include <memory>

namespace {

int Stop(IProgress& progress, int result)
{
    progress.SetAbort();
    return result;
}

} // namespace

int VerifyClip(CDisk& disk, int firstCluster, int frames, IFrameSource& source, IProgress& progress,
               int& mismatchFrame)
{
    mismatchFrame = -1;
    progress.SetCaption(kIdsVerifying);
    progress.Set(0);
    if (!disk.DropCachedClusters(firstCluster, frames))
        return Stop(progress, kVerifyReadFailed);
    // The source frame with the cluster's zero tail, and the card's cluster.
    std::unique_ptr<std::uint8_t[]> expected(new std::uint8_t[kClusterSize]);
    std::unique_ptr<std::uint8_t[]> actual(new std::uint8_t[kClusterSize]);
    std::memset(expected.get() + kFrameSize, 0, kClusterTail);
    for (int f = 0; f < frames; ++f) {
        if (!source.ReadFrame(f, expected.get()))
            return Stop(progress, kVerifyStopped);
        if (!disk.ReadCluster(firstCluster + f, actual.get()))
            return Stop(progress, kVerifyReadFailed);
        if (std::memcmp(expected.get(), actual.get(), kClusterSize) != 0) {
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
