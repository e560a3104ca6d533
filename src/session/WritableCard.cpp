#include "WritableCard.h"

#include "CCardSession.h"
#include "CardListFlow.h"
#include "Interaction.h"
#include "Log.h"

#include <cstdint>
#include <vector>

namespace {

std::vector<std::uint8_t> TablesOf(const CDisk& disk)
{
    return disk.IsLoaded() ? EncodeFatArea(disk.Clips(), disk.Playlists()) : std::vector<std::uint8_t>();
}

int Changed(CCardSession& session, IInteraction& ui)
{
    ReportCardChanged(session, ui);
    return kCardChanged;
}

} // namespace

int OpenChosenCardForWriting(CCardSession& session, IInteraction& ui)
{
    CDisk& disk = session.Disk();
    if (!disk.IsOpen())
        return kCardNotReopened;
    if (disk.WriteProtected()) {
        ShowMessage(ui, kIdsCardReadOnly, kMsgWarning);
        return kCardReadOnly;
    }
    if (disk.Writable())
        return kCardWritable;
    // Checked before the opening too: another card is never opened for
    // writing.
    if (!ChosenCardStillThere(session))
        return Changed(session, ui);
    const std::vector<std::uint8_t> shown = TablesOf(disk);
    const bool movePending = disk.MovePending();
    int result = kOpenNotCard;
    {
        CFlowScope scope(session.FlowInteraction(), ui);
        result = disk.ReopenForWriting();
    }
    LogMessage("card reopened for writing: %d", result);
    if (result != kOpenOk) {
        if (disk.WriteProtected()) {
            // The system refused to write it, though sysfs did not show it.
            session.NotifyCard();
            ShowMessage(ui, kIdsCardReadOnly, kMsgWarning);
            return kCardReadOnly;
        }
        if (!disk.IsOpen())
            return Changed(session, ui);
        if (result == kOpenDenied)
            ShowMessage(ui, kIdsNoRights, kMsgWarning);
        return kCardNotReopened;
    }
    if (!ChosenCardStillThere(session))
        return Changed(session, ui);
    if (TablesOf(disk) != shown) {
        // The move finished on opening records its clip's new place: the
        // same clip, the same playlists.
        if (!movePending)
            return Changed(session, ui);
        TableChange all;
        all.changedSlots.set();
        all.changedPlaylists.set();
        session.NotifyTables(all);
    }
    return kCardWritable;
}
