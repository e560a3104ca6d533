#include "FormatFlow.h"

#include "CDisk.h"
#include "Interaction.h"

int FormatCard(CDisk& disk, IInteraction& ui, const std::function<void()>& formatted)
{
    if (!disk.IsOpen())
        return kFormatNotDone;
    if (ShowMessage(ui, kIdsAskFormat, kMsgYesNoDefNo) != kIdYes)
        return kFormatNotDone;
    disk.Format();
    if (!disk.WriteFAT(kTableFormat))
        return kFormatWriteFailed;
    if (formatted)
        formatted();
    ShowMessage(ui, kIdsFormatComplete, kMsgInfo);
    return kFormatDone;
}
