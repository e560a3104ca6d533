// One card session: what a front end works on, without any of its drawing.
// It holds the open card and the identity of the card the user chose, the
// list of cards found, the current clip file with its path and picture (and
// whether it is converted on its way to the card), the current playlist,
// the busy state (nesting) and the abort flag, and tells its views what
// changed (ISessionView). The flows that change it
// (CardListFlow, ClipLoadFlow, ClipWriteFlow, DropBatchFlow, CardEditFlow)
// take the interaction and the progress they report through.
#pragma once
#include "CBusyState.h"
#include "CCardList.h"
#include "CClipFile.h"
#include "CDisk.h"
#include "CFlowInteraction.h"
#include "CPicture.h"
#include "Environment.h"

#include <string>
#include <vector>

class ISessionView;

class CCardSession {
public:
    // Cards are found and opened as `env` says, which must outlive the
    // session (its openers are asked each time, its sysfs folder at each
    // listing); `idle` shows the card's messages outside of flows (a
    // thumbnail that does not read).
    // `decoderPresent`: whether the DV decoder is there.
    CCardSession(const CEnvironment& env, IInteraction& idle, bool decoderPresent);
    ~CCardSession();
    CCardSession(const CCardSession&) = delete;
    CCardSession& operator=(const CCardSession&) = delete;

    void AddView(ISessionView* view);
    void RemoveView(ISessionView* view);

    // The session's environment: the one given, except how udisks2 is
    // waited for, which the window sets with SetAuthorisationWait.
    const CEnvironment& Environment() const { return env_; }
    void SetAuthorisationWait(AuthorisationWait wait) { ownWait_ = std::move(wait); }
    // Takes the given environment's sysfs folder again.
    void SyncEnvironment() { env_.sysRoot = outer_.sysRoot; }
    bool DecoderPresent() const { return decoderPresent_; }

    CDisk& Disk() { return disk_; }
    const CDisk& Disk() const { return disk_; }
    // Open with its tables read: the clip and playlist commands may run.
    bool CardReady() const { return disk_.IsOpen() && disk_.IsLoaded(); }
    // The open card cannot be written (write-protected, or an image file
    // that may not be written): it is read, and every command that writes
    // is refused.
    bool CardReadOnly() const { return disk_.WriteProtected(); }
    // True when `slot` holds a clip on a ready card.
    bool SlotHoldsClip(int slot) const;

    CCardList& Cards() { return cards_; }
    const CCardList& Cards() const { return cards_; }
    bool NoCard() const { return cards_.Empty(); }

    CClipFile& ClipFile() { return clipFile_; }
    const CClipFile& ClipFile() const { return clipFile_; }
    const std::string& FilePath() const { return filePath_; }
    void SetFilePath(const std::string& path) { filePath_ = path; }
    // The clip file's first frame at 180x144; empty (no pixels) when none
    // is shown.
    const CPicture& ClipPicture() const { return picture_; }
    CPicture& ClipPicture() { return picture_; }
    // The current clip file is converted on its way to the card (a video
    // that is not DV, or an AVI file with a separate audio track); the
    // frames its duration foretells, 0 when not known. Such a video is not
    // open as ClipFile, an AVI file is.
    bool ClipToConvert() const { return toConvert_; }
    void SetClipToConvert(bool convert, int frames)
    {
        toConvert_ = convert;
        convertFrames_ = convert ? frames : 0;
    }
    // There is a current clip file Write clip can take.
    bool ClipReady() const { return clipFile_.IsOpen() || toConvert_; }
    // Its frames, as far as they are known (0 not known).
    int ClipFrames() const { return clipFile_.IsOpen() ? clipFile_.FrameCount() : convertFrames_; }

    int CurrentPlaylist() const { return currentPlaylist_; }
    // Makes `playlist` (-1: none) current and tells the views when it
    // changed.
    void SetCurrentPlaylist(int playlist);

    CBusyState& Busy() { return busy_; }
    bool IsBusy() const { return busy_.On(); }
    // The user pressed Abort (the front end's progress stops at its next
    // check as well); a flow clears the flag before each part it may stop.
    void PressAbort() { abortPressed_ = true; }
    void ClearAbort() { abortPressed_ = false; }
    bool AbortPressed() const { return abortPressed_; }

    // The decoding warning for code 1, once per session.
    void WarnNoDecoder(IInteraction& ui, int code);

    // Where the card's own messages go; flows name theirs with CFlowScope.
    CFlowInteraction& FlowInteraction() { return flowUi_; }

    // Notifications, sent by the flows.
    void NotifyTables(const TableChange& change);
    void NotifyClipWritten(int slot);
    void NotifyCard();
    void NotifyCardList();
    void NotifyClipFile();

private:
    void NotifyBusy(bool busy);

    const CEnvironment& outer_;
    AuthorisationWait ownWait_;
    CEnvironment env_;
    bool decoderPresent_;
    CFlowInteraction flowUi_;
    CDisk disk_;
    CCardList cards_;
    CClipFile clipFile_;
    std::string filePath_;
    CPicture picture_;
    bool toConvert_ = false;
    int convertFrames_ = 0;
    int currentPlaylist_ = -1;
    CBusyState busy_;
    bool abortPressed_ = false;
    bool decoderWarningShown_ = false;
    std::vector<ISessionView*> views_;
};
