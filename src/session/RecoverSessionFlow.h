// The session's recovery of lost clips on the chosen card (RecoverFlow.h):
// the earlier tables kept for it, the runs of frames found outside its
// table's clips under the progress, and putting back a table or recording
// runs after the flow's question; a card written to is read again and
// shown. Nothing runs while the session is busy.
#pragma once
#include "RecoverFlow.h"

#include <vector>

class CCardSession;
class IInteraction;
class IProgress;

// The earlier tables of the open card, newest first (none without a card).
std::vector<EarlierTable> SessionEarlierTables(CCardSession& session);

// Finds the runs of frames on the open card under `progress` (Abort stops
// it). False when nothing was looked for (busy, no card), a read failed
// (the card's message shown) or Abort was pressed ("Operation aborted."
// shown); `runs` then holds what was found before.
bool FindSessionRuns(CCardSession& session, IInteraction& ui, IProgress& progress, std::vector<FoundRun>& runs);

// Puts back `table` (PutBackEarlierTable) or records `runs`
// (RecordFoundRuns) once the open device is found to be the chosen card;
// after a write the card's tables are read again and the views told.
// Returns the RecoverResult.
int PutBackSessionTable(CCardSession& session, IInteraction& ui, const EarlierTable& table, bool partial);
int RecordSessionRuns(CCardSession& session, IInteraction& ui, const std::vector<FoundRun>& runs);
