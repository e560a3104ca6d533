// What a view of a card session is told, the way a document tells its
// views: a view redraws from these notifications only, one place each.
// Every method has an empty default, so that a view takes what it shows.
#pragma once
#include "TableChange.h"

class ISessionView {
public:
    virtual ~ISessionView() = default;
    // An operation began (true) or the last one running ended (false).
    virtual void BusyChanged(bool /*busy*/) {}
    // An edit of the open card's tables changed what `change` names.
    virtual void TablesChanged(const TableChange& /*change*/) {}
    // A clip has just been written into `slot` (its change came before).
    virtual void ClipWritten(int /*slot*/) {}
    // Another card was opened or closed, or the tables were read or
    // formatted anew: everything shown of the card is stale.
    virtual void CardChanged() {}
    // The list of cards or the chosen card in it changed.
    virtual void CardListChanged() {}
    // The current clip file, its path or its picture changed.
    virtual void ClipFileChanged() {}
    // Another playlist became the current one.
    virtual void CurrentPlaylistChanged() {}
};
