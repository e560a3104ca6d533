// The session's tests of the chosen card (CardProbe.h, CardScan.h): the
// quick probe for a fake capacity and, after its question, the full scan,
// each under the progress with Abort; what a completed test found is kept
// for the card, so that the writer honours it. The report is the caller's
// to show (CardTestReport.h). Nothing runs while the session is busy.
#pragma once
#include "CardScan.h"

class CCardSession;
class IInteraction;
class IProgress;

enum CardCheckResult : int {
    kCheckNotRun = -1, // busy, no card, the card changed, or the scan's question declined
};

// Probes the open card; returns the CardProbeOutcome, or kCheckNotRun.
// Abort shows "Operation aborted." once the progress has ended.
int ProbeSessionCard(CCardSession& session, IInteraction& ui, IProgress& progress, CardProbeReport& report);

// Asks the scan's question (writing the free clusters destroys the frames
// of deleted clips) and scans the ready card; returns the CardScanOutcome,
// or kCheckNotRun.
int ScanSessionCard(CCardSession& session, IInteraction& ui, IProgress& progress, CardScanReport& report);
