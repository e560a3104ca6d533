#include "CardCopyFlow.h"

#include "CCardSession.h"
#include "CSessionProgress.h"
#include "CardBackup.h"
#include "CardListFlow.h"
#include "CardOpening.h"
#include "CardRestore.h"
#include "ClipWriter.h"
#include "Texts.h"
#include "WritableCard.h"

#include <memory>

namespace {

// The list's name of a card by its number alone ("CARD1"): its text up to
// the first blank.
std::string ShortName(const ListedCard& card)
{
    const std::string& text = card.entry.text;
    return text.substr(0, text.find(' '));
}

// Keeps the first message a target shows while it is opened, to name the
// target with it; questions are answered No.
class CFirstMessage : public IInteraction {
public:
    int Show(int, unsigned flags, const std::string& text) override
    {
        if (first.empty())
            first = text;
        return (flags & kMbYesNo) == kMbYesNo ? kIdNo : kIdOk;
    }
    std::string first;
};

// The common frame of the three commands: the chosen card checked, the
// session busy and the flow's interaction named while `run` runs, the
// chosen card read again afterwards.
template <typename Run>
int RunOnChosenCard(CCardSession& session, IInteraction& ui, IProgress& progress, Run run)
{
    if (session.IsBusy() || !session.CardReady() || session.Cards().Chosen() == nullptr)
        return kCloneNotDone;
    if (!ChosenCardStillThere(session)) {
        ReportCardChanged(session, ui);
        return kCopyFlowCardChanged;
    }
    int result = kCloneNotDone;
    {
        CBusyGuard busy(session.Busy());
        CFlowScope scope(session.FlowInteraction(), ui);
        CSessionProgress sessionProgress(progress, session.Busy());
        session.Disk().ForgetFailure();
        result = run(*session.Cards().Chosen(), sessionProgress);
    }
    OpenChosenCard(session, ui);
    return result;
}

} // namespace

std::string ProposedBackupPath(const CCardSession& session)
{
    const ListedCard* chosen = session.Cards().Chosen();
    const std::string name = (chosen != nullptr ? ShortName(*chosen) : std::string("CARD")) + ".img";
    const std::string& last = session.FilePath();
    const std::size_t slash = last.find_last_of('/');
    return slash == std::string::npos ? name : last.substr(0, slash + 1) + name;
}

int BackupChosenCard(CCardSession& session, const std::string& path, IInteraction& ui, IProgress& progress)
{
    if (path.empty())
        return kBackupNotDone;
    return RunOnChosenCard(session, ui, progress, [&](const ListedCard& chosen, IProgress& p) {
        return BackupCard(session.Disk(), chosen.entry.path, path, ui, p, nullptr, VerifyAfterWriting());
    });
}

int RestoreChosenCard(CCardSession& session, const std::string& sourcePath, IInteraction& ui, IProgress& progress)
{
    if (sourcePath.empty())
        return kCloneNotDone;
    // The chosen card is held for reading alone: it is opened for writing
    // first, as every command that writes does.
    if (!session.IsBusy() && OpenChosenCardForWriting(session, ui) != kCardWritable)
        return kCloneNotDone;
    return RunOnChosenCard(session, ui, progress, [&](const ListedCard& chosen, IProgress& p) {
        CDisk source(session.Environment());
        source.SetInteraction(&session.FlowInteraction());
        const int opening = FinishOpening(source, source.OpenPath(sourcePath, kCardRead));
        if (opening != kCardLoaded) {
            // A card in use or a read failure has shown its message.
            if (opening != kCardInUse && !source.ErrorShown())
                ShowMessage(ui, kIdsNotCardImage, kMsgError, sourcePath.c_str());
            return static_cast<int>(kCloneNotDone);
        }
        return RestoreCard(source, sourcePath, session.Disk(), chosen.entry.text, chosen.entry.path, ui, p, nullptr,
                           VerifyAfterWriting());
    });
}

std::vector<int> CopyTargetCards(const CCardSession& session)
{
    std::vector<int> targets;
    const int chosen = session.Cards().ChosenIndex();
    const int count = static_cast<int>(session.Cards().Cards().size());
    for (int i = 0; i < count; ++i) {
        if (i != chosen)
            targets.push_back(i);
    }
    return targets;
}

int CloneChosenCard(CCardSession& session, const std::vector<int>& targets, IInteraction& ui, IProgress& progress)
{
    if (targets.empty())
        return kCloneNotDone;
    return RunOnChosenCard(session, ui, progress, [&](const ListedCard& chosen, IProgress& p) {
        const std::vector<ListedCard>& listed = session.Cards().Cards();
        std::vector<std::unique_ptr<CDisk>> disks;
        std::vector<CloneTarget> clones;
        bool someLeftOut = false;
        for (const int index : targets) {
            if (index < 0 || index >= static_cast<int>(listed.size()) || index == session.Cards().ChosenIndex())
                continue;
            const ListedCard& card = listed[static_cast<std::size_t>(index)];
            auto disk = std::make_unique<CDisk>(session.Environment());
            CFirstMessage opening;
            disk->SetInteraction(&opening);
            const int opened = OpenListedCard(*disk, card, opening, kCardWrite);
            if (opened == kCardInUse || opened == kCardDenied || opened == kCardNotOpened || disk->ErrorShown()) {
                const std::string reason = opening.first.empty() ? LoadText(kIdsCardAccessError) : opening.first;
                ShowMessage(ui, kIdsCopyTargetFailed, kMsgError, card.entry.text.c_str(), reason.c_str());
                someLeftOut = true;
                continue;
            }
            disk->SetInteraction(&session.FlowInteraction());
            clones.push_back(CloneTarget{card.entry.text, card.entry.path, disk.get()});
            disks.push_back(std::move(disk));
        }
        if (clones.empty())
            return static_cast<int>(someLeftOut ? kCloneFailed : kCloneNotDone);
        const int result =
            CloneCard(session.Disk(), chosen.entry.path, clones, ui, p, nullptr, VerifyAfterWriting());
        return result == kCloneDone && someLeftOut ? static_cast<int>(kCloneFailed) : result;
    });
}
