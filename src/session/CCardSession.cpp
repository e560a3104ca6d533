#include "CCardSession.h"

#include "ISessionView.h"
#include "Interaction.h"

#include <algorithm>

CCardSession::CCardSession(const CEnvironment& env, IInteraction& idle, bool decoderPresent)
    : outer_(env), env_(env), decoderPresent_(decoderPresent), flowUi_(idle), disk_(env_),
      busy_([this](bool busy) { NotifyBusy(busy); })
{
    // What a test or the program changes in its environment later is seen.
    env_.openDevice = [this](const std::string& path, bool requireCard, bool write, std::unique_ptr<IDevice>& device) {
        return outer_.openDevice(path, requireCard, write, device);
    };
    env_.cardReaders = [this] { return outer_.cardReaders(); };
    env_.awaitAuthorisation = [this](const std::function<int()>& request) {
        if (ownWait_)
            return ownWait_(request);
        return outer_.awaitAuthorisation ? outer_.awaitAuthorisation(request) : request();
    };
    disk_.SetInteraction(&flowUi_);
}

CCardSession::~CCardSession()
{
    views_.clear();
    clipFile_.Close();
    disk_.Close();
}

void CCardSession::AddView(ISessionView* view)
{
    if (view != nullptr && std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
}

void CCardSession::RemoveView(ISessionView* view) { views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end()); }

bool CCardSession::SlotHoldsClip(int slot) const
{
    return CardReady() && slot >= 0 && slot < kSlotCount && disk_.Clips()[static_cast<std::size_t>(slot)].frames != 0;
}

void CCardSession::SetCurrentPlaylist(int playlist)
{
    if (playlist < -1 || playlist >= kPlaylistCount)
        playlist = -1;
    if (playlist == currentPlaylist_)
        return;
    currentPlaylist_ = playlist;
    for (ISessionView* v : views_)
        v->CurrentPlaylistChanged();
}

void CCardSession::WarnNoDecoder(IInteraction& ui, int code)
{
    if (code != 1 || decoderWarningShown_)
        return;
    ShowMessage(ui, kIdsNoDecoder, kMsgWarning);
    decoderWarningShown_ = true;
}

void CCardSession::NotifyBusy(bool busy)
{
    for (ISessionView* v : views_)
        v->BusyChanged(busy);
}

void CCardSession::NotifyTables(const TableChange& change)
{
    for (ISessionView* v : views_)
        v->TablesChanged(change);
}

void CCardSession::NotifyClipWritten(int slot)
{
    for (ISessionView* v : views_)
        v->ClipWritten(slot);
}

void CCardSession::NotifyCard()
{
    for (ISessionView* v : views_)
        v->CardChanged();
}

void CCardSession::NotifyCardList()
{
    for (ISessionView* v : views_)
        v->CardListChanged();
}

void CCardSession::NotifyClipFile()
{
    for (ISessionView* v : views_)
        v->ClipFileChanged();
}
