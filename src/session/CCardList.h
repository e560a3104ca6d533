// The cards a session found, in the order the list shows them, and the one
// chosen among them by identity (ChosenCard.h): a new listing keeps the
// chosen card when it is still there, whatever its place now.
#pragma once
#include "CardDiscovery.h"
#include "ChosenCard.h"

#include <vector>

struct ListedCard {
    CardListEntry entry;
    ChosenCard identity;
};

class CCardList {
public:
    const std::vector<ListedCard>& Cards() const { return cards_; }
    bool Empty() const { return cards_.empty(); }
    // The chosen card's place in the list, -1 when none.
    int ChosenIndex() const { return chosen_; }
    const ListedCard* Chosen() const { return chosen_ >= 0 ? &cards_[static_cast<std::size_t>(chosen_)] : nullptr; }
    // A card reader refused access at the first listing: Refresh cannot
    // help (no rights).
    bool NoRights() const { return noRights_; }

    // A new listing; the card equal to `keep` (when given) stays chosen,
    // else the first one is.
    void Replace(std::vector<ListedCard> cards, const ChosenCard* keep);
    // Chooses card `index` of the list; false (nothing changed) when there
    // is none there.
    bool Choose(int index);
    void SetNoRights() { noRights_ = true; }

private:
    std::vector<ListedCard> cards_;
    int chosen_ = -1;
    bool noRights_ = false;
};
