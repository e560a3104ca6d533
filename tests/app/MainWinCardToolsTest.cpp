// The window's Recover clips... and Check card...: a formatted card gets its
// clips back through the table kept before the format, a card whose table
// does not read is offered recovery before Format, and the check of a card
// that keeps less than it reports shows its real capacity, then the full
// test's figures and speeds.
#include "CCheckCardDlg.h"
#include "CRecoverDlg.h"
#include "CSpeedPlot.h"
#include "CardEditFlow.h"
#include "DvFixtures.h"
#include "MainWinFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

class MainWinCardToolsTest : public MainWinFixture {
protected:
    void TearDown() override
    {
        timer_.reset();
        MainWinFixture::TearDown();
    }

    // Each time a modal `Dialog` comes up, `handle` runs on it once (it
    // must close it).
    template <class Dialog>
    void OnEachDialog(std::function<void(Dialog&)> handle)
    {
        timer_ = std::make_unique<QTimer>();
        timer_->setInterval(0);
        QObject::connect(timer_.get(), &QTimer::timeout, [this, handle] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (dialog != nullptr && dialog->isVisible() && dialog != handled_) {
                handled_ = dialog;
                ++dialogs;
                handle(*dialog);
                handled_ = nullptr;
            }
        });
        timer_->start();
    }

    int dialogs = 0;

private:
    std::unique_ptr<QTimer> timer_;
    QDialog* handled_ = nullptr;
};

bool IsBlack(const QIcon& icon)
{
    const QImage image = icon.pixmap(90, 72).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                return false;
    return true;
}

} // namespace

TEST_F(MainWinCardToolsTest, AFormattedCardGetsItsClipsBackThroughTheTableKeptBeforeTheFormat)
{
    const std::string path = CardWith("lost.img", {{0, 0, 80, 1}, {1, 100, 90, 2}}, {{{0, 1}}});
    NameImages({path});
    CMainWin& w = Start();
    ui.Answer(kIdsAskFormatCard, kIdYes);
    Probe(w).OnFormat();
    ASSERT_EQ(1, ui.Count(kIdsFormatComplete));
    ASSERT_EQ("01", ItemText(Probe(w).ClipList(), 0));
    ASSERT_EQ("02", ItemText(Probe(w).ClipList(), 1));

    int tables = -1;
    int tableClips = -1;
    int runs = -1;
    bool thumbnail = false;
    bool keepWholeOffered = true;
    OnEachDialog<CRecoverDlg>([&](CRecoverDlg& d) {
        tables = d.Tables()->count();
        runs = d.Runs()->topLevelItemCount();
        if (tables > 0) {
            d.Tables()->item(0)->setCheckState(Qt::Checked);
            tableClips = d.TableClips()->count();
            thumbnail = tableClips > 1 && !IsBlack(d.TableClips()->item(1)->icon());
            keepWholeOffered = d.KeepWhole()->isEnabled();
        }
        d.RecoverButton()->click();
    });
    ui.Answer(kIdsRecoverAskTable, kIdYes);
    Probe(w).OnRecoverClips();

    EXPECT_EQ(1, dialogs);
    EXPECT_EQ(1, tables) << "the table before the format";
    EXPECT_EQ(2, tableClips);
    EXPECT_TRUE(thumbnail) << "the second clip's first frame is whole";
    EXPECT_FALSE(keepWholeOffered) << "every clip of the table is whole";
    // The clips' first frames are pictures, one frame each: found as runs
    // too short for a clip.
    EXPECT_EQ(2, runs);
    EXPECT_EQ(1, ui.Count(kIdsRecoverDone));
    EXPECT_EQ("01 - c1", ItemText(Probe(w).ClipList(), 0)) << "the window shows the card read again";
    EXPECT_EQ("02 - c2", ItemText(Probe(w).ClipList(), 1));
    const auto again = ReadCard(path);
    EXPECT_EQ(80, again->Clips()[0].frames);
    EXPECT_EQ(90, again->Clips()[1].frames);
    ASSERT_EQ(2u, again->Playlists()[0].entries.size());
    EXPECT_EQ(1, again->Playlists()[0].entries[1].slot);
}

TEST_F(MainWinCardToolsTest, ACardWhoseTableDoesNotReadIsOfferedRecoveryBeforeFormat)
{
    const std::string path = CardWith("damaged.img", {{0, 0, 80, 1}});
    NameImages({path});
    CMainWin& w = Start();
    // The table goes into the history with a playlist edit, then is lost.
    ASSERT_TRUE(InsertSessionEntry(Probe(w).Session(), 0, 0, -1).Done());
    std::vector<std::uint8_t> bytes = dvfix::ReadBytes(path);
    std::fill(bytes.begin(), bytes.begin() + 512, 0x5A);
    ASSERT_TRUE(dvfix::WriteBytes(path, bytes));
    Probe(w).OnRefresh();
    ASSERT_FALSE(Probe(w).Disk().IsLoaded());

    int tables = 0;
    OnEachDialog<CRecoverDlg>([&](CRecoverDlg& d) {
        tables = d.Tables()->count();
        d.reject();
    });
    ui.Answer(kIdsOfferRecover, kIdYes);
    Probe(w).OnFormat();
    EXPECT_EQ(1, dialogs);
    EXPECT_LE(1, tables);
    EXPECT_EQ(0, ui.Count(kIdsAskFormatCard)) << "recovery, not the format";

    // No: the format's own question follows (answered No).
    Probe(w).OnFormat();
    EXPECT_EQ(2, ui.Count(kIdsOfferRecover));
    EXPECT_EQ(1, ui.Count(kIdsAskFormatCard));
    EXPECT_EQ(1, dialogs);
    EXPECT_TRUE(dvfix::ReadBytes(path) == bytes) << "nothing written";
}

TEST_F(MainWinCardToolsTest, CheckOfAFakeCardShowsItsRealCapacityThenTheFullTestsFigures)
{
    const std::string path = CardWith("fake.img", {{0, 0, 80, 1}, {1, 100, 80, 2}}, {}, 600);
    NameImages({path});
    auto card = MakeDeviceState(0);
    card->bytes = dvfix::ReadBytes(path);
    card->keepOnly = ClusterOffset(413) + 7 * kSectorSize;
    env.openDevice = OpenerOf(card);
    CMainWin& w = Start();

    std::string capacity;
    std::string figures;
    std::size_t readSamples = 0;
    OnEachDialog<CCheckCardDlg>([&](CCheckCardDlg& d) {
        if (d.FullTestButton()->isEnabled()) {
            capacity = d.Capacity()->text().toStdString();
            d.FullTestButton()->click();
            return;
        }
        figures = d.ScanFigures()->text().toStdString();
        readSamples = d.Plot()->ReadSeries().size();
        d.reject();
    });
    ui.Answer(kIdsAskScan, kIdYes);
    Probe(w).OnCheckCard();

    EXPECT_EQ(2, dialogs) << "the report, then again with the full test's result";
    EXPECT_NE(std::string::npos, capacity.find("(413 clusters)")) << capacity;
    EXPECT_EQ(413u, Probe(w).Disk().UsableClusters()) << "kept for the writer";
    EXPECT_EQ(1, ui.Count(kIdsAskScan));
    EXPECT_NE(std::string::npos, figures.find(LoadText(kIdsScanUnfit))) << figures;
    EXPECT_NE(std::string::npos, figures.find(LoadText(kIdsUnfitFake))) << figures;
    EXPECT_GT(readSamples, 0u);
    EXPECT_FALSE(win->Control(CMainWin::kIdAbort)->isVisible()) << "the bar is idle again";
}
