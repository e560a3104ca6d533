// The main window's card list: discovery at start-up, on Refresh, on a
// language switch and when a device arrives or goes, and the card chosen
// in the list; the listing and the opening are the session's.
#include "CMainWin.h"

#include "CWaitCursor.h"
#include "CardListFlow.h"
#include "Log.h"
#include "Texts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

void CMainWin::OnStartupTimer()
{
    if (timerId_ != 0) {
        killTimer(timerId_);
        timerId_ = 0;
    }
    ListCards(false);
}

void CMainWin::ListCards(bool keep)
{
    if (cardList_ == nullptr)
        return;
    CWaitCursor wait;
    ::ListCards(session_, *ui_, keep);
}

void CMainWin::CardListChanged()
{
    if (cardList_ == nullptr)
        return;
    const QSignalBlocker block(cardList_);
    cardList_->clear();
    const CCardList& cards = session_.Cards();
    for (const ListedCard& card : cards.Cards())
        cardList_->addItem(QString::fromStdString(card.entry.text), card.entry.index);
    if (cards.Empty())
        cardList_->addItem(QString::fromStdString(LoadText(kIdsNoCardFound)));
    cardList_->setCurrentIndex(cards.ChosenIndex() >= 0 ? cards.ChosenIndex() : 0);
    // A card's name (reader and node, or image file) is longer than the
    // list is wide: the open list is as wide as its longest name, and the
    // closed one tells the whole name of the chosen card on hovering.
    int widest = 0;
    const QFontMetrics metrics(cardList_->font());
    for (int i = 0; i < cardList_->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(cardList_->itemText(i)));
    cardList_->view()->setMinimumWidth(widest + 2 * metrics.averageCharWidth() +
                                       cardList_->view()->verticalScrollBar()->sizeHint().width());
    cardList_->setToolTip(cardList_->currentText());
    UpdateControls();
}

void CMainWin::OnRefresh() { ListCards(true); }

void CMainWin::OnCardSelChange()
{
    if (cardList_ != nullptr) {
        cardList_->setToolTip(cardList_->currentText());
        ChooseCard(session_, *ui_, cardList_->currentIndex());
    }
}

void CMainWin::OnDeviceChange(int event, int data)
{
    LogMessage("CMainWin::OnDeviceChange() = %d, %d", event, data);
    // Events during a long operation are dropped, not queued.
    if ((event == kDeviceArrival || event == kDeviceRemoveComplete) && !Busy())
        ListCards(true);
}
