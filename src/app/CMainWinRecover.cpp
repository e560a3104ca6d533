// The main window's Recover clips...: the earlier tables kept for the card
// and the runs of frames found on it, shown in the recovery dialog, and
// what the user ticks brought back by the session's flow, which asks
// first; the window then shows the card read again. A card whose table
// does not read is offered this before Format.
#include "CMainWin.h"

#include "AlignedBuffer.h"
#include "CRecoverDlg.h"
#include "CWaitCursor.h"
#include "CreateDibBitmap.h"
#include "FramePicture.h"
#include "RecoverSessionFlow.h"
#include "Texts.h"

namespace {

// Cards of up to this many clusters are searched in well under a second:
// a wait cursor, not the progress bar.
constexpr std::uint32_t kQuickSearchClusters = 4096;

} // namespace

QImage CMainWin::ClusterThumbnail(std::uint32_t cluster)
{
    CDisk& disk = session_.Disk();
    if (!disk.IsOpen() || cluster >= disk.TotalClusters())
        return {};
    CAlignedBuffer buffer;
    const std::uint8_t* frame = disk.ReadClusterRun(static_cast<int>(cluster), 1, buffer);
    if (frame == nullptr)
        return {};
    std::vector<std::uint8_t> pixels;
    const int code = DecodeThumbnailPixels(frame, pixels, env_.decoderPresent);
    if (code != 0) {
        session_.WarnNoDecoder(*ui_, code);
        return {};
    }
    return CreateDibBitmap(kThumbWidth, kThumbHeight, 32, pixels.data());
}

void CMainWin::OnRecoverClips()
{
    if (Busy() || !session_.Disk().IsOpen())
        return;
    std::vector<EarlierTable> tables;
    std::vector<FoundRun> runs;
    bool found = false;
    if (session_.Disk().TotalClusters() <= kQuickSearchClusters) {
        CWaitCursor wait;
        CNullProgress quick;
        tables = SessionEarlierTables(session_);
        found = FindSessionRuns(session_, *ui_, quick, runs);
    } else {
        {
            CWaitCursor wait;
            tables = SessionEarlierTables(session_);
        }
        found = FindSessionRuns(session_, *ui_, *progress_, runs);
    }
    // Stopped, or a read failed: its message was shown.
    if (!found)
        return;
    if (tables.empty() && runs.empty()) {
        ShowMessage(*ui_, kIdsRecoverNothing, kMsgInfo);
        return;
    }
    RecoverChoice choice;
    {
        CRecoverDlg dialog(tables, runs, [this](std::uint32_t cluster) { return ClusterThumbnail(cluster); }, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        choice = dialog.Choice();
    }
    if (choice.table >= 0 && choice.table < static_cast<int>(tables.size())) {
        PutBackSessionTable(session_, *ui_, tables[static_cast<std::size_t>(choice.table)], choice.partial);
        return;
    }
    std::vector<FoundRun> chosen;
    for (int i : choice.runs) {
        if (i >= 0 && i < static_cast<int>(runs.size()))
            chosen.push_back(runs[static_cast<std::size_t>(i)]);
    }
    if (!chosen.empty())
        RecordSessionRuns(session_, *ui_, chosen);
}

bool CMainWin::OfferRecoveryBeforeFormat()
{
    // As the window shows it: "Not formatted" for a card whose table was
    // read but does not decode; a read that failed has shown its message.
    const CDisk& disk = session_.Disk();
    if (!disk.IsOpen() || disk.IsLoaded() || disk.LastFailure() != 0)
        return false;
    if (ShowMessage(*ui_, kIdsOfferRecover, kMsgYesNo) != kIdYes)
        return false;
    OnRecoverClips();
    return true;
}
