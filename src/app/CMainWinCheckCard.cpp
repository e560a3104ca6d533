// The main window's Check card...: the quick probe for a fake capacity under
// the progress display with Abort, its report in the card-check dialog,
// and from there the full test (after its question) under the progress
// display again, its result shown in the same dialog. The tests are the
// session's flows; what they found is kept for the card.
#include "CMainWin.h"

#include "CCheckCardDlg.h"
#include "CardCheckFlow.h"

void CMainWin::OnCheckCard()
{
    if (Busy() || !session_.Disk().IsOpen())
        return;
    CardProbeReport probe;
    const int outcome = ProbeSessionCard(session_, *ui_, *progress_, probe);
    // Stopped or failed: its message was shown.
    if (outcome == kCheckNotRun || outcome == kProbeStopped || outcome == kProbeFailed)
        return;
    CCheckCardDlg dialog(probe, session_.CardReady(), this);
    while (dialog.exec() == CCheckCardDlg::kRunFullTest) {
        CardScanReport scan;
        const int result = ScanSessionCard(session_, *ui_, *progress_, scan);
        // Declined or failed: the dialog comes back as it was.
        if (result != kCheckNotRun && result != kScanFailed)
            dialog.ShowScan(scan, session_.Disk().TotalClusters());
    }
    UpdateControls();
}
