// Playlist editing in the main window: removing entries, emptying a
// playlist, the loop flag and the transition of an entry, bound to their
// controls. The edits are the session's (CardEditFlow.h); the window shows
// what they changed when the session tells it.
#include "CMainWin.h"

#include "CDragStarter.h"
#include "CKeyAction.h"
#include "CardEditFlow.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

void CMainWin::BindPlaylistEditing()
{
    if (auto* remove = ControlAs<QPushButton>(kIdRemoveClip))
        connect(remove, &QPushButton::clicked, this, [this] { OnRemoveClip(); });
    if (auto* del = ControlAs<QPushButton>(kIdDeletePlaylist))
        connect(del, &QPushButton::clicked, this, [this] { OnDeletePlaylist(); });
    // Only a click by the user: the view sets the box without editing.
    if (auto* loop = ControlAs<QCheckBox>(kIdLoop))
        connect(loop, &QCheckBox::clicked, this, [this] { OnLoop(); });
    // A double click in the playlist list does nothing.
    if (entryList_ != nullptr) {
        connect(entryList_, &QListWidget::itemDoubleClicked, this, [this] { OnToggleTransition(); });
        new CKeyAction(entryList_, Qt::Key_Delete, [this] { OnRemoveClip(); });
    }
    if (playlistList_ != nullptr)
        new CKeyAction(playlistList_, Qt::Key_Delete, [this] { OnDeletePlaylist(); });

    dragStarter_ = new CDragStarter(this, *this);
    for (int list : {kDragClipList, kDragPlaylistList, kDragEntryList})
        dragStarter_->Watch(DragListWidget(list), list);
}

void CMainWin::OnRemoveClip()
{
    const int entry = SelectedEntry();
    if (entry < 0 || session_.CurrentPlaylist() < 0)
        return;
    RemoveSessionEntry(session_, session_.CurrentPlaylist(), entry);
}

void CMainWin::OnDeletePlaylist()
{
    const int playlist = SelectedPlaylist();
    if (playlist < 0)
        return;
    DeleteSessionPlaylist(session_, playlist, *ui_);
}

void CMainWin::OnLoop()
{
    if (session_.CurrentPlaylist() < 0 || Busy())
        return;
    if (auto* loop = ControlAs<QCheckBox>(kIdLoop))
        SetSessionLoop(session_, loop->isChecked());
}

void CMainWin::OnToggleTransition()
{
    if (!Busy())
        ToggleSessionTransition(session_, SelectedEntry());
}
