// What the main window explains by itself: the hints its empty places show
// (the clip picture before a file is opened, the current playlist before a
// clip is dragged into it), the tips on the loop mark and the times, the
// current playlist wrapping its entries into as many rows as it has room
// for, and the Tab order, which follows the screen.
#include "CMainWin.h"

#include "CPictureWnd.h"
#include "Texts.h"

#include <QLabel>
#include <QListWidget>

namespace {

QLabel* MakeHint(QWidget* over, const QString& style)
{
    auto* hint = new QLabel(over);
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    hint->setStyleSheet(style);
    hint->setGeometry(over->rect());
    return hint;
}

} // namespace

void CMainWin::SetUpHints()
{
    if (picture_ != nullptr) {
        pictureHint_ = MakeHint(picture_, QStringLiteral("color: #c8c8c8; background: transparent;"));
        picture_->installEventFilter(this);
    }
    if (entryList_ != nullptr) {
        entryHint_ = MakeHint(entryList_->viewport(), QStringLiteral("color: palette(mid); background: transparent;"));
        // A long playlist takes as many rows as the list has room for, and
        // scrolls down beyond them; none is cut off at the right.
        entryList_->setWrapping(true);
        entryList_->setFlow(QListView::LeftToRight);
        entryList_->setResizeMode(QListView::Adjust);
        entryList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    // Screen order: the top row, then each group from left to right and
    // top to bottom, the progress display's Abort last.
    const int order[] = {kIdOpenClip, kIdCardList, kIdRefresh, kIdLanguageList, kIdPreview, kIdWriteClip,
                         kIdReadClip, kIdFormat, kIdPlaylistList, kIdClipList, kIdPreviewClip, kIdDeleteClip,
                         kIdDeletePlaylist, kIdRemoveClip, kIdLoop, kIdEntryList, kIdAbort};
    QWidget* before = nullptr;
    for (int id : order) {
        QWidget* w = Control(id);
        if (w == nullptr)
            continue;
        if (before != nullptr)
            setTabOrder(before, w);
        before = w;
    }
}

void CMainWin::UpdateHints()
{
    const QString times = QString::fromStdString(LoadText(kIdsTipTimes));
    for (int id : {kIdFileLength, kIdCapacity, kIdFree}) {
        if (QWidget* w = Control(id))
            w->setToolTip(times);
    }
    if (QWidget* info = Control(kIdPlaylistInfo))
        info->setToolTip(QString::fromStdString(LoadText(kIdsTipLoopMark)) + QLatin1Char('\n') + times);
    // On a read-only card the box says why it cannot be ticked instead.
    if (QWidget* loop = Control(kIdLoop); loop != nullptr && !session_.CardReadOnly())
        loop->setToolTip(QString::fromStdString(LoadText(kIdsTipLoopMark)));

    if (pictureHint_ != nullptr) {
        pictureHint_->setText(QString::fromStdString(LoadText(kIdsHintDropFiles)));
        pictureHint_->setGeometry(picture_->rect());
        pictureHint_->setVisible(!session_.ClipFile().IsOpen());
    }
    if (entryHint_ != nullptr) {
        entryHint_->setText(QString::fromStdString(LoadText(kIdsHintDragClips)));
        entryHint_->setGeometry(entryList_->viewport()->rect());
        entryHint_->setVisible(session_.CardReady() && session_.CurrentPlaylist() >= 0 && entryList_->count() == 0);
    }
}
