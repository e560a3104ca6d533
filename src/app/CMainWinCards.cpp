// The main window's card list: discovery at start-up, on Refresh, on a
// language switch and when a device arrives or goes; opening the card
// chosen in the list.
#include "CMainWin.h"

#include "CWaitCursor.h"
#include "CardDiscovery.h"
#include "Log.h"
#include "Texts.h"

#include <QComboBox>

void CMainWin::OnStartupTimer()
{
    if (timerId_ != 0) {
        killTimer(timerId_);
        timerId_ = 0;
    }
    EnumerateCards(false);
}

void CMainWin::EnumerateCards(bool keep)
{
    if (cardList_ == nullptr)
        return;
    CWaitCursor wait;
    busy_ = true;
    UpdateControls();

    int previous = -1;
    if (keep && !noCard_ && cardList_->currentIndex() >= 0)
        previous = cardList_->currentData().toInt();

    noCard_ = true;
    cardList_->clear();
    // The card open here is held exclusively: its probe would find it in
    // use. It is opened again after discovery in any case.
    disk_.Close();

    // Linux always allows raw card access in principle; a refusal shows as
    // access denied on the probes.
    const CardDiscovery found = DiscoverCards(env_);
    for (const CardListEntry& card : found.cards) {
        cardList_->addItem(QString::fromStdString(card.text), card.index);
        if (card.index == previous)
            cardList_->setCurrentIndex(cardList_->count() - 1);
    }
    if (cardList_->count() > 0) {
        if (cardList_->currentIndex() < 0)
            cardList_->setCurrentIndex(0);
        noCard_ = false;
    } else {
        cardList_->addItem(QString::fromStdString(LoadText(kIdsNoCardFound)));
        cardList_->setCurrentIndex(0);
        if (!keep && found.accessDenied) {
            ShowMessage(*ui_, kIdsNoRights, kMsgWarning);
            noRights_ = true;
        }
    }

    busy_ = false;
    UpdateControls();
    OpenSelectedCard();
}

void CMainWin::OpenSelectedCard()
{
    if (noCard_) {
        disk_.Close();
        RefillLists();
        return;
    }
    if (cardList_ == nullptr || cardList_->currentIndex() < 0) {
        RefillLists();
        return;
    }
    // A card that does not open shows as no card; one whose tables do not
    // read shows as "Not formatted". Neither is silent: a card in use has
    // shown its message on opening, refused access shows the rights
    // message, and any other failure the access error of the table read.
    if (disk_.Open(cardList_->currentData().toInt()) == kOpenDenied)
        ShowMessage(*ui_, kIdsNoRights, kMsgWarning);
    else
        disk_.ReadFAT();
    RefillLists();
}

void CMainWin::OnRefresh() { EnumerateCards(true); }

void CMainWin::OnCardSelChange() { OpenSelectedCard(); }

void CMainWin::OnDeviceChange(int event, int data)
{
    LogMessage("CMainWin::OnDeviceChange() = %d, %d", event, data);
    // Events during a long operation are dropped, not queued.
    if ((event == kDeviceArrival || event == kDeviceRemoveComplete) && !busy_)
        EnumerateCards(true);
}
