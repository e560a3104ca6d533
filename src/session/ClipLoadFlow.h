// Making a file the session's current clip file: opened and checked as
// ClipChecks.h says. A file that needs converting (an AVI file with a
// separate audio track; any video that is not DV) becomes the current clip
// file as one that Write clip converts on its way to the card, with the
// length its duration foretells. The first frame's picture (180x144; of a
// video, the first frame its conversion makes) is kept for the views. Saving a card clip as a raw DV file ends
// here too: the saved file becomes the current clip file.
#pragma once
#include "ClipChecks.h"
#include "FlowReason.h"

#include <string>

class CCardSession;
class IFlowHost;
class IInteraction;
class IProgress;

inline constexpr int kClipPictureWidth = 180;
inline constexpr int kClipPictureHeight = 144;

struct LoadResult {
    // The current clip file is there for Write clip: open (it passed its
    // checks, or its first frame could not be read: a write reports that),
    // or a file to convert.
    bool loaded = false;
    // It is converted on its way to the card.
    bool toConvert = false;
    ClipCheck check;   // of the file
    FlowReason reason; // why it did not load (or what it said when it did)
};

// Makes `path` the session's file path and loads it.
LoadResult LoadClip(CCardSession& session, const std::string& path, IInteraction& ui, IFlowHost& host);

enum ExportFlowResult : int {
    kSavedAndLoaded = 0, // saved; the saved file is the current clip file now
    kSaveNothing = 1,    // no clip to save in that slot, or no card
    kSaveFailed = 2,     // the export failed (its message shown); the clip file is as it was
};

// Saves the clip of `slot` as the raw DV file `path` and loads that file.
int SaveClipAndLoad(CCardSession& session, int slot, const std::string& path, IInteraction& ui,
                    IProgress& progress, IFlowHost& host);
