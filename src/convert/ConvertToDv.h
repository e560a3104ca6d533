// The conversion the command line runs on whatever it is given: an AVI
// file whose first stream is PAL DV keeps its frames (ConvertAviToDv puts
// the audio of its second stream inside them, as the window's offer for
// such files does); any other video goes through ConvertVideoToDv.
#pragma once
#include "DvPicture.h"

#include <string>

class IProgress;

// The results of ConvertAviToDv and ConvertVideoToDv (MediaResult).
int ConvertToDv(const std::string& source, const std::string& output, DvAspect aspect, IProgress& progress);
