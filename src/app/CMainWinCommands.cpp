// The main window's card commands: Write clip, Delete clip (button and the
// Delete key of the clip list), Preview clip (button and double click) and
// Format. The work and the redraws it asks for are the session's.
#include "CMainWin.h"

#include "CCardClipSource.h"
#include "CKeyAction.h"
#include "CPlayerDlg.h"
#include "CardEditFlow.h"
#include "ClipWriteFlow.h"

#include <QListWidget>
#include <QPushButton>

#include <utility>

void CMainWin::BindCommands()
{
    const std::pair<int, void (CMainWin::*)()> buttons[] = {
        {kIdOpenClip, &CMainWin::OnOpenClip},   {kIdPreview, &CMainWin::OnPreview},
        {kIdWriteClip, &CMainWin::OnWriteClip}, {kIdReadClip, &CMainWin::OnReadClip},
        {kIdDeleteClip, &CMainWin::OnDeleteClip}, {kIdPreviewClip, &CMainWin::OnPreviewClip},
        {kIdFormat, &CMainWin::OnFormat},
    };
    for (const auto& [id, handler] : buttons) {
        if (auto* button = ControlAs<QPushButton>(id))
            connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    }
    if (clipList_ != nullptr) {
        connect(clipList_, &QListWidget::itemDoubleClicked, this, [this] { OnPreviewClip(); });
        new CKeyAction(clipList_, Qt::Key_Delete, [this] { OnDeleteClip(); });
    }
}

void CMainWin::OnWriteClip()
{
    if (!Busy())
        WriteClipFile(session_, SelectedClip(), *ui_, *progress_, this);
}

void CMainWin::OnDeleteClip()
{
    const int slot = SelectedClip();
    if (Busy() || slot < 0)
        return;
    DeleteSessionClip(session_, slot, *ui_);
}

void CMainWin::OnPreviewClip()
{
    const int slot = SelectedClip();
    if (Busy() || slot < 0 || !env_.decoderPresent || !session_.CardReady())
        return;
    CCardClipSource source(session_.Disk(), slot);
    RunPlayer(this, source, env_.decoderPresent);
}

void CMainWin::OnFormat()
{
    if (!Busy() && !OfferRecoveryBeforeFormat())
        FormatChosenCard(session_, *ui_);
}

void CMainWin::ClipWritten(int slot)
{
    if (clipList_ != nullptr && clipList_->item(slot) != nullptr)
        clipList_->scrollToItem(clipList_->item(slot));
}

void CMainWin::OnAbort()
{
    session_.PressAbort();
    progress_->SetAbort();
}
