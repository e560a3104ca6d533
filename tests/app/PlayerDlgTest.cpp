// The preview player dialog: template 133 with the picture at 360x288 so it
// is drawn 1:1, captions in both languages, frame 0 on opening, playback on
// a clock the test moves with the buttons and track bar following it, the
// track bar picking frames, Close stopping playback, and opening refused
// without frames or decoder.
#include "AppTestSupport.h"
#include "CPictureWnd.h"
#include "CPlayerDlg.h"
#include "DvFixtures.h"
#include "IndexSource.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Real DV frames held in memory.
class CDvSource : public IFrameSource {
public:
    explicit CDvSource(std::vector<std::uint8_t> frames) : frames_(std::move(frames)) {}
    int FrameCount() const override { return static_cast<int>(frames_.size() / dvfix::kFrameBytes); }
    int ReadFrame(int frame, std::uint8_t* buffer) override
    {
        if (frame < 0 || frame >= FrameCount())
            return 0;
        std::memcpy(buffer, frames_.data() + static_cast<std::size_t>(frame) * dvfix::kFrameBytes,
                    dvfix::kFrameBytes);
        return 1;
    }
    std::string SourcePath() const override { return "clip.dv"; }

private:
    std::vector<std::uint8_t> frames_;
};

class PlayerDlgTest : public CAppTest {
protected:
    // A player over `frames` index frames; its decoder paints every pixel
    // with the frame number and counts the calls.
    std::unique_ptr<CPlayerDlg> Make(int frames)
    {
        source = std::make_unique<CIndexSource>(frames);
        auto decoder = [this](const std::uint8_t* frame, CPicture& picture) {
            ++decodes;
            PaintIndexPicture(frame, picture);
            return 0;
        };
        return std::make_unique<CPlayerDlg>(*source, nullptr, decoder, [this] { return now; });
    }

    // The frame number the picture control shows.
    static int Shown(const CPlayerDlg& dlg)
    {
        return IndexOfPicture(dlg.Picture()->Picture());
    }

    static bool Enabled(const CPlayerDlg& dlg, int id) { return dlg.Control(id)->isEnabled(); }

    std::unique_ptr<CIndexSource> source;
    std::int64_t now = 5000;
    int decodes = 0;
};

} // namespace

TEST_F(PlayerDlgTest, PictureIsDrawnOneToOneAndTheControlsMakeRoomForIt)
{
    auto dlg = Make(10);
    EXPECT_EQ("Video Player", dlg->windowTitle());
    ASSERT_NE(nullptr, dlg->Picture());
    const QRect picture = dlg->Picture()->geometry();
    EXPECT_EQ(QSize(360, 288), picture.size());
    EXPECT_EQ(QSize(360, 288), QSize(dlg->Picture()->Picture().Width(), dlg->Picture()->Picture().Height()));

    const QRect track = dlg->Control(CPlayerDlg::kIdTrackBar)->geometry();
    EXPECT_GT(track.top(), picture.bottom());
    EXPECT_GE(track.width(), picture.width()) << "the track bar spans the picture";
    for (int id : {CPlayerDlg::kIdPlay, CPlayerDlg::kIdStop, CPlayerDlg::kIdClose}) {
        const QRect button = dlg->Control(id)->geometry();
        EXPECT_GT(button.top(), track.bottom()) << id;
        EXPECT_TRUE(dlg->rect().contains(button)) << id;
        EXPECT_FALSE(dlg->ControlAs<QPushButton>(id)->isDefault()) << id;
    }
    EXPECT_LT(dlg->Control(CPlayerDlg::kIdStop)->geometry().right(),
              dlg->Control(CPlayerDlg::kIdClose)->geometry().left());
    EXPECT_TRUE(dlg->rect().contains(picture));
    EXPECT_EQ(QSlider::NoTicks, dlg->TrackBar()->tickPosition());
}

TEST_F(PlayerDlgTest, ButtonCaptionsInTheInterfaceLanguage)
{
    auto english = Make(3);
    EXPECT_EQ("Play", english->ControlText(CPlayerDlg::kIdPlay));
    EXPECT_EQ("Stop", english->ControlText(CPlayerDlg::kIdStop));
    EXPECT_EQ("Close", english->ControlText(CPlayerDlg::kIdClose));

    SetLanguage(1);
    auto russian = Make(3);
    EXPECT_EQ(">", russian->ControlText(CPlayerDlg::kIdPlay));
    EXPECT_EQ("[]", russian->ControlText(CPlayerDlg::kIdStop));
    EXPECT_EQ("Закрыть", russian->ControlText(CPlayerDlg::kIdClose));
    EXPECT_EQ("Video Player", russian->windowTitle()) << "the title is not translated";
}

TEST_F(PlayerDlgTest, OpensOnFrameZeroWithEverythingEnabled)
{
    auto dlg = Make(10);
    EXPECT_EQ(1, decodes);
    EXPECT_EQ(0, Shown(*dlg));
    EXPECT_EQ(0, dlg->TrackBar()->minimum());
    EXPECT_EQ(9, dlg->TrackBar()->maximum());
    EXPECT_EQ(0, dlg->TrackBar()->value());
    for (int id : {CPlayerDlg::kIdTrackBar, CPlayerDlg::kIdPlay, CPlayerDlg::kIdStop, CPlayerDlg::kIdClose})
        EXPECT_TRUE(Enabled(*dlg, id)) << id;
    EXPECT_FALSE(dlg->TimerRunning());
}

TEST_F(PlayerDlgTest, PlaysWithTheClockToTheLastFrameAndStops)
{
    auto dlg = Make(10);
    dlg->ControlAs<QPushButton>(CPlayerDlg::kIdPlay)->click();
    EXPECT_TRUE(dlg->Playback().IsPlaying());
    EXPECT_TRUE(dlg->TimerRunning());
    EXPECT_FALSE(Enabled(*dlg, CPlayerDlg::kIdPlay));
    EXPECT_FALSE(Enabled(*dlg, CPlayerDlg::kIdTrackBar));
    EXPECT_TRUE(Enabled(*dlg, CPlayerDlg::kIdStop));

    now += 170;
    dlg->OnTimer();
    EXPECT_EQ(4, Shown(*dlg));
    EXPECT_EQ(4, dlg->TrackBar()->value());
    const int decodesSoFar = decodes;

    now += 400;
    dlg->OnTimer();
    EXPECT_EQ(decodesSoFar + 1, decodes) << "the track bar's move decodes nothing more";
    EXPECT_EQ(9, Shown(*dlg));
    EXPECT_EQ(9, dlg->TrackBar()->value());
    EXPECT_FALSE(dlg->Playback().IsPlaying());
    EXPECT_FALSE(dlg->TimerRunning());
    EXPECT_TRUE(Enabled(*dlg, CPlayerDlg::kIdPlay));
    EXPECT_TRUE(Enabled(*dlg, CPlayerDlg::kIdTrackBar));
    EXPECT_FALSE(Enabled(*dlg, CPlayerDlg::kIdStop));

    // Play again from the last frame: frame 0 first, then on from there.
    dlg->ControlAs<QPushButton>(CPlayerDlg::kIdPlay)->click();
    EXPECT_EQ(0, Shown(*dlg));
    EXPECT_EQ(0, dlg->TrackBar()->value());
    now += 40;
    dlg->OnTimer();
    EXPECT_EQ(1, Shown(*dlg));

    dlg->ControlAs<QPushButton>(CPlayerDlg::kIdStop)->click();
    EXPECT_FALSE(dlg->TimerRunning());
    EXPECT_EQ(1, dlg->TrackBar()->value());
}

TEST_F(PlayerDlgTest, TrackBarPicksTheFrameAndTheShownFrameDecodesNothing)
{
    auto dlg = Make(20);
    QSlider* track = dlg->TrackBar();
    track->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(1, Shown(*dlg));
    track->setSliderDown(true);
    track->setSliderPosition(12); // dragging, with tracking
    EXPECT_EQ(12, Shown(*dlg));
    track->setSliderPosition(12);
    track->setSliderDown(false);
    EXPECT_EQ(3, decodes) << "frames 0, 1 and 12, each once";
    EXPECT_EQ(12, dlg->Playback().CurrentFrame());
}

TEST_F(PlayerDlgTest, AnUnreadableFrameKeepsThePictureWhileTheTrackBarMovesOn)
{
    auto dlg = Make(10);
    source->fail = {3};
    dlg->OnPlay();
    now += 80;
    dlg->OnTimer();
    now += 40;
    dlg->OnTimer();
    EXPECT_EQ(2, Shown(*dlg));
    EXPECT_EQ(3, dlg->TrackBar()->value());
    EXPECT_TRUE(dlg->Playback().IsPlaying());
    now += 40;
    dlg->OnTimer();
    EXPECT_EQ(4, Shown(*dlg));
}

TEST_F(PlayerDlgTest, CloseStopsPlayback)
{
    auto dlg = Make(10);
    dlg->OnPlay();
    dlg->ControlAs<QPushButton>(CPlayerDlg::kIdClose)->click();
    EXPECT_EQ(QDialog::Rejected, dlg->result());
    EXPECT_FALSE(dlg->Playback().IsPlaying());
    EXPECT_FALSE(dlg->TimerRunning());
}

TEST_F(PlayerDlgTest, RealFramesAreDecodedIntoThePicture)
{
    std::vector<std::uint8_t> frames = dvfix::MakeDvFrames(2);
    ASSERT_EQ(2u * dvfix::kFrameBytes, frames.size());
    CDvSource dv(frames);
    CPlayerDlg dlg(dv);
    const CPicture& picture = dlg.Picture()->Picture();
    std::vector<std::uint8_t> first(picture.Pixels(), picture.Pixels() + 360 * 288 * 4);
    EXPECT_TRUE(std::any_of(first.begin(), first.end(), [](std::uint8_t b) { return b != 0; }))
        << "frame 0 replaced the black picture";
    dlg.TrackBar()->setValue(1);
    EXPECT_FALSE(std::equal(first.begin(), first.end(), picture.Pixels())) << "frame 1 differs";
}

TEST_F(PlayerDlgTest, RunPlayerOpensOnlyWithFramesAndADecoder)
{
    CIndexSource empty(0);
    EXPECT_EQ(-1, RunPlayer(nullptr, empty, true));

    CIndexSource frames(5);
    EXPECT_EQ(-1, RunPlayer(nullptr, frames, false));

    QString title;
    QTimer::singleShot(0, [&title] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dlg = qobject_cast<CPlayerDlg*>(w);
            if (dlg != nullptr && dlg->isVisible()) {
                title = dlg->windowTitle();
                dlg->reject();
            }
        }
    });
    EXPECT_EQ(0, RunPlayer(nullptr, frames, true));
    EXPECT_EQ("Video Player", title);
}

TEST_F(PlayerDlgTest, KeysStepFramesWithinTheClipAndTheReadoutFollows)
{
    auto dlg = Make(10);
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    auto* readout = dlg->ControlAs<QLabel>(CPlayerDlg::kIdPosition);
    ASSERT_NE(nullptr, readout);
    EXPECT_EQ("0:00:00.00 / 0:00:00.10    Frame 1 of 10", readout->text());

    QTest::keyClick(dlg.get(), Qt::Key_Left);
    EXPECT_EQ(0, Shown(*dlg)) << "no step before the first frame";
    QTest::keyClick(dlg.get(), Qt::Key_Right);
    QTest::keyClick(dlg.get(), Qt::Key_Right);
    EXPECT_EQ(2, Shown(*dlg));
    EXPECT_EQ(2, dlg->TrackBar()->value());
    EXPECT_EQ("0:00:00.02 / 0:00:00.10    Frame 3 of 10", readout->text());

    QTest::keyClick(dlg.get(), Qt::Key_End);
    EXPECT_EQ(9, Shown(*dlg));
    QTest::keyClick(dlg.get(), Qt::Key_Right);
    EXPECT_EQ(9, dlg->Playback().CurrentFrame()) << "no step past the last frame";

    // A step while playing stops playback first, sound and timer with it.
    QTest::keyClick(dlg.get(), Qt::Key_Home);
    dlg->OnPlay();
    now += 120;
    dlg->OnTimer();
    QTest::keyClick(dlg.get(), Qt::Key_Right);
    EXPECT_FALSE(dlg->Playback().IsPlaying());
    EXPECT_FALSE(dlg->TimerRunning());
    EXPECT_EQ(4, Shown(*dlg));
}
