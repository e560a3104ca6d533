#include "ClipWriteFlow.h"

#include "CCardSession.h"
#include "CSessionProgress.h"
#include "CardListFlow.h"
#include "Texts.h"
#include "WritableCard.h"

namespace {

// What the session's views are told while a clip is written: the former
// clip's deletion and the new clip, not a clip that compaction moved (it
// looks the same).
class CSessionWriteView : public IClipWriteView {
public:
    explicit CSessionWriteView(CCardSession& session) : session_(session) {}

    void ClipDeleted(const TableChange& change) override { session_.NotifyTables(change); }
    void ClipRecorded(int slot, const TableChange& change) override
    {
        session_.NotifyTables(change);
        session_.NotifyClipWritten(slot);
    }

private:
    CCardSession& session_;
};

// Why the write did not complete, from its outcome and what failed.
FlowReason ReasonOf(const CDisk& disk, const WriteResult& result, int frames, bool aborted)
{
    FlowReason reason;
    const int outcome = result.outcome;
    if (outcome == kWriteDone)
        return reason;
    if (result.report.mismatchFrame >= 0)
        reason.Note(kIdsVerifyMismatch, kMsgError,
                    FormatText(kIdsVerifyMismatch, result.report.mismatchFrame + 1, frames));
    if (disk.LastFailure() != 0)
        reason.Note(disk.LastFailure(), kMsgError, LoadText(disk.LastFailure()));
    // Its text names the real capacity found for the card.
    if (outcome == kWriteBeyondCapacity)
        reason.Note(kIdsBeyondRealCapacity, kMsgError, BeyondCapacityText(disk));
    if (outcome == kWriteCompactionStopped && !aborted && !reason.Known())
        reason.Note(WriteMessage(kWriteNoRoom), {});
    reason.Note(WriteMessage(outcome), {});
    return reason;
}

} // namespace

WriteResult WriteClipFile(CCardSession& session, int slot, IInteraction& ui, IProgress& progress)
{
    WriteResult result;
    if (session.IsBusy() || !session.ClipFile().IsOpen())
        return result;
    if (!ChosenCardStillThere(session)) {
        result.outcome = kWriteCardChanged;
        ReportCardChanged(session, ui);
        result.reason.Note(kIdsCardChanged, kMsgError, LoadText(kIdsCardChanged));
        return result;
    }
    switch (OpenChosenCardForWriting(session, ui)) {
    case kCardWritable:
        break;
    case kCardChanged:
        result.outcome = kWriteCardChanged;
        result.reason.Note(kIdsCardChanged, kMsgError, LoadText(kIdsCardChanged));
        return result;
    case kCardReadOnly:
        result.outcome = kWriteCardReadOnly;
        result.reason.Note(kIdsCardReadOnly, kMsgError, LoadText(kIdsCardReadOnly));
        return result;
    default:
        result.outcome = kWriteCardReadOnly;
        return result;
    }
    CFlowScope scope(session.FlowInteraction(), ui);
    CSessionProgress sessionProgress(progress, session.Busy());
    CSessionWriteView view(session);
    CDisk& disk = session.Disk();
    disk.ForgetFailure();
    result.outcome = WriteClip(disk, slot, session.ClipFile(), sessionProgress, &view, &result.report,
                               VerifyAfterWriting());
    result.reason = ReasonOf(disk, result, session.ClipFile().FrameCount(), progress.Aborted());
    return result;
}
