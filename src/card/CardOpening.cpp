#include "CardOpening.h"

#include "CDisk.h"

int FinishOpening(CDisk& disk, int opened)
{
    if (disk.InUse())
        return kCardInUse;
    if (opened == kOpenDenied)
        return kCardDenied;
    if (opened != kOpenOk)
        return kCardNotOpened;
    return disk.ReadFAT() ? kCardLoaded : kCardUnformatted;
}
