#include "ClipWriteFlow.h"

#include "CCardSession.h"
#include "CSessionProgress.h"
#include "CardListFlow.h"
#include "ConvertingWrite.h"
#include "DvFrame.h"
#include "IFlowHost.h"
#include "MediaResult.h"
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

// The one question before a file is converted on its way to the card, with
// the check box that keeps a DV copy; the copy's path from the save dialog
// in `keep`. False when the user says no or cancels the dialog.
bool AskConvertWhileWriting(CCardSession& session, IInteraction& ui, IFlowHost* host, std::string& keep)
{
    std::string question = LoadText(kIdsAskConvertWhileWriting);
    const int frames = session.ClipFrames();
    const std::size_t at = question.find("%2");
    if (at != std::string::npos)
        question.replace(at, 2, frames > 0 ? FormatFrameTime(frames) : std::string("?"));
    question = InsertArgument(question, session.FilePath());
    MessageCheck copy{LoadText(kIdsKeepDvCopy), false};
    const int answer = host != nullptr ? ui.ShowChecked(kIdsAskConvertWhileWriting, kMsgYesNo, question, copy)
                                       : ui.Show(kIdsAskConvertWhileWriting, kMsgYesNo, question);
    if (answer != kIdYes)
        return false;
    if (!copy.checked)
        return true;
    ShowMessage(ui, kIdsChooseConvertedName, kMsgInfo);
    keep = host->ChooseConvertedFile();
    return !keep.empty();
}

// The write of a file to convert; the conversion's failure is the reason
// when it is the first thing that went wrong.
int WriteConverting(CCardSession& session, int slot, const std::string& keep, IInteraction& ui, IProgress& progress,
                    IClipWriteView& view, WriteResult& result, int& frames)
{
    ConvertingWriteOptions options;
    options.aspect = AspectSetting();
    options.keepPath = keep;
    options.verify = VerifyAfterWriting();
    ConvertingWriteReport report;
    const int outcome = WriteConvertedClip(session.Disk(), slot, session.FilePath(), options, progress, &view, &report);
    result.report = report.write;
    frames = report.conversion.converted;
    const ResultMessage conversion = ConversionMessage(report.conversionResult);
    // The converting write leaves this one to its caller.
    if (report.conversionResult == kMediaNotVideo)
        ShowResult(ui, conversion, keep, session.FilePath());
    result.reason.Note(conversion, keep, session.FilePath());
    return outcome;
}

} // namespace

WriteResult WriteClipFile(CCardSession& session, int slot, IInteraction& ui, IProgress& progress, IFlowHost* host)
{
    WriteResult result;
    if (session.IsBusy() || !session.ClipReady())
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
    std::string keep;
    if (session.ClipToConvert() && !AskConvertWhileWriting(session, ui, host, keep))
        return result;
    CSessionProgress sessionProgress(progress, session.Busy());
    CSessionWriteView view(session);
    CDisk& disk = session.Disk();
    disk.ForgetFailure();
    int frames = session.ClipFrames();
    if (session.ClipToConvert()) {
        result.outcome = WriteConverting(session, slot, keep, ui, sessionProgress, view, result, frames);
    } else {
        result.outcome = WriteClip(disk, slot, session.ClipFile(), sessionProgress, &view, &result.report,
                                   VerifyAfterWriting());
    }
    result.reason.Note(ReasonOf(disk, result, frames, progress.Aborted()));
    return result;
}
