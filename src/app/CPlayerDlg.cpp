#include "CPlayerDlg.h"

#include "CAudioOutput.h"
#include "CPictureWnd.h"
#include "ResizeRules.h"

#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <functional>
#include <utility>

CPlayerDlg::CPlayerDlg(IFrameSource& source, QWidget* parent, PlaybackDecoder decoder, PlaybackClock clock,
                       IAudioSink* sound)
    : CTemplateDialog(parent)
{
    if (sound == nullptr) {
        output_ = std::make_unique<CAudioOutput>();
        sound = output_.get();
    }
    playback_ = std::make_unique<CPreviewPlayback>(source, static_cast<IPlaybackView&>(*this), std::move(decoder),
                                                   std::move(clock), sound);
    CreateFromTemplate(kTemplateId);
    slider_ = ControlAs<QSlider>(kIdTrackBar);
    position_ = ControlAs<QLabel>(kIdPosition);

    timer_.setInterval(kPlayerFramePeriodMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
    if (auto* play = ControlAs<QPushButton>(kIdPlay))
        connect(play, &QPushButton::clicked, this, [this] { OnPlay(); });
    if (auto* stop = ControlAs<QPushButton>(kIdStop))
        connect(stop, &QPushButton::clicked, this, [this] { OnStop(); });
    if (auto* close = ControlAs<QPushButton>(kIdClose))
        connect(close, &QPushButton::clicked, this, [this] { reject(); });
    if (slider_ != nullptr)
        connect(slider_, &QSlider::valueChanged, this, [this] { OnHScroll(); });
    // Frame stepping works wherever the focus is, also while playing.
    const std::pair<int, std::function<void()>> keys[] = {
        {Qt::Key_Left, [this] { playback_->StepFrame(-1); }},
        {Qt::Key_Right, [this] { playback_->StepFrame(1); }},
        {Qt::Key_Home, [this] { playback_->GoToFrame(0); }},
        {Qt::Key_End, [this] { playback_->GoToFrame(playback_->LastFrame()); }},
    };
    for (const auto& [key, action] : keys)
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, action);
    OnInitDialog();
}

CPlayerDlg::~CPlayerDlg()
{
    OnStop();
}

QWidget* CPlayerDlg::CreateControl(const CDialogControl& control, const QString& caption)
{
    if (control.id != kIdPicture)
        return CTemplateDialog::CreateControl(control, caption);
    picture_ = new CPictureWnd(this);
    return picture_;
}

bool CPlayerDlg::OnInitDialog()
{
    // The button captions come from the strings of the buttons' own ids in
    // the current language (CreateFromTemplate loads them).
    FitPictureControl();
    if (picture_ != nullptr)
        picture_->CreateDib(kPlayerWidth, kPlayerHeight);
    if (slider_ != nullptr) {
        QSignalBlocker quiet(slider_);
        slider_->setRange(0, playback_->TrackMaximum());
        slider_->setValue(0);
    }
    playback_->ShowFrame(0);
    if (QWidget* play = Control(kIdPlay))
        play->setFocus();
    return true;
}

void CPlayerDlg::FitPictureControl()
{
    if (picture_ == nullptr)
        return;
    const QRect area = TemplateRect(kIdPicture);
    // Only grow: with a large dialog font the area is already big enough and
    // the picture sits in its middle.
    const int dx = std::max(0, kPlayerWidth - area.width());
    const int dy = std::max(0, kPlayerHeight - area.height());
    picture_->setGeometry(area.x() + (area.width() + dx - kPlayerWidth) / 2,
                          area.y() + (area.height() + dy - kPlayerHeight) / 2, kPlayerWidth, kPlayerHeight);
    if (dx == 0 && dy == 0)
        return;
    for (const CDialogControl& c : Template().Controls()) {
        QWidget* w = Control(c.id);
        if (w != nullptr && c.id != kIdPicture)
            ApplyResizeRule(*w, c.resize, dx, dy);
    }
    setFixedSize(width() + dx, height() + dy);
}

void CPlayerDlg::done(int result)
{
    OnStop();
    CTemplateDialog::done(result);
}

void CPlayerDlg::OnPlay() { playback_->OnPlay(); }

void CPlayerDlg::OnStop() { playback_->OnStop(); }

void CPlayerDlg::OnTimer() { playback_->OnTimer(); }

void CPlayerDlg::OnHScroll()
{
    if (slider_ != nullptr)
        playback_->OnTrackPosition(slider_->value());
}

void CPlayerDlg::ShowPicture(const CPicture& picture)
{
    if (picture_ == nullptr)
        return;
    picture_->Picture().Blit(picture, 0, 0, kPlayerWidth, kPlayerHeight, 0, 0);
    picture_->repaint();
}

void CPlayerDlg::SetTrackPosition(int frame)
{
    if (slider_ == nullptr)
        return;
    QSignalBlocker quiet(slider_);
    slider_->setValue(frame);
}

void CPlayerDlg::PlayingChanged(bool playing)
{
    if (playing)
        timer_.start();
    else
        timer_.stop();
    UpdateButtons(playing);
}

void CPlayerDlg::PositionChanged(int frame)
{
    if (position_ != nullptr)
        position_->setText(QString::fromStdString(FormatPlayerPosition(frame, playback_->LastFrame() + 1)));
}

void CPlayerDlg::UpdateButtons(bool playing)
{
    if (QWidget* play = Control(kIdPlay))
        play->setEnabled(!playing);
    if (slider_ != nullptr)
        slider_->setEnabled(!playing);
    if (QWidget* stop = Control(kIdStop))
        stop->setEnabled(playing);
}

int RunPlayer(QWidget* parent, IFrameSource& source, bool decoderPresent)
{
    if (!decoderPresent || source.FrameCount() <= 0)
        return -1;
    CPlayerDlg dialog(source, parent);
    dialog.exec();
    return 0;
}
