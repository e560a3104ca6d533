// Writing a file that needs converting straight onto the card: the
// conversion is the writer's frame source (CStreamedSource), so the frames
// go onto the card as they are made, with no DV file in between. Any video
// is converted as ConvertVideoToDv converts it, an AVI file with a separate
// audio track as ConvertAviToDv does; optionally a DV copy is kept as well.
// A video whose duration libavformat does not know cannot be checked or
// placed before it is converted: it goes through a temporary DV file in the
// user's cache folder first, as the user is told. Both front ends call it;
// messages go through the card's interaction, progress through IProgress.
#pragma once
#include "CVideoConversion.h"
#include "ClipWriter.h"
#include "DvPicture.h"

#include <string>

class CDisk;
class IInteraction;
class IProgress;

struct ConvertingWriteOptions {
    DvAspect aspect = kDvAspect4x3;
    std::string keepPath; // also keep the converted frames as this DV file
    bool verify = true;   // read the clip back before it is recorded
};

struct ConvertingWriteReport {
    ClipWriteReport write;
    ConversionReport conversion;
    // How the conversion ended (MediaResult): kMediaDone also when it was
    // never started (a refusal) or the writer stopped it (Abort, a failed
    // card write); anything else is a conversion that failed, its message
    // shown (kMediaNotVideo alone is left to the caller).
    int conversionResult = 0;
    bool temporaryFile = false; // the duration was unknown (10086 shown)
};

// Writes `path` into `slot` (-1: the lowest empty one) of the open and
// loaded card, converting it on the way. Too short, too long and no room
// are checked from the source's duration before anything is converted. A
// conversion that stops short of the duration says so (a warning with how
// much was converted of how much) and the frames it made are written when
// they make a clip. The kept copy is removed unless the conversion ran to
// its end. Returns the writer's outcome (ClipWriteOutcome); a conversion
// that could not start or failed gives kWriteAborted.
int WriteConvertedClip(CDisk& disk, int slot, const std::string& path, const ConvertingWriteOptions& options,
                       IProgress& progress, IClipWriteView* view = nullptr, ConvertingWriteReport* report = nullptr);

// Shows what a failed conversion's result means: the decoder missing, the
// output (`output`) not creatable or not writable, Abort, or a failure.
// Nothing for kMediaDone and kMediaNotVideo.
void ShowConversionFailure(IInteraction& ui, int result, const std::string& output);
