#include "CCardClipSource.h"

#include "CardLayout.h"
#include "CodePage.h"

#include <cstring>

CCardClipSource::CCardClipSource(CDisk& disk, int slot)
    : disk_(disk), slot_(slot), cluster_(static_cast<std::size_t>(kClusterSize))
{
    const std::vector<ClipRecord>& clips = disk_.Clips();
    if (!disk_.IsLoaded() || slot < 0 || static_cast<std::size_t>(slot) >= clips.size())
        return;
    const ClipRecord& clip = clips[static_cast<std::size_t>(slot)];
    frames_ = clip.frames;
    name_ = CardToUtf8(std::string(clip.name, strnlen(clip.name, sizeof clip.name)));
}

int CCardClipSource::ReadFrame(int frame, std::uint8_t* buffer)
{
    if (buffer == nullptr || frame < 0 || frame >= frames_)
        return 0;
    // The card reads whole clusters; the caller's buffer need only hold the
    // frame.
    if (!disk_.ReadClipFrame(slot_, frame, cluster_.data()))
        return 0;
    std::memcpy(buffer, cluster_.data(), static_cast<std::size_t>(kFrameSize));
    return 1;
}
