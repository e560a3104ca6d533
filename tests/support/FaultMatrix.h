// Fault matrices: an operation run once without faults to count its
// transfers, then once per fault, each fault a scenario that holds when the
// test running it adds no failed assertion. The scenarios of a matrix may be
// separate tests of one process; when the process ends, one line per matrix
// reports the faults injected and held, and a fault that did not hold fails
// the run once more.
#pragma once
#include "CDisk.h"
#include "DeviceFaults.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

struct FaultMatrixName {
    const char* name; // "clip write"
    const char* held; // what every fault that held showed
};

// One fault of `matrix` injected while this lives; held when the running
// test has no new failure when it ends.
class CFaultScenario {
public:
    explicit CFaultScenario(const FaultMatrixName& matrix);
    ~CFaultScenario();
    CFaultScenario(const CFaultScenario&) = delete;
    CFaultScenario& operator=(const CFaultScenario&) = delete;

private:
    const FaultMatrixName& matrix_;
    int failuresBefore_;
};


// One run of an operation on a fresh copy of a card, with a fault armed.
struct FaultRun {
    std::shared_ptr<MemoryDeviceState> card;
    CScriptedInteraction ui;
    CScriptedProgress progress;
    CDisk disk;
    TransferCounts counts; // of the operation
    int result = -1;

    std::vector<int> Messages() const { return ui.Ids(); }
};

using CardOperation = std::function<int(FaultRun& run)>;

// Opens a copy of `base` (every question about deleting a clip answered
// Yes), arms `fault` (null: none) from the operation's first transfer on,
// and runs `op`.
void RunOnCopy(FaultRun& run, const MemoryDeviceState& base, const DeviceFault* fault, const CardOperation& op);

// What the card holds once it works again: its bytes as they are, read by a
// fresh opening (the run's fault disarmed), checked against the clips'
// true lengths.
std::vector<ListedClip> CardListing(const FaultRun& run, const std::map<int, int>& lengths);
