// The main window's menu bar and the context menus of its lists: the
// commands of its buttons, keys and double clicks under one roof with the
// usual shortcuts, and the card-image commands that have no button. Each
// menu command runs the handler its button runs; it is enabled when that
// button is.
#include "CMainWin.h"

#include "CKeyAction.h"
#include "CardImageFlow.h"
#include "FileDialog.h"
#include "Texts.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>

namespace {

struct MenuCommand {
    int menu;                   // text of the menu it is in
    int text;                   // its own text; 0 for a separator
    void (CMainWin::*handler)();
    int likeControl;            // the button whose enabled state it takes; 0 always enabled
    QKeySequence::StandardKey standardKey;
    QKeySequence key;           // a key of its own, empty for none
};

// The sizes offered for a new card image, in MB.
const int kImageSizesMb[] = {64, 256, 512, 1024, 2048, 4096, 8192};

} // namespace

void CMainWin::BuildMenus()
{
    using K = QKeySequence;
    const MenuCommand commands[] = {
        {kIdsMenuFile, kIdsMenuOpenClip, &CMainWin::OnOpenClip, kIdOpenClip, K::Open, K(Qt::CTRL | Qt::Key_O)},
        {kIdsMenuFile, kIdsMenuPreviewFile, &CMainWin::OnPreview, kIdPreview, K::UnknownKey, K()},
        {kIdsMenuFile, 0, nullptr, 0, K::UnknownKey, K()},
        {kIdsMenuFile, kIdsMenuOpenImage, &CMainWin::OnOpenCardImage, kIdOpenClip, K::UnknownKey, K()},
        {kIdsMenuFile, kIdsMenuNewImage, &CMainWin::OnNewCardImage, kIdOpenClip, K::UnknownKey, K()},
        {kIdsMenuFile, 0, nullptr, 0, K::UnknownKey, K()},
        {kIdsMenuFile, kIdsMenuBackUp, &CMainWin::OnBackupCard, kIdFormat, K::UnknownKey, K()},
        {kIdsMenuFile, kIdsMenuRestore, &CMainWin::OnRestoreCard, kIdFormat, K::UnknownKey, K()},
        {kIdsMenuFile, kIdsMenuCopyCard, &CMainWin::OnCopyCard, kIdFormat, K::UnknownKey, K()},
        {kIdsMenuFile, 0, nullptr, 0, K::UnknownKey, K()},
        {kIdsMenuFile, kIdsMenuQuit, &CMainWin::OnQuit, 0, K::Quit, K(Qt::CTRL | Qt::Key_Q)},
        {kIdsMenuCard, kIdsMenuRefresh, &CMainWin::OnRefresh, kIdRefresh, K::Refresh, K(Qt::Key_F5)},
        {kIdsMenuCard, kIdsMenuFormat, &CMainWin::OnFormat, kIdFormat, K::UnknownKey, K()},
        {kIdsMenuCard, 0, nullptr, 0, K::UnknownKey, K()},
        {kIdsMenuCard, kIdsMenuCheckCard, &CMainWin::OnCheckCard, kIdFormat, K::UnknownKey, K()},
        {kIdsMenuCard, kIdsMenuRecover, &CMainWin::OnRecoverClips, kIdFormat, K::UnknownKey, K()},
        {kIdsMenuClip, kIdsMenuWrite, &CMainWin::OnWriteClip, kIdWriteClip, K::UnknownKey, K()},
        {kIdsMenuClip, kIdsMenuRead, &CMainWin::OnReadClip, kIdReadClip, K::UnknownKey, K()},
        {kIdsMenuClip, kIdsMenuDelete, &CMainWin::OnDeleteClip, kIdDeleteClip, K::UnknownKey, K()},
        {kIdsMenuClip, kIdsMenuPreview, &CMainWin::OnPreviewClip, kIdPreviewClip, K::UnknownKey, K()},
        {kIdsMenuClip, kIdsMenuRename, &CMainWin::OnRenameClip, kIdDeleteClip, K::UnknownKey, K(Qt::Key_F2)},
        {kIdsMenuPlaylist, kIdsMenuToggleTransition, &CMainWin::OnToggleTransition, kIdRemoveClip, K::UnknownKey, K()},
        {kIdsMenuPlaylist, kIdsMenuRemoveEntry, &CMainWin::OnRemoveClip, kIdRemoveClip, K::UnknownKey, K()},
        {kIdsMenuPlaylist, kIdsMenuLoop, &CMainWin::OnLoopCommand, kIdLoop, K::UnknownKey, K()},
        {kIdsMenuPlaylist, kIdsMenuDeletePlaylist, &CMainWin::OnDeletePlaylist, kIdDeletePlaylist, K::UnknownKey, K()},
        {kIdsMenuHelp, kIdsMenuManual, &CMainWin::OnManual, 0, K::HelpContents, K(Qt::Key_F1)},
        {kIdsMenuHelp, kIdsMenuAbout, &CMainWin::OnAbout, 0, K::UnknownKey, K()},
    };

    menuBar_ = new QMenuBar(this);
    for (const MenuCommand& c : commands) {
        QMenu* menu = MenuFor(c.menu);
        if (c.text == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString());
        if (!c.key.isEmpty())
            action->setShortcut(c.key);
        else if (c.standardKey != K::UnknownKey)
            action->setShortcuts(c.standardKey);
        // The dialog's own filter swallows Enter and Escape; shortcuts of
        // the menu reach it from any control.
        action->setShortcutContext(Qt::WindowShortcut);
        const auto handler = c.handler;
        const int like = c.likeControl;
        connect(action, &QAction::triggered, this, [this, handler, like] {
            // A shortcut may come before the menu caught up with the state.
            if (like == 0 || (Control(like) != nullptr && Control(like)->isEnabled()))
                (this->*handler)();
        });
        menuActions_.push_back({action, c.text, c.likeControl});
    }
    // The bar takes its height from its titles.
    RetranslateMenus();
    SetTopBar(menuBar_);

    // Enter and Space switch the transition of the chosen entry, as a
    // double click does.
    if (entryList_ != nullptr) {
        for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
            new CKeyAction(entryList_, key, [this] { OnToggleTransition(); });
    }
    for (QListWidget* list : {clipList_, playlistList_, entryList_}) {
        if (list == nullptr)
            continue;
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this,
                [this, list](const QPoint& pos) { ShowContextMenu(list, pos); });
    }
}

QMenu* CMainWin::MenuFor(int text)
{
    for (const auto& [menu, id] : menus_) {
        if (id == text)
            return menu;
    }
    QMenu* menu = menuBar_->addMenu(QString());
    menus_.emplace_back(menu, text);
    return menu;
}

QAction* CMainWin::MenuAction(int text) const
{
    for (const MenuItem& item : menuActions_) {
        if (item.text == text)
            return item.action;
    }
    return nullptr;
}

void CMainWin::RetranslateMenus()
{
    for (const auto& [menu, id] : menus_)
        menu->setTitle(QString::fromStdString(LoadText(id)));
    for (const MenuItem& item : menuActions_)
        item.action->setText(QString::fromStdString(LoadText(item.text)));
}

void CMainWin::SyncMenus()
{
    for (const MenuItem& item : menuActions_) {
        if (item.likeControl != 0)
            item.action->setEnabled(Control(item.likeControl) != nullptr && Control(item.likeControl)->isEnabled());
    }
}

void CMainWin::ShowContextMenu(QListWidget* list, const QPoint& pos)
{
    // The item under the pointer becomes the chosen one, as a click would
    // make it; the menu then offers what can be done with it.
    if (QListWidgetItem* item = list->itemAt(pos))
        list->setCurrentItem(item);
    std::vector<int> texts;
    if (list == clipList_)
        texts = {kIdsMenuWrite, kIdsMenuRead, kIdsMenuDelete, kIdsMenuPreview, kIdsMenuRename};
    else if (list == playlistList_)
        texts = {kIdsMenuLoop, kIdsMenuDeletePlaylist};
    else
        texts = {kIdsMenuToggleTransition, kIdsMenuRemoveEntry, kIdsMenuLoop};
    SyncMenus();
    QMenu menu(this);
    for (int text : texts) {
        if (QAction* action = MenuAction(text))
            menu.addAction(action);
    }
    menu.exec(list->viewport()->mapToGlobal(pos));
}

void CMainWin::OnLoopCommand()
{
    auto* loop = ControlAs<QCheckBox>(kIdLoop);
    if (loop == nullptr || !loop->isEnabled() || Busy())
        return;
    loop->setChecked(!loop->isChecked());
    OnLoop();
}

void CMainWin::OnQuit() { close(); }

void CMainWin::OnOpenCardImage()
{
    if (Busy())
        return;
    const std::string path = ChoosePath(true, "", kIdsFilterCardImage, "", kFolderImage, kIdsOpenImageTitle);
    if (!path.empty())
        AddCardImage(session_, *ui_, path);
}

void CMainWin::OnNewCardImage()
{
    if (Busy())
        return;
    QStringList sizes;
    for (int mb : kImageSizesMb)
        sizes << (mb >= 1024 ? QStringLiteral("%1 GB").arg(mb / 1024) : QStringLiteral("%1 MB").arg(mb));
    int chosen = 0;
    if (env_.answerImageSize) {
        chosen = env_.answerImageSize(sizes);
    } else {
        bool ok = false;
        const QString size = QInputDialog::getItem(this, QString::fromStdString(LoadText(kIdsNewImageTitle)),
                                                   QString::fromStdString(LoadText(kIdsAskImageSize)), sizes, 0,
                                                   false, &ok);
        chosen = ok ? static_cast<int>(sizes.indexOf(size)) : -1;
    }
    if (chosen < 0 || chosen >= static_cast<int>(std::size(kImageSizesMb)))
        return;
    const std::string path = ChoosePath(false, "card.img", kIdsFilterCardImage, ".img", kFolderImage, kIdsNewImageTitle);
    if (path.empty())
        return;
    CreateCardImage(session_, *ui_, path, static_cast<long long>(kImageSizesMb[chosen]) * 1024 * 1024);
}

void CMainWin::OnManual()
{
    // The installed manual page, shown by the desktop's help viewer; the
    // README beside a build that is not installed.
    const QFileInfo manual(QStringLiteral("/usr/share/man/man1/tessaro.1.gz"));
    bool opened = false;
    if (manual.exists())
        opened = QDesktopServices::openUrl(QUrl(QStringLiteral("man:tessaro(1)")));
    const QFileInfo readme(QStringLiteral(TESSARO_README));
    if (!opened && readme.exists())
        opened = QDesktopServices::openUrl(QUrl::fromLocalFile(readme.absoluteFilePath()));
    if (!opened)
        ShowMessage(*ui_, kIdsManualMissing, kMsgInfo);
}

void CMainWin::OnAbout()
{
    const std::string text = FormatText(kIdsAboutText, TESSARO_VERSION);
    if (shown_ != &messageBoxes_) {
        ui_->Show(kIdsAboutText, kMsgInfo, text);
        return;
    }
    QMessageBox::about(this, QString::fromStdString(LoadText(kIdsAppTitle)), QString::fromStdString(text));
}
