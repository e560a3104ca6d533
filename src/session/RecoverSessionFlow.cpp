#include "RecoverSessionFlow.h"

#include "CCardSession.h"
#include "CSessionProgress.h"
#include "CardListFlow.h"
#include "Interaction.h"
#include "WritableCard.h"

#include <functional>

namespace {

// Runs `write` for the chosen card; a card written to (or whose write
// failed half-way) is read again, so that the window shows what it holds.
int Write(CCardSession& session, IInteraction& ui, const std::function<int(CDisk&)>& write)
{
    if (session.IsBusy() || !session.Disk().IsOpen())
        return kRecoverNotDone;
    if (!ChosenCardStillThere(session)) {
        ReportCardChanged(session, ui);
        return kRecoverNotDone;
    }
    // Held for reading alone until now.
    if (OpenChosenCardForWriting(session, ui) != kCardWritable)
        return kRecoverNotDone;
    int result = kRecoverNotDone;
    {
        CFlowScope scope(session.FlowInteraction(), ui);
        CBusyGuard busy(session.Busy());
        result = write(session.Disk());
        if (result == kRecoverDone || result == kRecoverWriteFailed)
            session.Disk().ReadFAT();
    }
    if (result == kRecoverDone || result == kRecoverWriteFailed) {
        session.SetCurrentPlaylist(-1);
        session.NotifyCard();
    }
    return result;
}

} // namespace

std::vector<EarlierTable> SessionEarlierTables(CCardSession& session)
{
    if (session.IsBusy() || !session.Disk().IsOpen())
        return {};
    return EarlierTables(session.Disk());
}

bool FindSessionRuns(CCardSession& session, IInteraction& ui, IProgress& progress, std::vector<FoundRun>& runs)
{
    runs.clear();
    if (session.IsBusy() || !session.Disk().IsOpen())
        return false;
    CFlowScope scope(session.FlowInteraction(), ui);
    session.ClearAbort();
    CSessionProgress sessionProgress(progress, session.Busy());
    const bool found = FindFrameRuns(session.Disk(), runs, &sessionProgress);
    if (!found && (progress.Aborted() || session.AbortPressed()))
        ShowMessage(ui, kIdsOperationAborted, kMsgInfo);
    return found;
}

int PutBackSessionTable(CCardSession& session, IInteraction& ui, const EarlierTable& table, bool partial)
{
    return Write(session, ui, [&](CDisk& disk) { return PutBackEarlierTable(disk, ui, table, partial); });
}

int RecordSessionRuns(CCardSession& session, IInteraction& ui, const std::vector<FoundRun>& runs)
{
    return Write(session, ui, [&](CDisk& disk) { return RecordFoundRuns(disk, ui, runs); });
}
