// Files dropped onto the clip list: each loaded as Open clip loads it and,
// when it loads, written as Write clip writes it (a file to convert after
// its one question), into the slot dropped on
// (after asking "Write clip at slot %02d?" when it holds a clip) and
// several files into the empty slots that follow, with one summary at the
// end that says, file by file, why one was not written. Abort, or a
// transfer to the card that failed, ends the drop; a file its checks
// refused does not.
#pragma once
#include <string>
#include <vector>

class CCardSession;
class IFlowHost;
class IInteraction;
class IProgress;

struct DropResult {
    int written = 0;
    // One line per file not written: its name, ": " and why.
    std::vector<std::string> refused;
};

// Loads `path` and writes it into `slot`: the write's outcome, -1 when the
// file did not load.
int LoadAndWrite(CCardSession& session, const std::string& path, int slot, IInteraction& ui, IProgress& progress,
                 IFlowHost& host);

// Drops `files` onto the clip list with the first going into `slot`.
DropResult DropFilesIntoSlots(CCardSession& session, const std::vector<std::string>& files, int slot,
                              IInteraction& ui, IProgress& progress, IFlowHost& host);
