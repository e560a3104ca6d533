// The preview player: a modal dialog from template 133 that shows the frames
// of a clip (the current clip file, or a clip on the card) at 360x288, with
// a track bar to pick a frame, a readout of the frame's time and number,
// and Play, Stop and Close buttons captioned in the interface language;
// Left and Right step one frame, Home and End go to the first and last. What it does lives in CPreviewPlayback; this
// class connects it to the widgets, to a 40 ms timer and to the desktop's
// audio output for the frames' sound.
#pragma once
#include "CPreviewPlayback.h"
#include "TemplateDialog.h"

#include <QTimer>

#include <memory>

class CAudioOutput;
class CPictureWnd;
class IAudioSink;
class QLabel;
class QSlider;

class CPlayerDlg : public CTemplateDialog, private IPlaybackView {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 133;
    static constexpr int kIdPicture = 1014;
    static constexpr int kIdTrackBar = 1013;
    static constexpr int kIdPosition = 1015;
    static constexpr int kIdPlay = 4001;
    static constexpr int kIdStop = 4002;
    static constexpr int kIdClose = 4003;

    // Builds the dialog over `source` (which must outlive it) and shows
    // frame 0 (OnInitDialog). Empty decoder or clock functions mean the
    // frame decoder and the system's monotonic clock; a null `sound` means
    // the desktop's default audio output (silent when there is none).
    explicit CPlayerDlg(IFrameSource& source, QWidget* parent = nullptr, PlaybackDecoder decoder = {},
                        PlaybackClock clock = {}, IAudioSink* sound = nullptr);
    // Stops playback (OnDestroy).
    ~CPlayerDlg() override;

    // Handlers of the buttons, the track bar and the timer.
    void OnPlay();
    void OnStop();
    void OnHScroll();
    void OnTimer();

    const CPreviewPlayback& Playback() const { return *playback_; }
    CPictureWnd* Picture() const { return picture_; }
    QSlider* TrackBar() const { return slider_; }
    bool TimerRunning() const { return timer_.isActive(); }

    // Ends the dialog; playback is stopped on the way out (Close, Esc and
    // the window's close button all come here).
    void done(int result) override;

protected:
    bool OnInitDialog();
    QWidget* CreateControl(const CDialogControl& control, const QString& caption) override;

private:
    // IPlaybackView
    void ShowPicture(const CPicture& picture) override;
    void SetTrackPosition(int frame) override;
    void PlayingChanged(bool playing) override;
    void PositionChanged(int frame) override;

    // Gives the picture control exactly 360x288 pixels, so it is drawn 1:1,
    // and moves the other controls by their resize rules to make room.
    void FitPictureControl();
    void UpdateButtons(bool playing);

    CPictureWnd* picture_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* position_ = nullptr;
    QTimer timer_;
    // Declared before the playback, which stops its sound when it goes.
    std::unique_ptr<CAudioOutput> output_;
    std::unique_ptr<CPreviewPlayback> playback_;
};

// Opens the preview player modally over `parent` on the frames of `source`
// (a CClipFile, or a CCardClipSource for a clip on the card) and returns
// when the user closes it: 0 then. Returns -1 without opening anything when
// the frame decoder is missing (`decoderPresent` false) or the source has
// no frames.
int RunPlayer(QWidget* parent, IFrameSource& source, bool decoderPresent);
