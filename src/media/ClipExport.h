// Saving a clip of the card as a raw DV file: the first 144000 bytes of
// each of its clusters, in order. UI-free; the window and the command line
// both run it with their own progress.
#pragma once
#include <functional>
#include <string>

class CDisk;
class IProgress;

enum ExportResult : int {
    kExportDone = 0,        // the whole clip is in the file, flushed
    kExportNothing = 1,     // no card, or the slot holds no clip
    kExportCannotCreate = 2, // "Can't open file:" shown, or kIdsExportNotAFile
    kExportAborted = 3,     // "Operation aborted." shown; whole frames only in the file
};

struct ExportReport {
    int framesWritten = 0;
};

// A clip is saved into a regular file only: true when `path` names one or
// nothing yet; false for a device, a pipe, a socket or a folder (through
// symbolic links too).
bool IsExportTarget(const std::string& path);

// Writes the clip of `slot` to `path` (created or truncated); any other
// output than a regular file is refused before anything is opened. Shows its
// messages through the card's interaction. `controlsChanged` runs after the
// progress began and after it ended (the window enables its controls).
int ExportClip(CDisk& disk, int slot, const std::string& path, IProgress& progress,
               const std::function<void()>& controlsChanged = {}, ExportReport* report = nullptr);

// The file name an export of `slot` proposes, without an extension: the
// clip's name with '/' and control characters made '_', so that a name read
// from the card never names another folder; empty for a clip without a
// name and for the names "." and "..".
std::string ExportFileName(const CDisk& disk, int slot);
