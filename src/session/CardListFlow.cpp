#include "CardListFlow.h"

#include "CCardSession.h"
#include "CardDiscovery.h"
#include "CardOpening.h"
#include "DriveTable.h"
#include "Interaction.h"
#include "Log.h"

#include <optional>

namespace {

// The listing itself, while the session is busy.
void Discover(CCardSession& session, IInteraction& ui, bool keep)
{
    CBusyGuard busy(session.Busy());
    std::optional<ChosenCard> previous;
    if (keep && session.Cards().Chosen() != nullptr)
        previous = session.Cards().Chosen()->identity;
    // The card open here is held exclusively: its probe would find it in
    // use. The chosen card is opened again after discovery in any case.
    session.Disk().Close();

    const CardDiscovery found = DiscoverCards(session.Environment());
    std::vector<ListedCard> cards;
    const std::string& sysRoot = session.Environment().sysRoot;
    for (const CardListEntry& entry : found.cards) {
        ListedCard card{entry, IdentifyCard(entry.path, entry.sizeBytes, sysRoot)};
        card.identity.listIndex = entry.index;
        cards.push_back(std::move(card));
    }
    session.Cards().Replace(std::move(cards), previous ? &*previous : nullptr);
    session.NotifyCardList();
    // Linux always allows raw card access in principle; a refusal shows as
    // access denied on the probes.
    if (session.Cards().Empty() && !keep && found.accessDenied) {
        ShowMessage(ui, kIdsNoRights, kMsgWarning);
        session.Cards().SetNoRights();
        session.NotifyCardList();
    }
}

} // namespace

void ListCards(CCardSession& session, IInteraction& ui, bool keep)
{
    CFlowScope scope(session.FlowInteraction(), ui);
    session.SyncEnvironment();
    Discover(session, ui, keep);
    OpenChosenCard(session, ui);
}

void ChooseCard(CCardSession& session, IInteraction& ui, int index)
{
    if (session.IsBusy())
        return;
    session.Cards().Choose(index);
    OpenChosenCard(session, ui);
}

void OpenChosenCard(CCardSession& session, IInteraction& ui)
{
    CFlowScope scope(session.FlowInteraction(), ui);
    CDisk& disk = session.Disk();
    const ListedCard* chosen = session.Cards().Chosen();
    if (chosen == nullptr) {
        disk.Close();
    } else {
        // By its path, never by a place in a table built again: a reader
        // plugged in or pulled out since the listing moves the places. It
        // is opened for reading alone until a command writes (WritableCard.h).
        OpenListedCard(disk, *chosen, ui, kCardRead);
    }
    session.SetCurrentPlaylist(-1);
    session.NotifyCard();
}

int OpenListedCard(CDisk& disk, const ListedCard& card, IInteraction& ui, CardAccess access)
{
    DriveEntry drive;
    drive.path = card.entry.path;
    const int opened = disk.OpenDrive(drive, card.entry.index, access);
    if (opened == kOpenDenied) {
        ShowMessage(ui, kIdsNoRights, kMsgWarning);
        return kCardDenied;
    }
    // A card that did not open shows the access error of the table read; a
    // card in use has shown its message on opening, once.
    const bool loaded = disk.ReadFAT();
    if (disk.InUse())
        return kCardInUse;
    if (opened != kOpenOk)
        return kCardNotOpened;
    return loaded ? kCardLoaded : kCardUnformatted;
}

bool ChosenCardStillThere(const CCardSession& session)
{
    const ListedCard* chosen = session.Cards().Chosen();
    const CDisk& disk = session.Disk();
    if (chosen == nullptr || !disk.IsOpen())
        return false;
    const ChosenCard now = PresentCard(chosen->entry.path, disk.SizeBytes(), session.Environment().sysRoot);
    if (now == chosen->identity)
        return true;
    LogMessage("card changed: %s %llu/%llu %llu/%llu", now.path.c_str(),
               static_cast<unsigned long long>(chosen->identity.sizeBytes), static_cast<unsigned long long>(now.sizeBytes),
               static_cast<unsigned long long>(chosen->identity.diskSequence),
               static_cast<unsigned long long>(now.diskSequence));
    return false;
}

void ReportCardChanged(CCardSession& session, IInteraction& ui)
{
    ShowMessage(ui, kIdsCardChanged, kMsgWarning);
    ListCards(session, ui, true);
}
