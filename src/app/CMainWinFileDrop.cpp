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
#include "DropBatchFlow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QTimer>


namespace {

constexpr int kIdClipGroup = 2009;

} // namespace

bool CMainWin::FilesWanted(const QMimeData* mime) const
{
    // A message box, a file dialog or the player over the window: not now.
    const QWidget* modal = QApplication::activeModalWidget();
    return !Busy() && !dropping_ && (modal == nullptr || modal == this) && !DroppedFiles(mime).empty();
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
            if (!session_.CardReady())
                return target;
            const QListWidgetItem* item = clipList_->itemAt(local);
            const int slot = item != nullptr ? clipList_->row(item) : -1;
            target.intoSlots = DropSlots(session_.Disk(), slot, static_cast<int>(files.size()));
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
    if (Busy() || target.files.empty())
        return;
    if (target.place == FileDropPlace::Picture)
        LoadClipPath(target.files.front());
    else if (target.place == FileDropPlace::ClipList && !target.intoSlots.empty())
        DropFilesIntoSlots(session_, target.files, target.intoSlots.front(), *ui_, *progress_, *this);
    UpdateControls();
}
