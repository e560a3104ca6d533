// Whether a file that is not DV holds video the conversion to DV can take,
// and how long the converted clip would be: the window asks before it
// offers the conversion, the command line before it converts or reports.
#pragma once
#include <string>

struct ClipCheck;

struct VideoFacts {
    int frames = 0; // PAL DV frames the conversion gives by the file's duration; 0 unknown
};

// True when `path` holds a video stream libavformat reads, moving pictures
// (not text read as a picture nor a still picture, RealVideo.h), whose first
// frame decodes.
bool ProbeVideo(const std::string& path, VideoFacts* facts = nullptr);

// True when the loading checks refused the file as one that cannot be
// opened or is not DV, and it holds video the conversion can take.
bool IsConvertible(const ClipCheck& check, VideoFacts* facts = nullptr);
