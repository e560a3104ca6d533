// The main window's Rename clip: the selected clip's new name from
// CRenameDlg, stored by the session's rename flow, which tells the views
// of the changed slot (the clip list redraws it).
#include "CMainWin.h"

#include "CRenameDlg.h"
#include "CardEditFlow.h"
#include "CardTexts.h"

void CMainWin::OnRenameClip()
{
    const int slot = SelectedClip();
    if (Busy() || !session_.SlotHoldsClip(slot))
        return;
    CRenameDlg dialog(slot, ClipName(session_.Disk(), slot), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    RenameSessionClip(session_, slot, dialog.Name(), *ui_);
}
