// The main window's card commands: Write clip, Delete clip (button and the
// Delete key of the clip list), Preview clip (button and double click) and
// Format, each followed by the redraws of the lists it changed. The work
// itself is done by the card's write, delete and format procedures.
#include "CMainWin.h"

#include "CCardClipSource.h"
#include "CKeyAction.h"
#include "CPlayerDlg.h"
#include "ClipWriter.h"
#include "FormatFlow.h"

#include <QListWidget>
#include <QPushButton>

#include <utility>

namespace {

// What the window redraws while a clip is written: the former clip's
// deletion and the new clip, not a clip that compaction moved (it looks the
// same).
class CWindowWriteView : public IClipWriteView {
public:
    explicit CWindowWriteView(CMainWin& win) : win_(win) {}

    void UpdateControls() override { win_.UpdateControls(); }
    void ClipDeleted(const TableChange& change) override { win_.ShowChange(change); }
    void ClipRecorded(int slot, const TableChange& change) override
    {
        win_.ShowChange(change);
        if (QListWidget* list = win_.ClipList(); list != nullptr && list->item(slot) != nullptr)
            list->scrollToItem(list->item(slot));
    }

private:
    CMainWin& win_;
};

} // namespace

void CMainWin::BindCommands()
{
    const std::pair<int, void (CMainWin::*)()> buttons[] = {
        {kIdOpenClip, &CMainWin::OnOpenClip},   {kIdPreview, &CMainWin::OnPreview},
        {kIdWriteClip, &CMainWin::OnWriteClip}, {kIdReadClip, &CMainWin::OnReadClip},
        {kIdDeleteClip, &CMainWin::OnDeleteClip}, {kIdPreviewClip, &CMainWin::OnPreviewClip},
        {kIdFormat, &CMainWin::OnFormat},
    };
    for (const auto& [id, handler] : buttons) {
        if (auto* button = ControlAs<QPushButton>(id))
            connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    }
    if (clipList_ != nullptr) {
        connect(clipList_, &QListWidget::itemDoubleClicked, this, [this] { OnPreviewClip(); });
        new CKeyAction(clipList_, Qt::Key_Delete, [this] { OnDeleteClip(); });
    }
}

void CMainWin::OnWriteClip() { WriteClipInto(SelectedClip()); }

int CMainWin::WriteClipInto(int slot)
{
    if (busy_ || !clipFile_.IsOpen())
        return kWriteNothing;
    CWindowWriteView view(*this);
    // The clip is read back from the card and compared unless the settings
    // turn that off.
    return WriteClip(disk_, slot, clipFile_, *progress_, &view, nullptr, VerifyAfterWriting());
}

void CMainWin::OnDeleteClip()
{
    const int slot = SelectedClip();
    if (busy_ || slot < 0)
        return;
    DeleteClip(slot);
}

int CMainWin::DeleteClip(int slot)
{
    if (slot < 0 || slot >= kSlotCount || !disk_.IsOpen() || !disk_.IsLoaded())
        return 0;
    ClipDeletion deletion;
    const int result = disk_.DeleteClip(slot, &deletion);
    ShowChange(deletion);
    return result;
}

void CMainWin::OnPreviewClip()
{
    const int slot = SelectedClip();
    if (busy_ || slot < 0 || !env_.decoderPresent || !disk_.IsOpen() || !disk_.IsLoaded())
        return;
    CCardClipSource source(disk_, slot);
    RunPlayer(this, source, env_.decoderPresent);
}

void CMainWin::OnFormat()
{
    if (busy_)
        return;
    const int result = FormatCard(disk_, *ui_, [this] { RefillLists(); });
    if (result == kFormatNotDone)
        return;
    // The card still holds its old tables: read them again.
    if (result == kFormatWriteFailed)
        EnumerateCards(true);
    currentPlaylist_ = -1;
    ShowCurrentPlaylist();
}
