// Texts that show a card's contents.
#include "CardTexts.h"

#include "CDisk.h"
#include "CodePage.h"
#include "DvFrame.h"
#include "Texts.h"

#include <cstdio>

namespace {

bool HoldsClip(const CDisk& disk, int slot)
{
    return disk.IsOpen() && disk.IsLoaded() && slot >= 0 && slot < kSlotCount &&
           disk.Clips()[static_cast<std::size_t>(slot)].frames != 0;
}

std::string Number(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

} // namespace

std::string ClipName(const CDisk& disk, int slot)
{
    if (slot < 0 || slot >= static_cast<int>(disk.Clips().size()))
        return {};
    return RecordName(disk.Clips()[static_cast<std::size_t>(slot)]);
}

std::string RecordName(const ClipRecord& clip)
{
    std::string bytes;
    for (int i = 0; i < kNameLength && clip.name[i] != 0; ++i)
        bytes += clip.name[i];
    return CardToUtf8(bytes);
}

std::string ClipItemLabel(const CDisk& disk, int slot)
{
    if (!HoldsClip(disk, slot))
        return Number(slot + 1);
    const std::string name = ClipName(disk, slot);
    return name.empty() ? Number(slot + 1) : Number(slot + 1) + " - " + name;
}

std::string PlaylistItemLabel(const CDisk& disk, int playlist)
{
    if (playlist < 0 || playlist >= kPlaylistCount)
        return {};
    const Playlist& p = disk.Playlists()[static_cast<std::size_t>(playlist)];
    if (p.entries.empty())
        return Number(playlist + 1);
    std::string label = Number(playlist + 1) + " - " + FormatFrameTime(disk.PlaylistLength(playlist));
    if (p.loop)
        label += " <>";
    return label;
}

const char* TransitionWord(unsigned transition)
{
    return (transition & kTransitionCodeMask) == kTransitionAuto ? "AUTO" : "CUT";
}

std::string EntryItemLabel(const CDisk& disk, int playlist, int entry)
{
    if (playlist < 0 || playlist >= kPlaylistCount)
        return {};
    const Playlist& p = disk.Playlists()[static_cast<std::size_t>(playlist)];
    if (entry < 0 || entry >= static_cast<int>(p.entries.size()))
        return {};
    const PlaylistEntry& e = p.entries[static_cast<std::size_t>(entry)];
    const std::string name = ClipName(disk, e.slot);
    std::string label = name.empty() ? Number(entry + 1) : Number(e.slot + 1) + " - " + name;
    if (p.loop || entry < static_cast<int>(p.entries.size()) - 1) {
        label += '\r';
        label += TransitionWord(e.transition);
    }
    return label;
}

std::string PlaylistInfoText(const CDisk& disk, int playlist)
{
    if (playlist < 0 || playlist >= kPlaylistCount)
        return {};
    const Playlist& p = disk.Playlists()[static_cast<std::size_t>(playlist)];
    if (p.entries.empty())
        return LoadText(kIdsPlaylistEmpty);
    return FormatText(kIdsPlaylistInfo, playlist + 1, static_cast<int>(p.entries.size()),
                      FormatFrameTime(disk.PlaylistLength(playlist)).c_str());
}

std::string ClipTipText(const CDisk& disk, int slot)
{
    if (!HoldsClip(disk, slot))
        return {};
    return ClipName(disk, slot) + "\r" +
           FormatFrameTimeSize(disk.Clips()[static_cast<std::size_t>(slot)].frames, true);
}

std::string CapacityText(const CDisk& disk)
{
    if (!disk.IsOpen())
        return {};
    return FormatFrameTimeSize(static_cast<int>(disk.TotalClusters()), false);
}

std::string FreeText(const CDisk& disk)
{
    if (!disk.IsOpen())
        return {};
    if (!disk.IsLoaded())
        return LoadText(kIdsNotFormatted);
    return FormatFrameTimeSize(disk.FreeClusters(), false);
}
