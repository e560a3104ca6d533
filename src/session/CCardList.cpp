#include "CCardList.h"

void CCardList::Replace(std::vector<ListedCard> cards, const ChosenCard* keep)
{
    cards_ = std::move(cards);
    chosen_ = cards_.empty() ? -1 : 0;
    if (keep == nullptr)
        return;
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        if (cards_[i].identity == *keep) {
            chosen_ = static_cast<int>(i);
            break;
        }
    }
}

bool CCardList::Choose(int index)
{
    if (index < 0 || index >= static_cast<int>(cards_.size()))
        return false;
    chosen_ = index;
    return true;
}
