// The main window: a resizable dialog built from template 102, a view of one
// card session (src/session: the chosen card, the current clip file, the
// current playlist, the busy state and the flows that change them). It
// binds its controls to the session's flows and redraws from the session's
// notifications: the card list, the card's capacity, free space, clip
// slots with thumbnails, playlists and current playlist, the clip file and
// its picture, the enabled state of its controls, and the progress display
// of long operations. It follows resizing and takes drags from its lists
// and files from a file manager.
#pragma once
#include "AppEnvironment.h"
#include "CCardSession.h"
#include "CDeviceEvents.h"
#include "CEndingNotice.h"
#include "CImageSet.h"
#include "CSessionProgress.h"
#include "CWindowProgress.h"
#include "FileDrop.h"
#include "IDragHost.h"
#include "IFlowHost.h"
#include "ISessionView.h"
#include "ItemDrag.h"
#include "MessageBoxInteraction.h"
#include "PlaylistDrag.h"
#include "TemplateDialog.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CDragStarter;
class CPictureWnd;
class CWaitCursor;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QImage;
class QListWidget;
class QMimeData;
class QDropEvent;

class CMainWin : public CTemplateDialog, private ISessionView, private IFlowHost, private IDragHost {
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
    // What the window's tests look at and press (through CMainWinProbe); the
    // flows behind them are the session's.
    friend class CMainWinProbe;
    CCardSession& Session() { return session_; }
    const CCardSession& Session() const { return session_; }
    CDisk& Disk() { return session_.Disk(); }
    CClipFile& ClipFile() { return session_.ClipFile(); }
    const std::string& CurrentFilePath() const { return session_.FilePath(); }
    int CurrentPlaylist() const { return session_.CurrentPlaylist(); }
    bool NoCard() const { return session_.NoCard(); }
    bool NoRights() const { return session_.Cards().NoRights(); }
    // An operation runs, or the lists are being refilled.
    bool Busy() const { return session_.IsBusy() || refilling_; }
    // True until the start-up timer has run discovery.
    bool StartupPending() const { return timerId_ != 0; }
    // A drop of files has been taken and is not finished yet.
    bool DropRunning() const { return dropping_; }
    // The drag the window runs, while it runs.
    const ItemDragState& ItemDrag() const { return itemDrag_; }
    const CImageSet& Images() const { return images_; }
    QListWidget* ClipList() const { return clipList_; }
    QListWidget* PlaylistList() const { return playlistList_; }
    QListWidget* EntryList() const { return entryList_; }
    // Selected items, -1 when none.
    int SelectedClip() const;
    int SelectedPlaylist() const;
    int SelectedEntry() const;
    // The info tip of item `item` of list 1010 or 1011 ("%s\r%s": the clip's
    // name, then its time and size); empty when the item shows no clip, and
    // for list 1012.
    std::string OnInfoTip(int listId, int item) const;

    // The progress display of long operations (CWindowProgress), held by
    // the session's busy state from Begin to End.
    void BeginProgress(int range) { sessionProgress_->Begin(range); }
    void SetProgress(int position) { sessionProgress_->Set(position); }
    void EndProgress() { sessionProgress_->End(); }
    bool PumpMessages() { return sessionProgress_->Pump(); }
    CWindowProgress& Progress() { return *progress_; }
    // One of the program's windows (this one or a dialog over it) is the
    // active window: the user is looking at the program.
    bool OwnWindowActive() const;

    // Redraws: the enabled state of the controls, one thumbnail (32-bit
    // 90x72 pixels, null for a blank one) and all three lists.
    void UpdateControls();
    void SetThumbnail(int slot, const std::uint8_t* pixels);
    void RefillLists();

    // The commands, as their buttons run them.
    void OnOpenClip();
    void OnWriteClip();
    void OnReadClip();
    void OnPreviewClip();
    void OnFormat();
    void OnRefresh();
    void OnStartupTimer();
    void OnLanguageSelChange();

    // ISessionView: the session's notifications, each drawn in one place.
    void BusyChanged(bool busy) override;
    void TablesChanged(const TableChange& change) override;
    void ClipWritten(int slot) override;
    void CardChanged() override;
    void CardListChanged() override;
    void ClipFileChanged() override;
    void CurrentPlaylistChanged() override;
    // IFlowHost: the save dialog of a converted file, the wait cursor.
    std::string ChooseConvertedFile() override;
    void Waiting(bool on) override;
    // IDragHost: a drag of an item of the lists, run to its end (the
    // platform's QDrag::exec, or the environment's runDrag); the drop it
    // took is carried out after it.
    bool BeginDrag(int list, int item) override;

    // The menu bar and the lists' context menus (CMainWinMenus.cpp): built
    // once, their texts set again with the language, their commands enabled
    // as the buttons they stand for.
    void BuildMenus();
    QMenu* MenuFor(int text);
    QAction* MenuAction(int text) const;
    void RetranslateMenus();
    void SyncMenus();
    void ShowContextMenu(QListWidget* list, const QPoint& pos);
    // The hints of the empty clip picture and current playlist, the tips
    // of the times and the loop mark, the Tab order (CMainWinHints.cpp).
    void SetUpHints();
    void UpdateHints();
    // The commands only the menus have.
    void OnOpenCardImage();
    void OnNewCardImage();
    void OnLoopCommand();
    void OnQuit();
    void OnManual();
    void OnAbout();
    // Card > Recover clips... and Card > Check card...: bringing back the
    // clips a format, a delete or a damaged table lost (the earlier tables
    // kept for the card, runs of frames found on it), and testing the card
    // for a fake capacity, bad areas and speed. A card whose table does not
    // read is offered Recover clips... before Format: true when the user
    // took it, and Format is not to go on.
    void OnRecoverClips();
    void OnCheckCard();
    bool OfferRecoveryBeforeFormat();
    // The 90x72 thumbnail of the frame in `cluster` of the card; null when
    // it cannot be read or decoded.
    QImage ClusterThumbnail(std::uint32_t cluster);
    // The whole-card commands of the File menu: Back up card..., Restore
    // card... and Copy card to... (CMainWinCardCopy.cpp); the flows are the
    // session's (CardCopyFlow.h).
    void OnBackupCard();
    void OnRestoreCard();
    void OnCopyCard();
    // The file dialog of a card image: open (a backup to restore) or save
    // (a backup), proposing `fileName`. The chosen path, empty when
    // cancelled.
    std::string ChooseCardImage(bool open, const std::string& fileName);
    // Clip > Rename... (F2): a new name for the selected clip
    // (CMainWinRename.cpp).
    void OnRenameClip();

    void BindControls();
    // Connects the playlist editing controls, double clicks, Delete keys and
    // the drag starter.
    void BindPlaylistEditing();
    // Connects the command buttons, the clip list's double click and its
    // Delete key.
    void BindCommands();
    // Runs `request` (udisks2 asking for the password) on a worker thread
    // while the window keeps drawing and shows that it waits.
    int AwaitAuthorisation(const std::function<int()>& request);

    void LoadCaptions();
    void ChooseLanguage();
    void SetFieldText(int id, const std::string& utf8);
    void EnableControl(int id, bool enabled);
    // Enables a command that writes to the card: never on a read-only card,
    // whose tip then says why.
    void EnableWritingControl(int id, bool enabled);
    void UpdateSelectionButtons();
    // Closing: whether the close command may close the window now; the
    // close command itself, refused while busy.
    bool ConfirmClose();
    bool OnSysCommand();

    // The file dialog: an open dialog for clip files, or a save dialog for
    // a raw DV file, proposing `fileName`. The chosen path, empty when
    // cancelled.
    std::string ChooseFile(bool open, const std::string& fileName);
    // Any file dialog: filter `filterId`, default extension `extension`.
    // A `fileName` without a folder starts in the folder the dialog of
    // `folderKey` used last (kept in the settings), else the user's videos
    // folder; the chosen file's folder is kept for the next time. Without
    // `confirmReplace` a save dialog leaves the question to the caller.
    std::string ChoosePath(bool open, const std::string& fileName, int filterId, const std::string& extension,
                           const char* folderKey, int titleId = 0, bool confirmReplace = true);
    static constexpr const char* kFolderOpenClip = "OpenClip";
    static constexpr const char* kFolderSaveClip = "SaveClip";
    static constexpr const char* kFolderImage = "CardImage";
    void LoadClipPath(const std::string& path);
    void OnPreview();
    void OnDeleteClip();
    void OnAbort();
    void OnCardSelChange();
    void OnDeviceChange(int event, int data);
    void ListCards(bool keep);

    // The lists.
    void SetUpLists();
    void UpdateClipItem(int slot);
    void UpdatePlaylistItem(int playlist);
    void ShowCurrentPlaylist();
    void UpdateEntryItem(int entry);
    void OnPlaylistSelChange();
    // A press on empty space of the playlist list clears its selection.
    bool ClearPlaylistOnEmptyClick(QEvent* event);

    // Playlist editing and the drags of the lists.
    void OnRemoveClip();
    void OnDeletePlaylist();
    void OnLoop();
    void OnToggleTransition();
    // Points are in the window's coordinates, as its drag and drop events
    // give them. The place under `point` and whether the running drag may
    // be dropped there.
    DropTarget HitTestDrop(const QPoint& point) const;
    void SetDropHighlight(int list, int item, bool on);
    // Cursor and highlight for the pointer at `point`; with `drop`, the
    // drop there is taken (carried out when the drag has ended).
    DropTarget TrackDrag(const QPoint& point, int drop);
    // Whether `mime` is the drag the window runs, and it takes drops now.
    bool ItemDragWanted(const QMimeData* mime) const;
    // The window's answers to its own drag: over a place, leaving the
    // window, dropped. The action taken, IgnoreAction when refused.
    Qt::DropAction ItemDragMove(const QDropEvent* event);
    void ItemDragLeft();
    Qt::DropAction ItemDrop(const QDropEvent* event);
    // The edit of a drop of `source` onto `target`.
    void CarryOutDrop(const DraggedItem& source, const DropTarget& target);
    // List widget number `list` of the drag rules, or null.
    QListWidget* DragListWidget(int list) const;
    // The list under `pos` (window coordinates) and its item there, -1
    // over empty space; no list elsewhere. Not `allowed`.
    DropTarget ListAt(const QPoint& pos) const;
    // The drop highlight on `items` of list `list`, and on no other item
    // (of any list); kNoDragList or no items: none.
    void ShowDropHighlight(int list, const std::vector<int>& items);

    // Files dragged from a file manager: what a drop at `pos` (window
    // coordinates) would do with the files of `mime` (nothing while busy,
    // while another drop runs or under a modal window); whether the window
    // takes files now; the answers to a file drag over a place and to its
    // drop (the action taken, IgnoreAction when refused); carrying a drop
    // out.
    FileDropTarget FileDropAt(const QPoint& pos, const QMimeData* mime) const;
    bool FilesWanted(const QMimeData* mime) const;
    Qt::DropAction FileDragMove(const QDropEvent* event);
    Qt::DropAction FileDrop(const QDropEvent* event);
    void DropFiles(const FileDropTarget& target);

    const CAppEnvironment& env_;
    CMessageBoxInteraction messageBoxes_;
    // Where messages are shown: the given interaction, else message boxes;
    // the window's flows show theirs through `notice_`, which also tells
    // the desktop how an operation ended while the user was elsewhere.
    IInteraction* shown_;
    CEndingNotice notice_;
    IInteraction* ui_;
    std::unique_ptr<CDeviceEvents> deviceEvents_;
    CCardSession session_;

    CPictureWnd* picture_ = nullptr;
    QListWidget* clipList_ = nullptr;
    QListWidget* playlistList_ = nullptr;
    QListWidget* entryList_ = nullptr;
    QComboBox* cardList_ = nullptr;
    CImageSet images_;
    std::unique_ptr<CWindowProgress> progress_;
    std::unique_ptr<CSessionProgress> sessionProgress_;
    std::unique_ptr<CWaitCursor> waitCursor_;
    int waiting_ = 0;

    bool refilling_ = false;
    int lastClientWidth_ = -1;
    int lastClientHeight_ = -1;
    int timerId_ = 0;
    CDragStarter* dragStarter_ = nullptr; // a child of the window
    ItemDragState itemDrag_;
    QMenuBar* menuBar_ = nullptr;
    QLabel* pictureHint_ = nullptr;
    QLabel* entryHint_ = nullptr;
    std::vector<std::pair<QMenu*, int>> menus_;
    struct MenuItem {
        QAction* action;
        int text;
        int likeControl;
    };
    std::vector<MenuItem> menuActions_;
    int dropHighlightList_ = kNoDragList;
    std::vector<int> dropHighlight_;
    bool dropping_ = false;
};
