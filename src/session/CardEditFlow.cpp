#include "CardEditFlow.h"

#include "CCardSession.h"
#include "CardListFlow.h"
#include "FormatFlow.h"

namespace {

TableChange Told(CCardSession& session, const TableChange& change)
{
    if (change.Done())
        session.NotifyTables(change);
    return change;
}

} // namespace

int DeleteSessionClip(CCardSession& session, int slot, IInteraction& ui)
{
    if (session.IsBusy() || slot < 0 || slot >= kSlotCount || !session.CardReady())
        return 0;
    CFlowScope scope(session.FlowInteraction(), ui);
    ClipDeletion deletion;
    const int result = session.Disk().DeleteClip(slot, &deletion);
    Told(session, deletion);
    return result;
}

int FormatChosenCard(CCardSession& session, IInteraction& ui)
{
    if (session.IsBusy() || !session.Disk().IsOpen())
        return kFormatFlowNotDone;
    if (!ChosenCardStillThere(session)) {
        ReportCardChanged(session, ui);
        return kFormatFlowCardChanged;
    }
    int result = kFormatFlowNotDone;
    {
        CFlowScope scope(session.FlowInteraction(), ui);
        result = FormatCard(session.Disk(), ui, [&session] {
            session.SetCurrentPlaylist(-1);
            session.NotifyCard();
        });
    }
    if (result == kFormatNotDone)
        return kFormatFlowNotDone;
    // The card still holds its old tables: read them again.
    if (result == kFormatWriteFailed) {
        ListCards(session, ui, true);
        return kFormatFlowWriteFailed;
    }
    session.SetCurrentPlaylist(-1);
    return kFormatFlowDone;
}

TableChange InsertSessionEntry(CCardSession& session, int playlist, int slot, int position)
{
    if (session.IsBusy())
        return {};
    const TableChange change = session.Disk().InsertEntry(playlist, slot, position < 0 ? kAppendEntry : position);
    if (!change.Done())
        return change;
    session.SetCurrentPlaylist(playlist);
    return Told(session, change);
}

TableChange RemoveSessionEntry(CCardSession& session, int playlist, int entry)
{
    if (session.IsBusy())
        return {};
    return Told(session, session.Disk().RemoveEntry(playlist, entry));
}

TableChange DeleteSessionPlaylist(CCardSession& session, int playlist, IInteraction& ui)
{
    if (session.IsBusy())
        return {};
    CFlowScope scope(session.FlowInteraction(), ui);
    return Told(session, session.Disk().DeletePlaylist(playlist));
}

TableChange SwapSessionPlaylists(CCardSession& session, int a, int b)
{
    if (session.IsBusy())
        return {};
    // The current playlist keeps its number and shows what it now holds.
    return Told(session, session.Disk().SwapPlaylists(a, b));
}

TableChange SwapSessionEntries(CCardSession& session, int playlist, int a, int b)
{
    if (session.IsBusy())
        return {};
    return Told(session, session.Disk().SwapEntries(playlist, a, b));
}

TableChange SetSessionLoop(CCardSession& session, bool loop)
{
    const int playlist = session.CurrentPlaylist();
    if (session.IsBusy() || playlist < 0)
        return {};
    TableChange change = session.Disk().SetLoop(playlist, loop);
    if (change.Done())
        return Told(session, change);
    TableChange shown = change;
    shown.changedPlaylists.set(static_cast<std::size_t>(playlist));
    session.NotifyTables(shown);
    return change;
}

TableChange ToggleSessionTransition(CCardSession& session, int entry)
{
    const int playlist = session.CurrentPlaylist();
    if (session.IsBusy() || entry < 0 || playlist < 0)
        return {};
    // The last entry of a playlist that does not loop has no transition.
    if (!session.Disk().TransitionMeaningful(playlist, entry))
        return {};
    return Told(session, session.Disk().ToggleTransition(playlist, entry));
}
