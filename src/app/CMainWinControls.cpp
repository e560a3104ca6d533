// The main window's info fields and the rules that enable its controls,
// from the busy flag, the card's state, the clip file and the selections.
#include "CMainWin.h"

#include "CardTexts.h"
#include "DvFrame.h"
#include "Paths.h"

#include <QCheckBox>
#include <QListWidget>

void CMainWin::SetFieldText(int id, const std::string& utf8) { SetControlText(id, QString::fromStdString(utf8)); }

void CMainWin::EnableControl(int id, bool enabled)
{
    if (QWidget* w = Control(id))
        w->setEnabled(enabled);
}

void CMainWin::UpdateControls()
{
    const bool idle = !busy_;
    const bool fileLoaded = clipFile_.IsOpen();
    const bool cardOpen = disk_.IsOpen();
    const bool ready = idle && cardOpen && disk_.IsLoaded();

    SetFieldText(kIdFileName, fileLoaded ? BaseName(currentFilePath_) : std::string());
    SetFieldText(kIdFileLength, fileLoaded ? FormatFrameTimeSize(clipFile_.FrameCount(), false) : std::string());
    SetFieldText(kIdCapacity, CapacityText(disk_));
    SetFieldText(kIdFree, FreeText(disk_));

    EnableControl(kIdCardList, idle && !noCard_);
    EnableControl(kIdFormat, idle && cardOpen);
    EnableControl(kIdWriteClip, ready && fileLoaded);
    EnableControl(kIdOpenClip, idle);
    EnableControl(kIdPreview, env_.decoderPresent && idle && fileLoaded);
    EnableControl(kIdRefresh, idle && !noRights_);
    EnableControl(kIdClipList, ready);
    EnableControl(kIdPlaylistList, ready);
    EnableControl(kIdEntryList, ready && currentPlaylist_ >= 0);
    // Loop changes the card's tables: it follows the busy state as well as
    // the current playlist.
    bool loop = false;
    if (idle && currentPlaylist_ >= 0 && currentPlaylist_ < kPlaylistCount)
        loop = !disk_.Playlists()[static_cast<std::size_t>(currentPlaylist_)].entries.empty();
    EnableControl(kIdLoop, loop);
    UpdateSelectionButtons();
}

void CMainWin::UpdateSelectionButtons()
{
    const bool idle = !busy_;
    const bool loaded = disk_.IsOpen() && disk_.IsLoaded();

    const int clip = SelectedClip();
    const bool clipSelected = idle && loaded && clip >= 0 && clip < kSlotCount &&
                              disk_.Clips()[static_cast<std::size_t>(clip)].frames != 0;
    EnableControl(kIdDeleteClip, clipSelected);
    EnableControl(kIdPreviewClip, clipSelected);
    EnableControl(kIdReadClip, clipSelected);

    const int playlist = SelectedPlaylist();
    EnableControl(kIdDeletePlaylist, idle && loaded && playlist >= 0 && playlist < kPlaylistCount &&
                                         !disk_.Playlists()[static_cast<std::size_t>(playlist)].entries.empty());
    EnableControl(kIdRemoveClip, idle && SelectedEntry() >= 0);
    EnableControl(kIdLanguageList, idle);
}
