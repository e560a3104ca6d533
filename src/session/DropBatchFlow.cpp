#include "DropBatchFlow.h"

#include "CCardSession.h"
#include "CQuietInteraction.h"
#include "ClipLoadFlow.h"
#include "ClipWriteFlow.h"
#include "DropSlots.h"
#include "Texts.h"

#include <filesystem>

namespace {

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// `text` on one line: `path` left out, line breaks and runs of blanks made
// one blank.
std::string OneLine(std::string text, const std::string& path)
{
    if (!path.empty()) {
        for (std::size_t at = text.find(path); at != std::string::npos; at = text.find(path, at))
            text.erase(at, path.size());
    }
    std::string line;
    for (char c : text) {
        const bool blank = c == '\n' || c == '\r' || c == ' ' || c == '\t';
        if (!blank)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// One file of several: loaded and written into `slot`; why it was not
// written in `reason`, and in `stopped` whether the drop ends with it.
bool WriteOneOfMany(CCardSession& session, const std::string& path, int slot, IInteraction& ui, IProgress& progress,
                    IFlowHost& host, FlowReason& reason, bool& stopped)
{
    session.ClearAbort();
    const LoadResult load = LoadClip(session, path, ui, host);
    reason.Note(load.reason);
    int outcome = -1;
    if (session.ClipReady()) {
        const WriteResult write = WriteClipFile(session, slot, ui, progress, &host);
        if (write.outcome == kWriteDone)
            return true;
        outcome = write.outcome;
        reason.Note(write.reason);
    }
    // Abort, a transfer to the card that failed, or another card in the
    // reader ends the drop; a file its checks refused does not.
    stopped = session.AbortPressed() || outcome == kWriteAborted || outcome == kWriteCompactionStopped ||
              outcome == kWriteCardChanged || outcome == kWriteCardReadOnly;
    return false;
}

void WriteMany(CCardSession& session, const std::vector<std::string>& files, int first, IInteraction& user,
               IProgress& progress, IFlowHost& host, DropResult& result)
{
    CQuietInteraction ui(user);
    bool stopped = false;
    int slot = first;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        // The first file goes into the slot dropped on, each next one into
        // the empty slot at or after the one before.
        if (i > 0 && !stopped)
            slot = NextEmptySlot(session.Disk(), slot);
        std::string why;
        if (stopped) {
            why = LoadText(kIdsOperationAborted);
        } else if (slot < 0) {
            why = LoadText(kIdsNoEmptySlot);
        } else {
            FlowReason reason;
            if (WriteOneOfMany(session, path, slot, ui, progress, host, reason, stopped)) {
                ++result.written;
                continue;
            }
            why = reason.Known() ? OneLine(reason.text, path)
                                 : LoadText(stopped ? kIdsOperationAborted : kIdsCancelled);
        }
        result.refused.push_back(FileNameOf(path) + ": " + why);
    }
    std::string refused;
    for (const std::string& line : result.refused)
        refused += line + "\n";
    std::string summary =
        FormatText(kIdsDropSummary, result.written, static_cast<int>(files.size()), refused.c_str());
    while (!summary.empty() && (summary.back() == '\n' || summary.back() == ' '))
        summary.pop_back();
    user.Show(kIdsDropSummary, refused.empty() ? kMsgInfo : kMsgWarning, summary);
}

} // namespace

int LoadAndWrite(CCardSession& session, const std::string& path, int slot, IInteraction& ui, IProgress& progress,
                 IFlowHost& host)
{
    LoadClip(session, path, ui, host);
    if (!session.ClipReady())
        return -1;
    return WriteClipFile(session, slot, ui, progress, &host).outcome;
}

DropResult DropFilesIntoSlots(CCardSession& session, const std::vector<std::string>& files, int slot,
                              IInteraction& ui, IProgress& progress, IFlowHost& host)
{
    DropResult result;
    if (session.IsBusy() || files.empty() || !session.CardReady() || slot < 0 || slot >= kSlotCount)
        return result;
    // A clip already there is not replaced by a slip of the mouse.
    if (session.SlotHoldsClip(slot) && ShowMessage(ui, kIdsAskWriteAtSlot, kMsgYesNoDefNo, slot + 1) != kIdYes)
        return result;
    if (files.size() == 1) {
        if (LoadAndWrite(session, files.front(), slot, ui, progress, host) == kWriteDone)
            result.written = 1;
    } else {
        WriteMany(session, files, slot, ui, progress, host, result);
    }
    return result;
}
