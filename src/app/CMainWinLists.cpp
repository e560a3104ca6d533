// The main window's three icon-view lists: the 144 clip slots with their
// thumbnails, the 12 playlists and the entries of the current playlist, all
// drawing their images from one shared set, and their tool tips; they
// redraw from the session's notifications.
#include "CMainWin.h"

#include "CListItemDelegate.h"
#include "CTipDelayStyle.h"
#include "CWaitCursor.h"
#include "CardTexts.h"
#include "CreateDibBitmap.h"
#include "FramePicture.h"

#include <QCheckBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Item texts and tips keep their line breaks as "\r"; Qt breaks lines at
// "\n".
QString ListText(const std::string& utf8)
{
    QString text = QString::fromStdString(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

// Room between the items of a list, below the label.
constexpr int kItemGap = 4;

QString Number(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return QString::fromLatin1(text);
}

int SelectedRow(const QListWidget* list)
{
    if (list == nullptr)
        return -1;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

void ClearSelection(QListWidget* list, int row)
{
    if (QListWidgetItem* item = list->item(row))
        item->setSelected(false);
    if (list->currentRow() == row)
        list->setCurrentItem(nullptr, QItemSelectionModel::NoUpdate);
}

} // namespace

void CMainWin::SetUpLists()
{
    struct ListSetUp {
        QListWidget* list;
        int listId;
        QSize spacing;
        bool tipDelay;
    };
    const ListSetUp lists[] = {
        {clipList_, kIdClipList, QSize(110, 108), true},
        {playlistList_, kIdPlaylistList, QSize(106, 108), false},
        {entryList_, kIdEntryList, QSize(110, 108), true},
    };
    for (const ListSetUp& s : lists) {
        if (s.list == nullptr)
            continue;
        const int listId = s.listId;
        auto* delegate = new CListItemDelegate(
            s.list, [this, listId](int row) { return ListText(OnInfoTip(listId, row)); });
        s.list->setItemDelegate(delegate);
        s.list->setIconSize(images_.ImageSize());
        // The spacing suits a small font; a larger one gets taller cells, so
        // that two lines of label always fit under the image.
        s.list->setGridSize(QSize(s.spacing.width(),
                                  std::max(s.spacing.height(), delegate->ItemHeight(s.list) + kItemGap)));
        s.list->setWordWrap(true);
        // Every item has the same size whatever its label (the delegate's),
        // so the list may measure one for all.
        s.list->setUniformItemSizes(true);
        s.list->viewport()->installEventFilter(this);
        if (s.tipDelay) {
            auto* style = new CTipDelayStyle;
            style->setParent(s.list);
            s.list->viewport()->setStyle(style);
        }
    }
    if (clipList_ != nullptr) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            auto* item = new QListWidgetItem(Number(slot + 1), clipList_);
            images_.Assign(item, kBlankImage);
        }
    }
    if (playlistList_ != nullptr) {
        for (int p = 0; p < kPlaylistCount; ++p) {
            auto* item = new QListWidgetItem(Number(p + 1), playlistList_);
            images_.Assign(item, kBlankImage);
        }
    }
}

int CMainWin::SelectedClip() const { return SelectedRow(clipList_); }
int CMainWin::SelectedPlaylist() const { return SelectedRow(playlistList_); }
int CMainWin::SelectedEntry() const { return SelectedRow(entryList_); }

void CMainWin::UpdateClipItem(int slot)
{
    if (clipList_ == nullptr || slot < 0 || slot >= kSlotCount)
        return;
    CDisk& disk = session_.Disk();
    const std::string label = ClipItemLabel(disk, slot);
    if (session_.SlotHoldsClip(slot)) {
        // A clip whose first frame cannot be read or decoded keeps the
        // thumbnail it had.
        std::vector<std::uint8_t> cluster(kClusterSize);
        if (disk.ReadClipFirstFrame(slot, cluster.data())) {
            std::vector<std::uint8_t> pixels;
            const int code = DecodeThumbnailPixels(cluster.data(), pixels, env_.decoderPresent);
            if (code == 0)
                SetThumbnail(slot, pixels.data());
            else
                session_.WarnNoDecoder(*ui_, code);
        }
    } else {
        SetThumbnail(slot, nullptr);
    }
    if (QListWidgetItem* item = clipList_->item(slot))
        item->setText(ListText(label));
}

void CMainWin::SetThumbnail(int slot, const std::uint8_t* pixels)
{
    if (slot < 0 || slot >= kSlotCount)
        return;
    images_.Replace(slot, CreateDibBitmap(kThumbWidth, kThumbHeight, 32, pixels));
    if (clipList_ != nullptr)
        images_.Assign(clipList_->item(slot), slot);
    for (QListWidget* list : {clipList_, playlistList_, entryList_}) {
        if (list != nullptr && list->count() > 0) {
            images_.Refresh(list, slot);
            list->viewport()->update();
        }
    }
}

void CMainWin::RefillLists()
{
    CWaitCursor wait;
    refilling_ = true;
    UpdateControls();
    {
        // Clearing the selections is part of the refill, not a choice of
        // the user.
        const QSignalBlocker blockClips(clipList_);
        const QSignalBlocker blockPlaylists(playlistList_);
        for (int slot = 0; slot < kSlotCount; ++slot) {
            UpdateClipItem(slot);
            if (clipList_ != nullptr)
                ClearSelection(clipList_, slot);
        }
        for (int p = 0; p < kPlaylistCount; ++p) {
            UpdatePlaylistItem(p);
            if (playlistList_ != nullptr)
                ClearSelection(playlistList_, p);
        }
    }
    for (QListWidget* list : {clipList_, playlistList_}) {
        if (list != nullptr && list->count() > 0)
            list->scrollToItem(list->item(0));
    }
    session_.SetCurrentPlaylist(-1);
    ShowCurrentPlaylist();
    refilling_ = false;
    UpdateControls();
}

void CMainWin::CardChanged() { RefillLists(); }

void CMainWin::UpdatePlaylistItem(int playlist)
{
    if (playlistList_ == nullptr || playlist < 0 || playlist >= kPlaylistCount)
        return;
    const Playlist& p = session_.Disk().Playlists()[static_cast<std::size_t>(playlist)];
    const int image = p.entries.empty() ? kBlankImage : p.entries.front().slot;
    if (QListWidgetItem* item = playlistList_->item(playlist)) {
        images_.Assign(item, image);
        item->setText(ListText(PlaylistItemLabel(session_.Disk(), playlist)));
    }
    if (playlist == session_.CurrentPlaylist())
        ShowCurrentPlaylist();
}

void CMainWin::TablesChanged(const TableChange& change)
{
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (change.SlotChanged(slot))
            UpdateClipItem(slot);
    }
    for (int p = 0; p < kPlaylistCount; ++p) {
        if (change.PlaylistChanged(p))
            UpdatePlaylistItem(p);
    }
    if (change.transitionPlaylist >= 0 && change.transitionPlaylist == session_.CurrentPlaylist())
        UpdateEntryItem(change.transitionEntry);
    UpdateControls();
}

void CMainWin::ShowCurrentPlaylist()
{
    auto* loop = ControlAs<QCheckBox>(kIdLoop);
    bool loopEnabled = false;
    if (entryList_ != nullptr) {
        const QSignalBlocker block(entryList_);
        entryList_->clear();
    }
    const int current = session_.CurrentPlaylist();
    if (current < 0 || current >= kPlaylistCount) {
        SetFieldText(kIdPlaylistInfo, {});
    } else {
        const Playlist& p = session_.Disk().Playlists()[static_cast<std::size_t>(current)];
        if (entryList_ != nullptr) {
            for (std::size_t i = 0; i < p.entries.size(); ++i) {
                auto* item = new QListWidgetItem(QString(), entryList_);
                images_.Assign(item, p.entries[i].slot);
                UpdateEntryItem(static_cast<int>(i));
            }
        }
        if (loop != nullptr) {
            const QSignalBlocker block(loop);
            loop->setChecked(p.loop);
        }
        SetFieldText(kIdPlaylistInfo, PlaylistInfoText(session_.Disk(), current));
        loopEnabled = !p.entries.empty();
    }
    if (entryList_ != nullptr)
        entryList_->setEnabled(!Busy() && current >= 0);
    // Loop edits the card's tables: not while an operation runs, nor on a
    // read-only card.
    EnableWritingControl(kIdLoop, loopEnabled && !Busy());
    UpdateSelectionButtons();
}

void CMainWin::UpdateEntryItem(int entry)
{
    if (entryList_ == nullptr)
        return;
    if (QListWidgetItem* item = entryList_->item(entry))
        item->setText(ListText(EntryItemLabel(session_.Disk(), session_.CurrentPlaylist(), entry)));
}

void CMainWin::OnPlaylistSelChange() { session_.SetCurrentPlaylist(SelectedPlaylist()); }

void CMainWin::CurrentPlaylistChanged()
{
    // A playlist made current by an edit is selected in the list as well,
    // without going through the selection handler.
    const int current = session_.CurrentPlaylist();
    if (playlistList_ != nullptr && current >= 0 && SelectedPlaylist() != current) {
        const QSignalBlocker block(playlistList_);
        playlistList_->clearSelection();
        playlistList_->setCurrentRow(current, QItemSelectionModel::ClearAndSelect);
    }
    ShowCurrentPlaylist();
}

std::string CMainWin::OnInfoTip(int listId, int item) const
{
    const CDisk& disk = session_.Disk();
    const int current = session_.CurrentPlaylist();
    if (listId == kIdClipList)
        return ClipTipText(disk, item);
    if (listId == kIdEntryList && current >= 0 && current < kPlaylistCount) {
        const Playlist& p = disk.Playlists()[static_cast<std::size_t>(current)];
        if (item >= 0 && item < static_cast<int>(p.entries.size()))
            return ClipTipText(disk, p.entries[static_cast<std::size_t>(item)].slot);
    }
    return {};
}

bool CMainWin::ClearPlaylistOnEmptyClick(QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (playlistList_->itemAt(mouse->position().toPoint()) != nullptr)
        return false;
    playlistList_->clearSelection();
    playlistList_->setCurrentItem(nullptr, QItemSelectionModel::NoUpdate);
    // clearSelection reports the change when something was selected; make
    // sure the current playlist follows in every case.
    OnPlaylistSelChange();
    return true;
}
