// Playlist editing in the main window: adding and removing entries,
// emptying a playlist, the loop flag and the transition of an entry. Each
// edit runs through the card's table operation, which checks it and writes
// the tables to the card at once; the window then shows what it changed.
#include "CMainWin.h"

#include "CDragTracker.h"
#include "CKeyAction.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

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

    drag_ = new CDragTracker(*this);
    for (int list : {kDragClipList, kDragPlaylistList, kDragEntryList})
        drag_->Watch(DragListWidget(list), list);
}

void CMainWin::InsertEntry(int playlist, int slot, int position)
{
    if (busy_)
        return;
    const TableChange change = disk_.InsertEntry(playlist, slot, position < 0 ? kAppendEntry : position);
    if (!change.Done())
        return;
    if (playlist != currentPlaylist_ && playlistList_ != nullptr) {
        // The new current playlist is shown below; its selection in the
        // list follows without going through the selection handler.
        const QSignalBlocker block(playlistList_);
        if (QListWidgetItem* old = playlistList_->item(currentPlaylist_))
            old->setSelected(false);
        currentPlaylist_ = playlist;
        playlistList_->setCurrentRow(playlist, QItemSelectionModel::ClearAndSelect);
    }
    currentPlaylist_ = playlist;
    ShowChange(change);
}

void CMainWin::RemoveEntry(int playlist, int entry)
{
    if (!busy_)
        ShowChange(disk_.RemoveEntry(playlist, entry));
}

void CMainWin::DeletePlaylist(int playlist)
{
    if (!busy_)
        ShowChange(disk_.DeletePlaylist(playlist));
}

void CMainWin::OnRemoveClip()
{
    const int entry = SelectedEntry();
    if (entry < 0 || currentPlaylist_ < 0)
        return;
    RemoveEntry(currentPlaylist_, entry);
}

void CMainWin::OnDeletePlaylist()
{
    const int playlist = SelectedPlaylist();
    if (playlist < 0)
        return;
    DeletePlaylist(playlist);
}

void CMainWin::OnLoop()
{
    if (currentPlaylist_ < 0 || busy_)
        return;
    auto* loop = ControlAs<QCheckBox>(kIdLoop);
    if (loop == nullptr)
        return;
    const TableChange change = disk_.SetLoop(currentPlaylist_, loop->isChecked());
    // Also when refused: the box shows the flag again.
    if (change.Done())
        ShowChange(change);
    else
        UpdatePlaylistItem(currentPlaylist_);
}

void CMainWin::OnToggleTransition()
{
    const int entry = SelectedEntry();
    if (entry < 0 || currentPlaylist_ < 0 || busy_)
        return;
    // The last entry of a playlist that does not loop has no transition.
    if (!disk_.TransitionMeaningful(currentPlaylist_, entry))
        return;
    ShowChange(disk_.ToggleTransition(currentPlaylist_, entry));
}
