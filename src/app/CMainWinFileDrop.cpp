// Files dragged onto the main window from a file manager. Onto the clip
// picture or the "Clip" group, one file is loaded as Open clip loads it,
// with its checks and conversion offers. Onto the clip list, each file is
// loaded the same way and, when it loads, written as Write clip writes it:
// into the slot dropped on (after asking "Write clip at slot %02d?" when it
// holds a clip), over empty space into the lowest empty slot, and several
// files into the empty slots that follow, with one summary at the end. The
// copy cursor and the highlight of the slots show where a drop is taken;
// nothing is taken while the window is busy.
#include "CMainWin.h"

#include "CDragTracker.h"
#include "CDropBatchInteraction.h"
#include "ClipWriter.h"
#include "Texts.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QTimer>

#include <filesystem>

namespace {

constexpr int kIdClipGroup = 2009;

// The window's and the card's messages go through another interaction
// while the object lives.
class CMessagesVia {
public:
    CMessagesVia(IInteraction*& windowUi, CDisk& disk, IInteraction& via)
        : windowUi_(windowUi), disk_(disk), before_(windowUi)
    {
        windowUi_ = &via;
        disk_.SetInteraction(&via);
    }
    ~CMessagesVia()
    {
        windowUi_ = before_;
        disk_.SetInteraction(before_);
    }
    CMessagesVia(const CMessagesVia&) = delete;
    CMessagesVia& operator=(const CMessagesVia&) = delete;

private:
    IInteraction*& windowUi_;
    CDisk& disk_;
    IInteraction* before_;
};

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

} // namespace

bool CMainWin::FilesWanted(const QMimeData* mime) const
{
    // A message box, a file dialog or the player over the window: not now.
    const QWidget* modal = QApplication::activeModalWidget();
    return !busy_ && !dropping_ && (modal == nullptr || modal == this) && !DroppedFiles(mime).empty();
}

FileDropTarget CMainWin::FileDropAt(const QPoint& pos, const QMimeData* mime) const
{
    FileDropTarget target;
    if (!FilesWanted(mime))
        return target;
    std::vector<std::string> files = DroppedFiles(mime);

    if (clipList_ != nullptr && !clipList_->isHidden()) {
        const QWidget* view = clipList_->viewport();
        const QPoint local = view->mapFrom(this, pos);
        if (view->rect().contains(local)) {
            // Writing needs a card with its tables, as the list itself does.
            if (!disk_.IsOpen() || !disk_.IsLoaded())
                return target;
            const QListWidgetItem* item = clipList_->itemAt(local);
            const int slot = item != nullptr ? clipList_->row(item) : -1;
            target.intoSlots = DropSlots(disk_, slot, static_cast<int>(files.size()));
            if (!target.intoSlots.empty()) {
                target.place = FileDropPlace::ClipList;
                target.files = std::move(files);
            }
            return target;
        }
    }
    // The picture shows one file.
    if (files.size() != 1)
        return target;
    for (int id : {kIdPicture, kIdClipGroup}) {
        const QWidget* w = Control(id);
        if (w != nullptr && !w->isHidden() && w->geometry().contains(pos)) {
            target.place = FileDropPlace::Picture;
            target.files = std::move(files);
            break;
        }
    }
    return target;
}

void CMainWin::ShowDropHighlight(const std::vector<int>& intoSlots)
{
    if (intoSlots == dropHighlight_)
        return;
    for (int slot : dropHighlight_)
        CDragTracker::SetItemHighlight(clipList_, slot, false);
    dropHighlight_ = intoSlots;
    for (int slot : dropHighlight_)
        CDragTracker::SetItemHighlight(clipList_, slot, true);
}

void CMainWin::dragEnterEvent(QDragEnterEvent* event)
{
    if (!FilesWanted(event->mimeData())) {
        event->ignore();
        return;
    }
    dragMoveEvent(event);
    // Taken here or not, the moves that follow must come to the window:
    // only they tell where the files would go.
    event->accept();
}

void CMainWin::dragMoveEvent(QDragMoveEvent* event)
{
    const FileDropTarget target = FileDropAt(event->position().toPoint(), event->mimeData());
    const bool taken = target.place != FileDropPlace::None && (event->possibleActions() & Qt::CopyAction);
    ShowDropHighlight(taken && target.place == FileDropPlace::ClipList ? target.intoSlots : std::vector<int>());
    if (!taken) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CMainWin::dragLeaveEvent(QDragLeaveEvent* event)
{
    ShowDropHighlight({});
    event->accept();
}

void CMainWin::dropEvent(QDropEvent* event)
{
    ShowDropHighlight({});
    const FileDropTarget target = FileDropAt(event->position().toPoint(), event->mimeData());
    if (target.place == FileDropPlace::None || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The file manager waits for the drop to be answered; the questions and
    // the progress of the work come once it has been.
    dropping_ = true;
    QTimer::singleShot(0, this, [this, target] { DropFiles(target); });
}

void CMainWin::DropFiles(const FileDropTarget& target)
{
    struct Done {
        bool& dropping;
        ~Done() { dropping = false; }
    } done{dropping_};
    dropping_ = true;
    if (busy_ || target.files.empty())
        return;

    if (target.place == FileDropPlace::Picture) {
        LoadClipPath(target.files.front());
        return;
    }
    if (target.place != FileDropPlace::ClipList || target.intoSlots.empty() || !disk_.IsOpen() || !disk_.IsLoaded())
        return;
    const int slot = target.intoSlots.front();
    if (slot < 0 || slot >= kSlotCount)
        return;
    // A clip already there is not replaced by a slip of the mouse.
    if (disk_.Clips()[static_cast<std::size_t>(slot)].frames != 0 &&
        ShowMessage(*ui_, kIdsAskWriteAtSlot, kMsgYesNoDefNo, slot + 1) != kIdYes)
        return;
    if (target.files.size() == 1)
        LoadAndWrite(target.files.front(), slot);
    else
        WriteDroppedFiles(target.files, slot);
}

int CMainWin::LoadAndWrite(const std::string& path, int slot)
{
    LoadClipPath(path);
    if (!clipFile_.IsOpen())
        return -1;
    return WriteClipInto(slot);
}

void CMainWin::WriteDroppedFiles(const std::vector<std::string>& files, int first)
{
    CDropBatchInteraction batch(*ui_);
    int written = 0;
    std::string refused;
    {
        CMessagesVia via(ui_, disk_, batch);
        bool stopped = false;
        int slot = first;
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string& path = files[i];
            // The first file goes into the slot dropped on, each next one
            // into the empty slot at or after the one before.
            if (i > 0 && !stopped)
                slot = NextEmptySlot(disk_, slot);
            std::string reason;
            if (stopped) {
                reason = LoadText(kIdsOperationAborted);
            } else if (slot < 0) {
                reason = LoadText(kIdsNoEmptySlot);
            } else {
                batch.BeginFile();
                abortPressed_ = false;
                const int outcome = LoadAndWrite(path, slot);
                if (outcome == kWriteDone) {
                    ++written;
                    continue;
                }
                // Abort, or a transfer to the card that failed, ends the
                // drop; a file its checks refused does not.
                stopped = abortPressed_ || outcome == kWriteAborted || outcome == kWriteCompactionStopped;
                reason = batch.Reason(path);
                if (reason.empty())
                    reason = LoadText(stopped ? kIdsOperationAborted : kIdsCancelled);
            }
            refused += FileNameOf(path) + ": " + reason + "\n";
        }
    }
    std::string summary = FormatText(kIdsDropSummary, written, static_cast<int>(files.size()), refused.c_str());
    while (!summary.empty() && (summary.back() == '\n' || summary.back() == ' '))
        summary.pop_back();
    ui_->Show(kIdsDropSummary, refused.empty() ? kMsgInfo : kMsgWarning, summary);
    UpdateControls();
}
