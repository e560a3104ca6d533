// The checks made when a file becomes the current clip file: opened by its
// extension (raw DV unless ".avi"), then frame 0 tested for DV and for its
// audio. UI-free: the outcome names the message to show, which the window
// shows as a message box and the command line prints.
#pragma once
#include <cstdint>
#include <string>

class CClipFile;
class IInteraction;

enum ClipVerdict : int {
    kVerdictOk = 0,
    kVerdictNoAudio = 1,           // usable, with the "No AUDIO" warning
    kVerdictCannotOpen = 2,        // kIdsCannotOpenFile
    kVerdictNotDv = 3,             // kIdsCannotReadFile (from Open or from the DV test)
    kVerdictIncompatibleAudio = 4, // kIdsIncompatibleAudio
    kVerdictUnreadableFrame = 5,   // frame 0 cannot be read; no message, file stays open
};

struct ClipCheck {
    std::string path;
    bool raw = true;        // opened as raw DV (by extension)
    int openResult = -1;    // CClipFile::Open's result; -1 not reached
    int frames = -1;        // -1 not reached
    int dv = -1;            // frame 0 passed the DV test: 1, failed: 0, not reached: -1
    int audioClass = -1;    // ClassifyDvAudio of frame 0; -1 not reached
    bool separateAudio = false;
    int verdict = kVerdictCannotOpen;
    int messageId = 0;      // the message to show, 0 none
    unsigned messageFlags = 0;

    // "raw", "avi-interleaved" or "avi-separate-audio"; empty until opened.
    std::string Kind() const;
    // Names of the verdicts as the command line's JSON gives them.
    const char* VerdictName() const;
    // Frame 0 was read and passed the tests: a PAL DV frame with 48 kHz
    // audio or none. The window shows its picture; `check` succeeds.
    bool Passed() const { return verdict == kVerdictOk || verdict == kVerdictNoAudio; }
    // The checks leave the file open, so it may become the source of a
    // write: it passed, or its frame 0 could not be read (the write then
    // reports the read failure).
    bool Usable() const { return Passed() || verdict == kVerdictUnreadableFrame; }
};

// Step one: opens `path` into `file` by its extension. Returns false (and
// fills the verdict and message) when it cannot be opened or is not DV.
bool OpenClipForLoading(CClipFile& file, const std::string& path, ClipCheck& check);

// Step two, after any conversion offer: reads frame 0 into `frame` (144000
// bytes or more) and tests it. Closes the file when the test fails.
void CheckFirstFrame(CClipFile& file, ClipCheck& check, std::uint8_t* frame);

// Both steps.
ClipCheck CheckClipFile(CClipFile& file, const std::string& path, std::uint8_t* frame);

// Shows the check's message, if any, with the path where the text has "%1".
void ShowClipCheckMessage(IInteraction& ui, const ClipCheck& check);
