// The main window: a resizable dialog built from template 102. It owns the
// selected card and the current clip file for its whole life, keeps its
// memory-card list in step with the card readers (discovery at start-up,
// Refresh, language switch, device arrival and removal), shows the card's
// capacity, free space, clip slots with thumbnails, playlists and current
// playlist, enables its controls by the window's state, follows resizing,
// and runs the progress display of long operations. The card commands and
// playlist editing act through the operations declared here.
#pragma once
#include "AppEnvironment.h"
#include "CClipFile.h"
#include "CDisk.h"
#include "CDeviceEvents.h"
#include "CImageSet.h"
#include "CWindowProgress.h"
#include "FileDrop.h"
#include "MessageBoxInteraction.h"
#include "PlaylistDrag.h"
#include "TemplateDialog.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDragTracker;
struct ClipCheck;
class CPictureWnd;
class QComboBox;
class QListWidget;
class QMimeData;

class CMainWin : public CTemplateDialog {
    Q_OBJECT

public:
    // Control ids of template 102.
    static constexpr int kTemplateId = 102;
    static constexpr int kIdFileName = 1001;
    static constexpr int kIdFileLength = 1002;
    static constexpr int kIdPicture = 1003;
    static constexpr int kIdCardList = 1004;
    static constexpr int kIdCapacity = 1005;
    static constexpr int kIdFree = 1006;
    static constexpr int kIdPlaylistInfo = 1007;
    static constexpr int kIdProgress = 1008;
    static constexpr int kIdPercent = 1009;
    static constexpr int kIdClipList = 1010;
    static constexpr int kIdEntryList = 1011;
    static constexpr int kIdPlaylistList = 1012;
    static constexpr int kIdLanguageList = 1013;
    static constexpr int kIdReadClip = 2001;
    static constexpr int kIdFormat = 2002;
    static constexpr int kIdAbort = 2003;
    static constexpr int kIdWriteClip = 2004;
    static constexpr int kIdDeleteClip = 2005;
    static constexpr int kIdOpenClip = 2006;
    static constexpr int kIdPreview = 2007;
    static constexpr int kIdPreviewClip = 2008;
    static constexpr int kIdRefresh = 2021;
    static constexpr int kIdRemoveClip = 2022;
    static constexpr int kIdDeletePlaylist = 2023;
    static constexpr int kIdLoop = 2025;

    // The shared image set: one thumbnail per clip slot, then a blank one.
    static constexpr int kBlankImage = 144;
    static constexpr int kThumbWidth = 90;
    static constexpr int kThumbHeight = 72;
    // The clip file's picture in the "Clip" group.
    static constexpr int kPictureWidth = 180;
    static constexpr int kPictureHeight = 144;

    // Builds the window (OnInitDialog); settings must point at their file.
    // `env` (which must outlive the window) is where cards are found and
    // opened; `ui` receives the window's messages (null: message boxes
    // over the window); `events` is the source of device arrival and
    // removal (null: udev).
    explicit CMainWin(const CAppEnvironment& env, IInteraction* ui = nullptr,
                      std::unique_ptr<CDeviceEvents> events = nullptr, QWidget* parent = nullptr);
    // Saves the layout and the current file (OnDestroy); closes the card and
    // the clip file.
    ~CMainWin() override;

    // Captions and language.
    void LoadCaptions();
    void OnLanguageSelChange();

    // Clip and playlist views.
    void UpdateClipItem(int slot);
    // Replaces image `slot` of the shared set with a 90x72 thumbnail from
    // 32-bit pixels, or a blank one for null, in all three lists.
    void SetThumbnail(int slot, const std::uint8_t* pixels);
    void RefillLists();
    void UpdatePlaylistItem(int playlist);
    void ShowCurrentPlaylist();
    void UpdateEntryItem(int entry);
    // Redraws what an edit of the card's tables changed: the items of its
    // slots and playlists (the entry list with the current playlist), the
    // entry whose transition changed, and the controls.
    void ShowChange(const TableChange& change);
    void OnPlaylistSelChange();
    // The info tip of item `item` of list 1010 or 1011 ("%s\r%s": the clip's
    // name, then its time and size); empty when the item shows no clip, and
    // for list 1012. A label cut short shows whole in the tip as well
    // (CListItemDelegate).
    std::string OnInfoTip(int listId, int item) const;

    // Enabling rules.
    void UpdateControls();
    void UpdateSelectionButtons();

    // Closing: whether the close command may close the window now.
    bool ConfirmClose();
    // The close command (the window's close button, Alt+F4, the system
    // menu); false when it is refused: while busy, or held back by
    // ConfirmClose.
    bool OnSysCommand();

    // Shows the decoding warning for code 1, once per run of the window.
    void ShowDirectXWarning(int code);

    // Card commands (CMainWinCommands.cpp) and the current clip file
    // (CMainWinClipFile.cpp).
    void OnOpenClip();
    // Makes the current file path the current clip file; true only when it
    // has just converted the file and the path now names the converted one,
    // which the caller then loads with a second call.
    bool LoadClipFile();
    // Makes `path` the current file path and loads it, and then the file a
    // conversion made of it.
    void LoadClipPath(const std::string& path);
    void OnPreview();
    void OnWriteClip();
    // Writes the current clip file into `slot` (-1: the lowest empty one)
    // as Write clip does; the outcome of WriteClip (ClipWriter.h).
    int WriteClipInto(int slot);
    void OnReadClip();
    void SaveClipAsDv();
    void OnDeleteClip();
    // Asks and deletes the clip of `slot`; non-zero when the slot is empty
    // afterwards, 0 when the user declined.
    int DeleteClip(int slot);
    void OnPreviewClip();
    void OnFormat();

    // Playlist editing (CMainWinPlaylists.cpp): each edit goes through the
    // card's table operations, which write the tables at once, and redraws
    // what it changed.
    // Adds an entry for `slot` to `playlist` (before `position`, -1 at the
    // end) and makes that playlist current.
    void InsertEntry(int playlist, int slot, int position);
    void RemoveEntry(int playlist, int entry);
    // Asks "Delete playlist %02d?" and empties the playlist.
    void DeletePlaylist(int playlist);
    void OnRemoveClip();
    void OnDeletePlaylist();
    void OnLoop();
    void OnToggleTransition();
    // Drag and drop between and within the three lists (numbers of
    // PlaylistDrag.h); points are global screen points.
    // Starts a drag of `item` of `list`; false when the item cannot be
    // dragged.
    bool BeginDrag(int list, int item, const QPoint& point);
    DropTarget HitTestDrop(const QPoint& point) const;
    void SetDropHighlight(int list, int item, bool on);
    // Cursor and highlight for the pointer at `point`; with `drop`, the
    // drop there.
    void TrackDrag(const QPoint& point, int drop);
    void OnMouseMove(const QPoint& point);
    void OnLButtonUp(const QPoint& point);
    const CDragTracker& DragTracker() const { return *drag_; }
    // List widget number `list` of the drag rules, or null.
    QListWidget* DragListWidget(int list) const;

    // Files dragged from a file manager (CMainWinFileDrop.cpp). What a drop
    // at `pos` (window coordinates) would do with the files of `mime`:
    // nothing while busy, while another drop runs or under a modal window.
    FileDropTarget FileDropAt(const QPoint& pos, const QMimeData* mime) const;
    // Carries a drop out: the file loaded as Open clip does, or the files
    // loaded and written into their slots one after another.
    void DropFiles(const FileDropTarget& target);
    // A drop has been taken and is not finished yet.
    bool DropRunning() const { return dropping_; }

    // Card discovery and device events.
    void OnStartupTimer();
    void EnumerateCards(bool keep);
    void OpenSelectedCard();
    void OnRefresh();
    void OnCardSelChange();
    void OnDeviceChange(int event, int data);
    // True until the start-up timer has run discovery.
    bool StartupPending() const { return timerId_ != 0; }

    // Progress of long operations; Progress() is the interface that the card
    // writer and the export run with.
    void BeginProgress(int range) { progress_->Begin(range); }
    void SetProgress(int position) { progress_->Set(position); }
    void EndProgress() { progress_->End(); }
    bool PumpMessages() { return progress_->Pump(); }
    void OnAbort()
    {
        abortPressed_ = true;
        progress_->SetAbort();
    }
    CWindowProgress& Progress() { return *progress_; }

    IInteraction& Interaction() { return *ui_; }
    CDisk& Disk() { return disk_; }
    CClipFile& ClipFile() { return clipFile_; }
    const std::string& CurrentFilePath() const { return currentFilePath_; }
    const CImageSet& Images() const { return images_; }
    QListWidget* ClipList() const { return clipList_; }
    QListWidget* PlaylistList() const { return playlistList_; }
    QListWidget* EntryList() const { return entryList_; }

    bool Busy() const { return busy_; }
    bool NoCard() const { return noCard_; }
    bool NoRights() const { return noRights_; }
    int CurrentPlaylist() const { return currentPlaylist_; }
    // Selected items, -1 when none.
    int SelectedClip() const;
    int SelectedPlaylist() const;
    int SelectedEntry() const;

protected:
    bool OnInitDialog();
    void OnDestroy();
    void OnSize(int width, int height);
    QWidget* CreateControl(const CDialogControl& control, const QString& caption) override;
    // Enter and Escape do nothing in the window: they neither press a
    // button nor close it.
    bool PreTranslateMessage(QObject* target, QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BindControls();
    // Connects the playlist editing controls, double clicks, Delete keys and
    // the drag tracker.
    void BindPlaylistEditing();
    // Connects the command buttons, the clip list's double click and its
    // Delete key.
    void BindCommands();
    // The file dialog: an open dialog for clip files, or a save dialog for
    // a raw DV file, proposing `fileName`. The chosen path, empty when
    // cancelled.
    std::string ChooseFile(bool open, const std::string& fileName);
    // Asks for the converted file's name with the save dialog.
    std::string ChooseConvertedName();
    // Shows what conversion result `result` (MediaResult) means; on success
    // `output` becomes the current file path and the result is true.
    bool ConversionDone(int result, const std::string& output);
    // Tries the conversion offered for an AVI file with separate audio;
    // true when the current file path now names the converted file.
    bool ConvertClipFile();
    // For a file the checks refused as not DV (or not openable): when it
    // holds video, asks whether to convert it and runs the conversion. The
    // refusal is shown when no conversion is offered or the user declines
    // it (a cancelled or failed conversion has shown its own message). True
    // when the current file path names the converted file.
    bool OfferVideoConversion(const ClipCheck& check);
    bool ConvertVideoClipFile();
    void SetUpLists();
    void ChooseLanguage();
    void SetFieldText(int id, const std::string& utf8);
    void EnableControl(int id, bool enabled);
    // A press on empty space of the playlist list clears its selection.
    bool ClearPlaylistOnEmptyClick(QEvent* event);
    // File drops: whether the window takes files now (local files, not
    // busy, nothing modal over it); the drop highlight on the slots files
    // would go to; one
    // file loaded and written into `slot` (the outcome of the write, -1
    // when the file did not load); several files written one after another
    // with a summary at the end.
    bool FilesWanted(const QMimeData* mime) const;
    void ShowDropHighlight(const std::vector<int>& intoSlots);
    int LoadAndWrite(const std::string& path, int slot);
    void WriteDroppedFiles(const std::vector<std::string>& files, int first);

    const CAppEnvironment& env_;
    CMessageBoxInteraction messageBoxes_;
    IInteraction* ui_;
    std::unique_ptr<CDeviceEvents> deviceEvents_;
    CDisk disk_;
    CClipFile clipFile_;
    std::string currentFilePath_;

    CPictureWnd* picture_ = nullptr;
    QListWidget* clipList_ = nullptr;
    QListWidget* playlistList_ = nullptr;
    QListWidget* entryList_ = nullptr;
    QComboBox* cardList_ = nullptr;
    CImageSet images_;
    std::unique_ptr<CWindowProgress> progress_;

    bool busy_ = false;
    bool noCard_ = true;
    bool noRights_ = false;
    bool directXWarningShown_ = false;
    int currentPlaylist_ = -1;
    int lastClientWidth_ = -1;
    int lastClientHeight_ = -1;
    int timerId_ = 0;
    CDragTracker* drag_ = nullptr; // a child of the window
    std::vector<int> dropHighlight_;
    bool dropping_ = false;
    bool abortPressed_ = false;
};
