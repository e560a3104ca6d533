// playlist CARD add|remove|exchange|swap|delete|loop|transition ...
#include "CDisk.h"
#include "CardTexts.h"
#include "CliCommands.h"
#include "CliExitStatus.h"
#include "CliSession.h"
#include "TextId.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The number of arguments after "playlist CARD SUBCOMMAND".
int ArgumentCount(const std::string& sub)
{
    if (sub == "add" || sub == "remove" || sub == "swap" || sub == "loop" || sub == "transition")
        return 2;
    if (sub == "exchange")
        return 3;
    if (sub == "delete")
        return 1;
    return -1;
}

// Runs one edit on the loaded card; returns its result (TableEditResult),
// -1 for wrong usage or -2 for a clip name that names no single clip (the
// reason printed).
int RunEdit(CCliSession& session, CDisk& disk, const std::string& sub, const std::vector<std::string>& a,
            int& playlist)
{
    if (!session.Index(a[0], "P", kPlaylistCount, playlist))
        return -1;
    if (sub == "add") {
        int slot = 0;
        if (const int status = session.ClipSlot(a[1], disk, slot); status != kExitDone)
            return status == kExitUsage ? -1 : -2;
        int position = kAppendEntry;
        if (session.Options().at >= 0 && !session.Index(std::to_string(session.Options().at), "--at",
                                                        kMaxEntries, position))
            return -1;
        return disk.InsertEntry(playlist, slot, position).result;
    }
    if (sub == "remove") {
        int k = 0;
        if (!session.Index(a[1], "K", kMaxEntries, k))
            return -1;
        return disk.RemoveEntry(playlist, k).result;
    }
    if (sub == "exchange") {
        int k = 0, l = 0;
        if (!session.Index(a[1], "K", kMaxEntries, k) || !session.Index(a[2], "L", kMaxEntries, l))
            return -1;
        return disk.SwapEntries(playlist, k, l).result;
    }
    if (sub == "swap") {
        int q = 0;
        if (!session.Index(a[1], "Q", kPlaylistCount, q))
            return -1;
        return disk.SwapPlaylists(playlist, q).result;
    }
    if (sub == "delete")
        return disk.DeletePlaylist(playlist).result;
    if (sub == "loop") {
        if (a[1] != "on" && a[1] != "off")
            return -1;
        return disk.SetLoop(playlist, a[1] == "on").result;
    }
    int k = 0;
    if (!session.Index(a[1], "K", kMaxEntries, k))
        return -1;
    return disk.ToggleTransition(playlist, k).result;
}

} // namespace

int CmdPlaylist(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() < 2)
        return kExitUsage;
    const std::string& sub = args[1];
    const int count = ArgumentCount(sub);
    if (count < 0 || static_cast<int>(args.size()) != 2 + count)
        return kExitUsage;
    if (session.Options().at >= 0 && sub != "add")
        return kExitUsage;
    CDisk disk(session.Env());
    if (!session.OpenCard(args[0], disk, true, kCardWrite))
        return kExitFailed;
    int playlist = 0;
    const std::vector<std::string> rest(args.begin() + 2, args.end());
    const int result = RunEdit(session, disk, sub, rest, playlist);
    if (result < 0)
        return result == -1 ? kExitUsage : kExitFailed;
    if (result == kEditRefused) {
        // DeletePlaylist's declined question needs no further word.
        if (sub != "delete" || disk.Playlists()[static_cast<std::size_t>(playlist)].entries.empty())
            session.Error(kIdsCliEditRefused);
        return kExitFailed;
    }
    if (result == kEditNotStored)
        return kExitFailed; // the card's write message has been shown
    std::printf("%s\n", PlaylistInfoText(disk, playlist).c_str());
    return kExitDone;
}
