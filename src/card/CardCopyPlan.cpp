#include "CardCopyPlan.h"

#include "CDisk.h"
#include "ClipWriter.h"

CardCopyPlan PlanCardCopy(const CDisk& source, std::uint32_t targetClusters)
{
    CardCopyPlan plan;
    std::vector<ClusterRun> runs = UsedRuns(source);
    SortRuns(runs);
    long long lastEnd = 0;
    for (const ClusterRun& run : runs) {
        CopiedClip clip;
        clip.slot = run.slot;
        clip.sourceCluster = run.start;
        clip.targetCluster = run.start;
        clip.frames = run.length;
        plan.clips.push_back(clip);
        plan.framesNeeded += run.length;
        const long long end = static_cast<long long>(run.start) + run.length;
        lastEnd = end > lastEnd ? end : lastEnd;
    }
    if (lastEnd <= static_cast<long long>(targetClusters)) {
        plan.placement = kCopySamePlaces;
        plan.clustersNeeded = lastEnd;
        return plan;
    }
    // Packed: each clip right after the one before it, in the same order.
    plan.clustersNeeded = plan.framesNeeded;
    if (plan.framesNeeded > static_cast<long long>(targetClusters)) {
        plan.placement = kCopyNoRoom;
        return plan;
    }
    plan.placement = kCopyPacked;
    int next = 0;
    for (CopiedClip& clip : plan.clips) {
        clip.targetCluster = next;
        next += clip.frames;
    }
    return plan;
}
