#include "ClipVerifier.h"

#include "CDisk.h"
#include "FrameDigests.h"
#include "Interaction.h"
#include "Log.h"
#include "Progress.h"

#include <memory>

namespace {

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
    std::unique_ptr<std::uint8_t[]> actual(new std::uint8_t[kClusterSize]);
    for (int f = 0; f < frames; ++f) {
        if (!disk.ReadCluster(firstCluster + f, actual.get()))
            return Stop(progress, kVerifyReadFailed);
        if (!written.Matches(f, actual.get())) {
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
