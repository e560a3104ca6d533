#include "VideoProbe.h"

#include "CPalPictures.h"
#include "ClipChecks.h"
#include "MediaLog.h"

bool ProbeVideo(const std::string& path, VideoFacts* facts)
{
    // The decoder's threads may still speak while it is closed.
    CQuietMediaLog quiet;
    CPalPictures pictures;
    if (!pictures.Open(path))
        return false;
    if (facts != nullptr)
        facts->frames = pictures.ExpectedFrames();
    return true;
}

bool IsConvertible(const ClipCheck& check, VideoFacts* facts)
{
    return (check.verdict == kVerdictCannotOpen || check.verdict == kVerdictNotDv) &&
           ProbeVideo(check.path, facts);
}
