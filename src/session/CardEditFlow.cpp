#include "CardEditFlow.h"

#include "CCardSession.h"
#include "CardListFlow.h"
#include "ClipName.h"
#include "FormatFlow.h"
#include "WritableCard.h"
#include "Interaction.h"

namespace {

// The card open for writing before an edit; the playlist edits, which
// take no interaction of their own, report through the session's.
bool Writable(CCardSession& session, IInteraction& ui)
{
    return OpenChosenCardForWriting(session, ui) == kCardWritable;
}

bool Writable(CCardSession& session)
{
    return Writable(session, session.FlowInteraction().Target());
}

TableChange Told(CCardSession& session, const TableChange& change)
{
    if (change.Done())
        session.NotifyTables(change);
    return change;
}

} // namespace

int DeleteSessionClip(CCardSession& session, int slot, IInteraction& ui)
{
    if (session.IsBusy() || slot < 0 || slot >= kSlotCount || !session.CardReady() || !Writable(session, ui))
        return 0;
    CFlowScope scope(session.FlowInteraction(), ui);
    ClipDeletion deletion;
    const int result = session.Disk().DeleteClip(slot, &deletion);
    Told(session, deletion);
    return result;
}

TableChange RenameSessionClip(CCardSession& session, int slot, const std::string& name, IInteraction& ui)
{
    if (session.IsBusy() || !session.SlotHoldsClip(slot))
        return {};
    if (CheckClipName(name) != kClipNameOk) {
        ShowMessage(ui, kIdsBadClipName, kMsgError);
        return {};
    }
    if (!Writable(session, ui))
        return {};
    CFlowScope scope(session.FlowInteraction(), ui);
    return Told(session, session.Disk().RenameClip(slot, name));
}

int FormatChosenCard(CCardSession& session, IInteraction& ui)
{
    if (session.IsBusy() || !session.Disk().IsOpen())
        return kFormatFlowNotDone;
    if (!ChosenCardStillThere(session)) {
        ReportCardChanged(session, ui);
        return kFormatFlowCardChanged;
    }
    switch (OpenChosenCardForWriting(session, ui)) {
    case kCardWritable:
        break;
    case kCardChanged:
        return kFormatFlowCardChanged;
    default:
        return kFormatFlowNotDone;
    }
    int result = kFormatFlowNotDone;
    {
        CFlowScope scope(session.FlowInteraction(), ui);
        const ListedCard* chosen = session.Cards().Chosen();
        const std::string name = chosen != nullptr ? chosen->entry.name : session.Disk().Identity().path;
        result = FormatCard(session.Disk(), ui, name, [&session] {
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
    if (session.IsBusy() || !Writable(session))
        return {};
    const TableChange change = session.Disk().InsertEntry(playlist, slot, position < 0 ? kAppendEntry : position);
    if (!change.Done())
        return change;
    session.SetCurrentPlaylist(playlist);
    return Told(session, change);
}

TableChange RemoveSessionEntry(CCardSession& session, int playlist, int entry)
{
    if (session.IsBusy() || !Writable(session))
        return {};
    return Told(session, session.Disk().RemoveEntry(playlist, entry));
}

TableChange DeleteSessionPlaylist(CCardSession& session, int playlist, IInteraction& ui)
{
    if (session.IsBusy() || !Writable(session, ui))
        return {};
    CFlowScope scope(session.FlowInteraction(), ui);
    return Told(session, session.Disk().DeletePlaylist(playlist));
}

TableChange SwapSessionPlaylists(CCardSession& session, int a, int b)
{
    if (session.IsBusy() || !Writable(session))
        return {};
    // The current playlist keeps its number and shows what it now holds.
    return Told(session, session.Disk().SwapPlaylists(a, b));
}

TableChange SwapSessionEntries(CCardSession& session, int playlist, int a, int b)
{
    if (session.IsBusy() || !Writable(session))
        return {};
    return Told(session, session.Disk().SwapEntries(playlist, a, b));
}

TableChange SetSessionLoop(CCardSession& session, bool loop)
{
    const int playlist = session.CurrentPlaylist();
    if (session.IsBusy() || playlist < 0)
        return {};
    TableChange change;
    if (Writable(session))
        change = session.Disk().SetLoop(playlist, loop);
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
    if (!Writable(session))
        return {};
    return Told(session, session.Disk().ToggleTransition(playlist, entry));
}
