#include "FormatFlow.h"

#include "CDisk.h"
#include "Interaction.h"
#include "Texts.h"

namespace {

// The question for the open card `disk`: its name, then how many clips and
// playlists (with entries) it holds, or that its table could not be read.
std::string FormatQuestion(const CDisk& disk, const std::string& cardName)
{
    std::string holds;
    if (disk.IsLoaded()) {
        int clips = 0;
        for (const ClipRecord& clip : disk.Clips())
            clips += clip.frames != 0 ? 1 : 0;
        int playlists = 0;
        for (const Playlist& playlist : disk.Playlists())
            playlists += playlist.entries.empty() ? 0 : 1;
        holds = FormatText(kIdsFormatHolds, clips, playlists);
    } else {
        holds = LoadText(kIdsFormatUnread);
    }
    return FormatText(kIdsAskFormatCard, cardName.c_str(), holds.c_str());
}

} // namespace

int FormatCard(CDisk& disk, IInteraction& ui, const std::string& cardName, const std::function<void()>& formatted)
{
    if (!disk.IsOpen())
        return kFormatNotDone;
    if (ui.Show(kIdsAskFormatCard, kMsgYesNoDefNo, FormatQuestion(disk, cardName)) != kIdYes)
        return kFormatNotDone;
    disk.Format();
    if (!disk.WriteFAT(kTableFormat))
        return kFormatWriteFailed;
    if (formatted)
        formatted();
    ShowMessage(ui, kIdsFormatComplete, kMsgInfo);
    return kFormatDone;
}
