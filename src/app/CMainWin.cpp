#include "CMainWin.h"

#include "AppIcon.h"
#include "CPictureWnd.h"
#include "CWaitCursor.h"
#include "CUdevDeviceEvents.h"
#include "ClipWriter.h"
#include "Log.h"
#include "QtTranslation.h"
#include "ResizeRules.h"
#include "Settings.h"
#include "Texts.h"
#include "UserLanguage.h"
#include "WindowLayout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <thread>

namespace {

// The captioned controls, in the order their captions are set; a control's
// id is its caption's id. 2026 to 2029 keep their template caption: they are
// never shown.
const TextId kCaptionIds[] = {
    kIdsCaptionRefresh, kIdsCaptionReadClip, kIdsCaptionFormat, kIdsCaptionAbort, kIdsCaptionWriteClip,
    kIdsCaptionDeleteClip, kIdsCaptionPreviewClip, kIdsCaptionOpenClip, kIdsCaptionPreview, kIdsCaptionLoop,
    kIdsCaptionDeletePlaylist, kIdsCaptionRemoveClip, kIdsCaptionClip, kIdsCaptionFile, kIdsCaptionTotal,
    kIdsCaptionMemoryCards, kIdsCaptionCurrentCard, kIdsCaptionCapacity, kIdsCaptionFree, kIdsCaptionClips,
    kIdsCaptionPlaylistInfo, kIdsCaptionPlaylists, kIdsCaptionCurrentPlaylist, kIdsCaptionLogoControl,
};

} // namespace

CMainWin::CMainWin(const CAppEnvironment& env, IInteraction* ui, std::unique_ptr<CDeviceEvents> events,
                   QWidget* parent)
    : CTemplateDialog(parent), env_(env), messageBoxes_(this), shown_(ui != nullptr ? ui : &messageBoxes_),
      notice_(*shown_, [this] { return !OwnWindowActive(); }, env.notifier), ui_(&notice_),
      deviceEvents_(std::move(events)), session_(env, *ui_, env.decoderPresent)
{
    // The password prompt of udisks2 may stay up for minutes: the window
    // keeps drawing meanwhile.
    session_.SetAuthorisationWait([this](const std::function<int()>& request) { return AwaitAuthorisation(request); });
    // Files dragged from a file manager land on the window itself (none of
    // its controls takes drops), which decides by the place.
    setAcceptDrops(true);
    CreateFromTemplate(kTemplateId);
    BindControls();
    BindCommands();
    BindPlaylistEditing();
    BuildMenus();
    SetUpHints();
    if (!deviceEvents_)
        deviceEvents_ = std::make_unique<CUdevDeviceEvents>();
    connect(deviceEvents_.get(), &CDeviceEvents::DeviceChange, this,
            [this](int event, int data) { OnDeviceChange(event, data); });
    OnInitDialog();
}

CMainWin::~CMainWin()
{
    OnDestroy();
    session_.RemoveView(this);
}

bool CMainWin::OwnWindowActive() const
{
    for (const QWidget* w = QApplication::activeWindow(); w != nullptr; w = w->parentWidget()) {
        if (w == this)
            return true;
    }
    return false;
}

QWidget* CMainWin::CreateControl(const CDialogControl& control, const QString& caption)
{
    if (control.id == kIdPicture)
        return new CPictureWnd(this);
    return CTemplateDialog::CreateControl(control, caption);
}

void CMainWin::BindControls()
{
    picture_ = qobject_cast<CPictureWnd*>(Control(kIdPicture));
    clipList_ = ControlAs<QListWidget>(kIdClipList);
    playlistList_ = ControlAs<QListWidget>(kIdPlaylistList);
    entryList_ = ControlAs<QListWidget>(kIdEntryList);
    cardList_ = ControlAs<QComboBox>(kIdCardList);
    progress_ = std::make_unique<CWindowProgress>(ControlAs<QProgressBar>(kIdProgress),
                                                  ControlAs<QLabel>(kIdPercent), Control(kIdAbort));
    sessionProgress_ = std::make_unique<CSessionProgress>(*progress_, session_.Busy());
    progress_->OnRunning([this](bool running) {
        const unsigned end = notice_.OperationRunning(running);
        // Once the window waits for the user again, a message is no
        // operation's closing message any more.
        if (!running)
            QTimer::singleShot(0, this, [this, end] { notice_.Forget(end); });
    });
    session_.AddView(this);

    if (auto* languages = ControlAs<QComboBox>(kIdLanguageList))
        connect(languages, &QComboBox::activated, this, [this] { OnLanguageSelChange(); });
    if (cardList_ != nullptr)
        connect(cardList_, &QComboBox::activated, this, [this] { OnCardSelChange(); });
    if (auto* refresh = ControlAs<QPushButton>(kIdRefresh))
        connect(refresh, &QPushButton::clicked, this, [this] { OnRefresh(); });
    if (auto* abort = ControlAs<QPushButton>(kIdAbort))
        connect(abort, &QPushButton::clicked, this, [this] { OnAbort(); });
    if (playlistList_ != nullptr)
        connect(playlistList_, &QListWidget::itemSelectionChanged, this, [this] { OnPlaylistSelChange(); });
    for (QListWidget* list : {clipList_, entryList_}) {
        if (list != nullptr)
            connect(list, &QListWidget::itemSelectionChanged, this, [this] { UpdateSelectionButtons(); });
    }
}

bool CMainWin::OnInitDialog()
{
    LogMessage("CMainWin::OnInitDialog()");
    ChooseLanguage();
    setWindowIcon(AppIcon());

    if (picture_ != nullptr) {
        picture_->CreateDib(kPictureWidth, kPictureHeight);
        picture_->Picture().Fill(0, 0, 0, 0, 0);
        picture_->update();
    }
    images_.Create(kBlankImage + 1, kThumbWidth, kThumbHeight);
    SetUpLists();
    ShowCurrentPlaylist();
    UpdateControls();
    // The layout of the template needs its whole size: below it the
    // controls that follow the right and bottom edges run into the others.
    const QSize designed(Units().ToPixelsX(Template().Width()), Units().ToPixelsY(Template().Height()) + TopBarHeight());
    setMinimumSize(MinimumTrackSize().expandedTo(designed));

    lastClientWidth_ = width();
    lastClientHeight_ = height();
    // Place, size and maximized state of the last run; a restored size
    // moves the controls through OnSize. The file path seeds the next Open
    // clip dialog.
    ApplyWindowLayout(*this, ReadWindowLayout());
    session_.SetFilePath(GetProfileString("General", "File", ""));

    // Discovery runs on the first tick, once the window is up.
    timerId_ = startTimer(1);
    return true;
}

void CMainWin::OnDestroy()
{
    WriteWindowLayout(CaptureWindowLayout(*this));
    WriteProfileString("General", "File", session_.FilePath());
    // Kept in the file so that it can be found and turned off there.
    WriteProfileInt("Options", "Verify", VerifyAfterWriting() ? 1 : 0);
    LogMessage("CMainWin::OnDestroy()");
}

void CMainWin::ChooseLanguage()
{
    int language = GetProfileInt("Layout", "Language", DefaultLanguage());
    SetLanguage(language);
    SetQtLanguage(language);
    if (auto* languages = ControlAs<QComboBox>(kIdLanguageList))
        languages->setCurrentIndex(language != 0 ? 1 : 0);
    LoadCaptions();
}

void CMainWin::LoadCaptions()
{
    for (int id : kCaptionIds)
        SetControlText(id, QString::fromStdString(LoadText(id)));
    RetranslateMenus();
    UpdateHints();
}

void CMainWin::OnLanguageSelChange()
{
    auto* languages = ControlAs<QComboBox>(kIdLanguageList);
    if (languages == nullptr)
        return;
    int language = languages->currentIndex() == 1 ? 1 : 0;
    SetLanguage(language);
    SetQtLanguage(language);
    LoadCaptions();
    WriteProfileInt("Layout", "Language", language);
    // The card list's "Empty" and the texts of the fields are in the
    // language too.
    ListCards(true);
}

int CMainWin::AwaitAuthorisation(const std::function<int()>& request)
{
    // Nothing else may start while the request runs; the bar runs without
    // an end and the cursor is the normal one over the password prompt.
    CBusyGuard busy(session_.Busy());
    progress_->ShowWaiting(true);
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    QEventLoop loop;
    int result = 0;
    // The request touches nothing of the window; its end is posted to the
    // loop, which takes it once it runs even when it comes first.
    std::thread worker([&] {
        result = request();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    QGuiApplication::restoreOverrideCursor();
    progress_->ShowWaiting(false);
    return result;
}

void CMainWin::timerEvent(QTimerEvent* event)
{
    if (timerId_ != 0 && event->timerId() == timerId_) {
        OnStartupTimer();
        return;
    }
    CTemplateDialog::timerEvent(event);
}

void CMainWin::resizeEvent(QResizeEvent* event)
{
    CTemplateDialog::resizeEvent(event);
    OnSize(width(), height());
}

void CMainWin::OnSize(int width, int height)
{
    if (width <= 1 || height <= 1 || lastClientWidth_ == -1 || lastClientHeight_ == -1)
        return;
    const int dx = width - lastClientWidth_;
    const int dy = height - lastClientHeight_;
    if (dx != 0 || dy != 0) {
        for (const CDialogControl& c : Template().Controls()) {
            if (QWidget* w = Control(c.id))
                ApplyResizeRule(*w, c.resize, dx, dy);
        }
        update();
    }
    lastClientWidth_ = width;
    lastClientHeight_ = height;
}

bool CMainWin::ConfirmClose()
{
    const CDisk& disk = session_.Disk();
    if (!session_.CardReady())
        return true;
    bool anyClip = false;
    for (const ClipRecord& clip : disk.Clips())
        anyClip = anyClip || clip.frames != 0;
    bool anyPlaylist = false;
    for (const Playlist& p : disk.Playlists())
        anyPlaylist = anyPlaylist || !p.entries.empty();
    if (!anyClip || anyPlaylist)
        return true;
    // OK stays, so that the user can build a playlist; Cancel closes.
    return ShowMessage(*ui_, kIdsNoPlaylist, kMbOkCancel | kMbIconWarning) == kIdCancel;
}

bool CMainWin::OnSysCommand()
{
    if (Busy())
        return false;
    return ConfirmClose();
}

void CMainWin::closeEvent(QCloseEvent* event)
{
    if (!OnSysCommand()) {
        event->ignore();
        return;
    }
    CTemplateDialog::closeEvent(event);
}

bool CMainWin::PreTranslateMessage(QObject*, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

bool CMainWin::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && (watched == picture_ || (entryList_ != nullptr && watched == entryList_->viewport())))
        UpdateHints();
    if (playlistList_ != nullptr && watched == playlistList_->viewport() && ClearPlaylistOnEmptyClick(event))
        return true;
    return CTemplateDialog::eventFilter(watched, event);
}
