// Writing the session's current clip file into a slot of the chosen card,
// as the writer does it (ClipWriter.h), after checking that the open card
// is still the card the user chose. A file to convert is converted on its
// way to the card (ConvertingWrite.h) after one question, which also offers
// to keep a DV copy. The views are told of the former clip's deletion and
// of the new clip.
#pragma once
#include "ClipWriter.h"
#include "FlowReason.h"

class CCardSession;
class IFlowHost;
class IInteraction;
class IProgress;

// A further outcome of the flow (never of WriteClip): the open card is not
// the chosen one any more; nothing was written, the card-changed message
// was shown and the card list read again.
inline constexpr int kWriteCardChanged = 100;
// The card is read-only (write-protected), or did not open for writing;
// nothing was written and the reason was shown.
inline constexpr int kWriteCardReadOnly = 101;

struct WriteResult {
    int outcome = kWriteNothing; // ClipWriteOutcome, kWriteCardChanged or kWriteCardReadOnly
    ClipWriteReport report;
    FlowReason reason; // why it was not written
};

// Writes the current clip file into `slot` (-1: the lowest empty one). The
// clip is read back and compared unless the settings turn that off. A file
// to convert is written only when the user says so; `host` chooses the
// path of the DV copy when one is to be kept (without a host none is
// offered).
WriteResult WriteClipFile(CCardSession& session, int slot, IInteraction& ui, IProgress& progress,
                          IFlowHost* host = nullptr);
