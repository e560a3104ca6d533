#include "CardClone.h"

#include "CDisk.h"
#include "Interaction.h"
#include "SameFile.h"

namespace {

int MegaBytes(long long clusters) { return static_cast<int>(clusters * kClusterSize / 1048576); }

bool SamePlace(const std::string& a, const std::string& b) { return !a.empty() && !b.empty() && SameFile(a, b); }

} // namespace

int CloneCard(CDisk& source, const std::string& sourcePath, const std::vector<CloneTarget>& targets,
              IInteraction& ui, IProgress& progress, ICardCopyView* view, bool verify,
              std::vector<CopyTarget>* copied)
{
    std::vector<CopyTarget> local;
    std::vector<CopyTarget>& copies = copied != nullptr ? *copied : local;
    copies.clear();
    if (targets.empty() || !source.IsOpen() || !source.IsLoaded())
        return kCloneNotDone;
    std::string names;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const CloneTarget& t = targets[i];
        if (t.disk == nullptr || !t.disk->IsOpen())
            return kCloneNotDone;
        bool repeated = t.disk == &source || SamePlace(t.path, sourcePath);
        for (std::size_t k = 0; k < i; ++k)
            repeated = repeated || targets[k].disk == t.disk || SamePlace(targets[k].path, t.path);
        if (repeated) {
            ShowMessage(ui, kIdsCopyOntoItself, kMsgError, t.name.c_str());
            return kCloneNotDone;
        }
        CopyTarget copy;
        copy.name = t.name;
        copy.disk = t.disk;
        copy.plan = PlanCardCopy(source, t.disk->TotalClusters());
        if (copy.plan.placement == kCopyNoRoom) {
            const long long room = t.disk->TotalClusters();
            ShowMessage(ui, kIdsCopyNoRoom, kMsgError, t.name.c_str(), static_cast<int>(copy.plan.framesNeeded),
                        MegaBytes(copy.plan.framesNeeded), static_cast<int>(room), MegaBytes(room));
            return kCloneNotDone;
        }
        copies.push_back(copy);
        names += (i == 0 ? "" : ", ") + t.name;
    }
    if (ShowMessage(ui, kIdsAskCopyOnto, kMsgYesNoDefNo, names.c_str()) != kIdYes)
        return kCloneNotDone;

    const int result = CopyCardOnto(source, copies, progress, &ui, view, verify);
    for (const CopyTarget& t : copies) {
        if (t.state == kTargetWhole)
            ShowMessage(ui, kIdsCopyComplete, kMsgInfo, t.name.c_str(), t.clipsRecorded);
    }
    if (result == kCopyStopped)
        ShowMessage(ui, kIdsOperationAborted, kMsgInfo);
    return result == kCopyAllWhole ? kCloneDone : kCloneFailed;
}
