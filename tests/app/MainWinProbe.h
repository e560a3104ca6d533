// What the main window's tests look at and press. The window keeps its
// state and command handlers private; this class, named its friend, hands
// them to the tests: Probe(win).ClipList(), Probe(win).OnWriteClip().
#pragma once
#include "CMainWin.h"

#include <memory>

class CMainWinProbe {
public:
    explicit CMainWinProbe(CMainWin& w) : w_(w) {}

    CCardSession& Session() const { return w_.Session(); }
    CDisk& Disk() const { return w_.Disk(); }
    CClipFile& ClipFile() const { return w_.ClipFile(); }
    const std::string& CurrentFilePath() const { return w_.CurrentFilePath(); }
    int CurrentPlaylist() const { return w_.CurrentPlaylist(); }
    bool NoCard() const { return w_.NoCard(); }
    bool NoRights() const { return w_.NoRights(); }
    bool Busy() const { return w_.Busy(); }
    bool StartupPending() const { return w_.StartupPending(); }
    bool DropRunning() const { return w_.DropRunning(); }
    const ItemDragState& ItemDrag() const { return w_.ItemDrag(); }
    const CImageSet& Images() const { return w_.Images(); }
    QListWidget* ClipList() const { return w_.ClipList(); }
    QListWidget* PlaylistList() const { return w_.PlaylistList(); }
    QListWidget* EntryList() const { return w_.EntryList(); }
    int SelectedClip() const { return w_.SelectedClip(); }
    int SelectedPlaylist() const { return w_.SelectedPlaylist(); }
    int SelectedEntry() const { return w_.SelectedEntry(); }
    std::string OnInfoTip(int listId, int item) const { return w_.OnInfoTip(listId, item); }

    void BeginProgress(int range) const { w_.BeginProgress(range); }
    void SetProgress(int position) const { w_.SetProgress(position); }
    void EndProgress() const { w_.EndProgress(); }
    bool PumpMessages() const { return w_.PumpMessages(); }
    CWindowProgress& Progress() const { return w_.Progress(); }

    void UpdateControls() const { w_.UpdateControls(); }
    void SetThumbnail(int slot, const std::uint8_t* pixels) const { w_.SetThumbnail(slot, pixels); }
    void RefillLists() const { w_.RefillLists(); }

    void OnOpenClip() const { w_.OnOpenClip(); }
    void OnWriteClip() const { w_.OnWriteClip(); }
    void OnReadClip() const { w_.OnReadClip(); }
    void OnPreviewClip() const { w_.OnPreviewClip(); }
    void OnFormat() const { w_.OnFormat(); }
    void OnRenameClip() const { w_.OnRenameClip(); }
    void OnRefresh() const { w_.OnRefresh(); }
    void OnStartupTimer() const { w_.OnStartupTimer(); }
    void OnLanguageSelChange() const { w_.OnLanguageSelChange(); }
    void OnRecoverClips() const { w_.OnRecoverClips(); }
    void OnCheckCard() const { w_.OnCheckCard(); }

    // The menu command of text `text` (the menu bar's and the context
    // menus'), null when there is none.
    QAction* MenuAction(int text) const { return w_.MenuAction(text); }
    void OnBackupCard() const { w_.OnBackupCard(); }
    void OnRestoreCard() const { w_.OnRestoreCard(); }
    void OnCopyCard() const { w_.OnCopyCard(); }

private:
    CMainWin& w_;
};

inline CMainWinProbe Probe(CMainWin& w) { return CMainWinProbe(w); }
inline CMainWinProbe Probe(const CMainWin& w) { return CMainWinProbe(const_cast<CMainWin&>(w)); }
