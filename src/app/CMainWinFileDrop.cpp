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

#include "DropBatchFlow.h"

#include <QApplication>
#include <QDropEvent>
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

    const DropTarget place = ListAt(pos);
    if (place.list == kDragClipList) {
        // Writing needs a card with its tables, as the list itself does.
        if (!session_.CardReady())
            return target;
        target.intoSlots = DropSlots(session_.Disk(), place.item, static_cast<int>(files.size()));
        if (!target.intoSlots.empty()) {
            target.place = FileDropPlace::ClipList;
            target.files = std::move(files);
        }
        return target;
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

Qt::DropAction CMainWin::FileDragMove(const QDropEvent* event)
{
    const FileDropTarget target = FileDropAt(event->position().toPoint(), event->mimeData());
    const bool taken = target.place != FileDropPlace::None && (event->possibleActions() & Qt::CopyAction);
    if (taken && target.place == FileDropPlace::ClipList)
        ShowDropHighlight(kDragClipList, target.intoSlots);
    else
        ShowDropHighlight(kNoDragList, {});
    return taken ? Qt::CopyAction : Qt::IgnoreAction;
}

Qt::DropAction CMainWin::FileDrop(const QDropEvent* event)
{
    const FileDropTarget target = FileDropAt(event->position().toPoint(), event->mimeData());
    if (target.place == FileDropPlace::None || !(event->possibleActions() & Qt::CopyAction))
        return Qt::IgnoreAction;
    // The file manager waits for the drop to be answered; the questions and
    // the progress of the work come once it has been.
    dropping_ = true;
    QTimer::singleShot(0, this, [this, target] { DropFiles(target); });
    return Qt::CopyAction;
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
