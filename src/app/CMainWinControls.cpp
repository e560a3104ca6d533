// The main window's info fields and the rules that enable its controls,
// from the session's busy state, card, clip file and current playlist, and
// the selections.
#include "CMainWin.h"

#include "CardTexts.h"
#include "DvFrame.h"
#include "Paths.h"
#include "Texts.h"

#include <QCheckBox>
#include <QListWidget>

void CMainWin::SetFieldText(int id, const std::string& utf8) { SetControlText(id, QString::fromStdString(utf8)); }

void CMainWin::EnableControl(int id, bool enabled)
{
    if (QWidget* w = Control(id))
        w->setEnabled(enabled);
}

void CMainWin::EnableWritingControl(int id, bool enabled)
{
    const bool readOnly = session_.CardReadOnly();
    EnableControl(id, enabled && !readOnly);
    if (QWidget* w = Control(id))
        w->setToolTip(readOnly ? QString::fromStdString(LoadText(kIdsTipCardReadOnly)) : QString());
}

void CMainWin::BusyChanged(bool) { UpdateControls(); }

void CMainWin::UpdateControls()
{
    const bool idle = !Busy();
    const bool fileLoaded = session_.ClipReady();
    const bool fileOpen = session_.ClipFile().IsOpen();
    const int fileFrames = session_.ClipFrames();
    const bool cardOpen = session_.Disk().IsOpen();
    const bool ready = idle && session_.CardReady();
    const int currentPlaylist = session_.CurrentPlaylist();

    SetFieldText(kIdFileName, fileLoaded ? BaseName(session_.FilePath()) : std::string());
    // A video to convert whose duration is not known shows no length.
    const bool lengthKnown = fileOpen || (fileLoaded && fileFrames > 0);
    SetFieldText(kIdFileLength, lengthKnown ? FormatFrameTimeSize(fileFrames, false) : std::string());
    SetFieldText(kIdCapacity, CapacityText(session_.Disk()));
    SetFieldText(kIdFree, FreeText(session_.Disk()));

    EnableControl(kIdCardList, idle && !session_.NoCard());
    EnableWritingControl(kIdFormat, idle && cardOpen);
    EnableWritingControl(kIdWriteClip, ready && fileLoaded);
    EnableControl(kIdOpenClip, idle);
    EnableControl(kIdPreview, env_.decoderPresent && idle && fileOpen);
    // Refused access may be put right while the window is open (the user
    // added to the disk group, a rule installed): Refresh tries again.
    EnableControl(kIdRefresh, idle);
    EnableControl(kIdClipList, ready);
    EnableControl(kIdPlaylistList, ready);
    EnableControl(kIdEntryList, ready && currentPlaylist >= 0);
    // Loop changes the card's tables: it follows the busy state as well as
    // the current playlist.
    bool loop = false;
    if (idle && currentPlaylist >= 0 && currentPlaylist < kPlaylistCount)
        loop = !session_.Disk().Playlists()[static_cast<std::size_t>(currentPlaylist)].entries.empty();
    EnableWritingControl(kIdLoop, loop);
    UpdateSelectionButtons();
}

void CMainWin::UpdateSelectionButtons()
{
    const bool idle = !Busy();
    const bool loaded = session_.CardReady();

    const bool clipSelected = idle && session_.SlotHoldsClip(SelectedClip());
    EnableWritingControl(kIdDeleteClip, clipSelected);
    EnableControl(kIdPreviewClip, clipSelected);
    EnableControl(kIdReadClip, clipSelected);

    const int playlist = SelectedPlaylist();
    EnableWritingControl(kIdDeletePlaylist, idle && loaded && playlist >= 0 && playlist < kPlaylistCount &&
                                         !session_.Disk().Playlists()[static_cast<std::size_t>(playlist)].entries.empty());
    EnableWritingControl(kIdRemoveClip, idle && SelectedEntry() >= 0);
    EnableControl(kIdLanguageList, idle);
    SyncMenus();
    UpdateHints();
}
