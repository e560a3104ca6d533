#include "CardCheckFlow.h"

#include "CCardSession.h"
#include "CSessionProgress.h"
#include "CardListFlow.h"
#include "CardTestReport.h"
#include "DvFrame.h"
#include "Interaction.h"
#include "WritableCard.h"

namespace {

// The card may be tested: open, not busy, and still the card chosen. The
// tests write free clusters: the card, held for reading alone, is opened
// for writing (a write-protected one says why it cannot be tested).
bool MayTest(CCardSession& session, IInteraction& ui)
{
    if (session.IsBusy() || !session.Disk().IsOpen())
        return false;
    if (!ChosenCardStillThere(session)) {
        ReportCardChanged(session, ui);
        return false;
    }
    return OpenChosenCardForWriting(session, ui) == kCardWritable;
}

} // namespace

int ProbeSessionCard(CCardSession& session, IInteraction& ui, IProgress& progress, CardProbeReport& report)
{
    if (!MayTest(session, ui))
        return kCheckNotRun;
    CFlowScope scope(session.FlowInteraction(), ui);
    session.ClearAbort();
    int outcome = kProbeFailed;
    {
        CSessionProgress sessionProgress(progress, session.Busy());
        outcome = ProbeCard(session.Disk(), sessionProgress, report);
    }
    if (outcome == kProbeGenuine || outcome == kProbeFake)
        KeepTestFinding(session.Disk(), report.realBytes);
    if (outcome == kProbeStopped)
        ShowMessage(ui, kIdsOperationAborted, kMsgInfo);
    return outcome;
}

int ScanSessionCard(CCardSession& session, IInteraction& ui, IProgress& progress, CardScanReport& report)
{
    // A card whose table does not read has no free clusters to write.
    if (!session.CardReady() || !MayTest(session, ui))
        return kCheckNotRun;
    if (ShowMessage(ui, kIdsAskScan, kMsgYesNoDefNo) != kIdYes)
        return kCheckNotRun;
    CFlowScope scope(session.FlowInteraction(), ui);
    session.ClearAbort();
    int outcome = kScanFailed;
    {
        CSessionProgress sessionProgress(progress, session.Busy());
        outcome = ScanCard(session.Disk(), IsPalDvFrame, sessionProgress, report);
    }
    if (outcome == kScanDone)
        KeepTestFinding(session.Disk(), report.realBytes);
    if (outcome == kScanStopped)
        ShowMessage(ui, kIdsOperationAborted, kMsgInfo);
    return outcome;
}
