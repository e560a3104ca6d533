// The card-wide commands: devices, mkimage, info, format, delete.
#include "CDisk.h"
#include "ClipName.h"
#include "CardDiscovery.h"
#include "CardImage.h"
#include "CardTexts.h"
#include "CliCommands.h"
#include "CliExitStatus.h"
#include "CliSession.h"
#include "DvFrame.h"
#include "FormatFlow.h"
#include "JsonWriter.h"
#include "Texts.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// "SIZE" with an optional K, M or G suffix (powers of 1024).
bool ParseSize(const std::string& text, long long& bytes)
{
    if (text.empty())
        return false;
    long long unit = 1;
    std::string digits = text;
    switch (text.back()) {
    case 'K': case 'k': unit = 1024; break;
    case 'M': case 'm': unit = 1024ll * 1024; break;
    case 'G': case 'g': unit = 1024ll * 1024 * 1024; break;
    default: break;
    }
    if (unit != 1)
        digits.pop_back();
    long long value = 0;
    if (!ParseNumber(digits, value) || value > (1ll << 50) / unit)
        return false;
    bytes = value * unit;
    return true;
}

std::string Caption(int id) { return LoadText(id) + ":"; }

void PrintInfoText(const std::string& card, const CDisk& disk)
{
    std::printf("%s  (%u MB)\n", card.c_str(), disk.SizeMB());
    std::printf("%-10s %s\n", Caption(kIdsCaptionCapacity).c_str(), CapacityText(disk).c_str());
    std::printf("%-10s %s\n", Caption(kIdsCaptionFree).c_str(), FreeText(disk).c_str());
    if (disk.RealCapacity() != 0)
        std::printf("%s %s\n", Caption(kIdsCaptionRealCapacity).c_str(),
                    FormatText(kIdsCliRealCapacityInfo, static_cast<unsigned long long>(disk.RealCapacity() / 1048576u),
                               static_cast<int>(disk.UsableClusters())).c_str());
    if (!disk.IsLoaded())
        return;
    std::printf("%s\n", Caption(kIdsCaptionClips).c_str());
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const ClipRecord& clip = disk.Clips()[static_cast<std::size_t>(slot)];
        if (clip.frames != 0)
            std::printf("  %-14s %s\n", ClipItemLabel(disk, slot).c_str(),
                        FormatFrameTimeSize(clip.frames, false).c_str());
    }
    std::printf("%s\n", Caption(kIdsCaptionPlaylists).c_str());
    for (int p = 0; p < kPlaylistCount; ++p) {
        const Playlist& playlist = disk.Playlists()[static_cast<std::size_t>(p)];
        if (playlist.entries.empty())
            continue;
        std::printf("  %s\n", PlaylistInfoText(disk, p).c_str());
        for (std::size_t k = 0; k < playlist.entries.size(); ++k) {
            std::string label = EntryItemLabel(disk, p, static_cast<int>(k));
            const std::size_t cr = label.find('\r');
            if (cr != std::string::npos)
                label.replace(cr, 1, "  ");
            std::printf("    %2zu. %s\n", k + 1, label.c_str());
        }
        if (playlist.loop)
            std::printf("    %s\n", LoadText(kIdsCaptionLoop).c_str());
    }
}

void PrintInfoJson(const std::string& card, const CDisk& disk)
{
    CJsonWriter j;
    j.BeginObject();
    j.Key("path").String(card);
    j.Key("total_clusters").Number(disk.TotalClusters());
    j.Key("size_mb").Number(disk.SizeMB());
    j.Key("loaded").Bool(disk.IsLoaded());
    j.Key("free_clusters");
    if (disk.IsLoaded())
        j.Number(disk.FreeClusters());
    else
        j.Null();
    j.Key("clips").BeginArray();
    for (int slot = 0; disk.IsLoaded() && slot < kSlotCount; ++slot) {
        const ClipRecord& clip = disk.Clips()[static_cast<std::size_t>(slot)];
        if (clip.frames == 0)
            continue;
        j.BeginObject();
        j.Key("slot").Number(slot + 1);
        j.Key("name").String(ClipName(disk, slot));
        j.Key("frames").Number(clip.frames);
        j.Key("first_sector").Number(clip.firstSector);
        j.Key("first_cluster").Number(CDisk::ClusterOfSector(clip.firstSector));
        j.Key("attribute").Number(clip.attribute);
        j.EndObject();
    }
    j.EndArray();
    j.Key("playlists").BeginArray();
    for (int p = 0; disk.IsLoaded() && p < kPlaylistCount; ++p) {
        const Playlist& playlist = disk.Playlists()[static_cast<std::size_t>(p)];
        j.BeginObject();
        j.Key("number").Number(p + 1);
        j.Key("loop").Bool(playlist.loop);
        j.Key("logo_mode").Number(playlist.logoMode);
        j.Key("frames").Number(disk.PlaylistLength(p));
        j.Key("entries").BeginArray();
        for (const PlaylistEntry& e : playlist.entries) {
            j.BeginObject();
            j.Key("slot").Number(e.slot + 1);
            j.Key("transition").String(TransitionWord(e.transition));
            j.Key("transition_word").Number(e.transition);
            j.Key("reserved").Number(e.reserved);
            j.EndObject();
        }
        j.EndArray();
        j.EndObject();
    }
    j.EndArray();
    // What a test of the card found it really stores (null: no such finding).
    j.Key("real_capacity_bytes");
    if (disk.RealCapacity() != 0)
        j.Number(static_cast<long long>(disk.RealCapacity()));
    else
        j.Null();
    j.Key("usable_clusters").Number(disk.UsableClusters());
    j.EndObject();
    std::printf("%s\n", j.Text().c_str());
}

} // namespace

int CmdDevices(CCliSession& session)
{
    if (!session.Options().args.empty())
        return kExitUsage;
    const CardDiscovery found = DiscoverCards(session.Env());
    if (found.cards.empty())
        std::printf("%s\n", LoadText(kIdsNoCardFound).c_str());
    for (const CardListEntry& card : found.cards)
        std::printf("%s\t%s\n", card.text.c_str(), card.path.c_str());
    // Why a listed card cannot be used yet, the window's message.
    for (const CardListEntry& card : found.cards) {
        if (card.inUse)
            CDisk::ShowInUseMessage(session.Ui(), card.mountPoint);
    }
    if (found.accessDenied)
        session.Error(kIdsCliAccessHint);
    return kExitDone;
}

int CmdMkImage(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2)
        return kExitUsage;
    long long bytes = 0;
    int error = 0;
    const int result = ParseSize(args[1], bytes) ? CreateCardImageFile(args[0], bytes, error) : kCardImageBadSize;
    if (result == kCardImageBadSize) {
        session.Error(kIdsCliBadSize, args[1].c_str());
        return kExitUsage;
    }
    if (result == kCardImageExists) {
        session.Error(kIdsCliFileExists, args[0].c_str());
        return kExitFailed;
    }
    if (result != kCardImageCreated) {
        session.Error(kIdsCliCannotCreate, args[0].c_str(), std::strerror(error));
        return kExitFailed;
    }
    session.Say(kIdsCliImageCreated, args[0].c_str(), std::to_string(bytes).c_str());
    return kExitDone;
}

int CmdInfo(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 1)
        return kExitUsage;
    CDisk disk(session.Env());
    if (!session.OpenCard(args[0], disk, false, kCardRead) || disk.ErrorShown())
        return kExitFailed;
    if (session.Options().json)
        PrintInfoJson(args[0], disk);
    else
        PrintInfoText(args[0], disk);
    return kExitDone;
}

int CmdFormat(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 1)
        return kExitUsage;
    CDisk disk(session.Env());
    if (!session.OpenCard(args[0], disk, false, kCardWrite) || disk.ErrorShown())
        return kExitFailed;
    return FormatCard(disk, session.Ui(), session.CardName(args[0])) == kFormatDone ? kExitDone : kExitFailed;
}

int CmdRename(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 3)
        return kExitUsage;
    // A name the card cannot hold is refused before the card is opened.
    if (CheckClipName(args[2]) != kClipNameOk) {
        session.Error(kIdsBadClipName);
        return kExitFailed;
    }
    int slot = 0;
    CDisk disk(session.Env());
    if (const int status = session.OpenClipSlot(args[0], args[1], disk, slot, kCardWrite); status != kExitDone)
        return status;
    return disk.RenameClip(slot, args[2]).Stored() ? kExitDone : kExitFailed;
}

int CmdDelete(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2)
        return kExitUsage;
    int slot = 0;
    CDisk disk(session.Env());
    if (const int status = session.OpenClipSlot(args[0], args[1], disk, slot, kCardWrite); status != kExitDone)
        return status;
    ClipDeletion deletion;
    if (!disk.DeleteClip(slot, &deletion) || !deletion.Stored())
        return kExitFailed;
    return kExitDone;
}
