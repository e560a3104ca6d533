// A main window under test whose file dialogs are answered by the test:
// each dialog takes the next queued path (an empty one cancels) and is
// recorded with its kind, default extension, initial name and filters.
// Progress can be watched and aborted at every pump of a long operation.
#pragma once
#include "DvFixtures.h"
#include "FileDialog.h"
#include "MainWinFixture.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <functional>

// Passes every message on to the scripted interaction and notes the percent
// text shown at that moment.
class CPercentAtMessage : public IInteraction {
public:
    CPercentAtMessage(IInteraction& inner, std::function<std::string()> percent)
        : inner_(inner), percent_(std::move(percent))
    {
    }
    int Show(int id, unsigned flags, const std::string& text) override
    {
        shown.emplace_back(id, percent_());
        return inner_.Show(id, flags, text);
    }
    int ShowChecked(int id, unsigned flags, const std::string& text, MessageCheck& check) override
    {
        shown.emplace_back(id, percent_());
        return inner_.ShowChecked(id, flags, text, check);
    }
    std::vector<std::pair<int, std::string>> shown;

private:
    IInteraction& inner_;
    std::function<std::string()> percent_;
};

struct SeenDialog {
    bool open = false;
    std::string suffix;
    std::string initialName;
    QStringList filters;
};

class MainWinCommandsFixture : public MainWinFixture {
protected:
    void SetUp() override
    {
        MainWinFixture::SetUp();
        env.answerFileDialog = [this](CFileDialog& dialog) {
            QFileDialog& d = dialog.Dialog();
            SeenDialog seen;
            seen.open = d.acceptMode() == QFileDialog::AcceptOpen;
            seen.suffix = d.defaultSuffix().toStdString();
            if (auto* edit = d.findChild<QLineEdit*>("fileNameEdit"))
                seen.initialName = edit->text().toStdString();
            seen.filters = d.nameFilters();
            dialogs.push_back(seen);
            if (choices.empty())
                return std::string();
            std::string path = choices.front();
            choices.pop_front();
            return path;
        };
    }
    void TearDown() override
    {
        watcher_.reset();
        MainWinFixture::TearDown();
    }

    // Builds the window as Start() does, with its messages going through
    // `percentAtMessage` to the scripted interaction.
    CMainWin& StartWindow()
    {
        auto source = std::make_unique<CDeviceEvents>();
        events = source.get();
        win = std::make_unique<CMainWin>(env, &percentAtMessage, std::move(source));
        while (Probe(*win).StartupPending())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return *win;
    }

    // A raw DV file of `count` frames with `audioRate` audio (0: no audio
    // pack) in Dir(); its frames in `frames` when given.
    std::string DvFile(const std::string& name, int count, int audioRate = 48000,
                       std::vector<std::uint8_t>* frames = nullptr)
    {
        const std::vector<std::uint8_t> bytes = count > 0 ? dvfix::MakeDvFrames(count, audioRate)
                                                          : std::vector<std::uint8_t>();
        const std::string path = Dir().File(name);
        EXPECT_TRUE(dvfix::WriteBytes(path, bytes)) << path;
        if (frames != nullptr)
            *frames = bytes;
        return path;
    }

    // Open clip with `path` chosen in the dialog.
    void OpenClip(const std::string& path)
    {
        choices.push_back(path);
        Probe(*win).OnOpenClip();
    }

    // While a long operation pumps, `watch` runs at every pump with the
    // progress bar's value; it may press Abort.
    void WatchProgress(std::function<void(int)> watch)
    {
        watcher_ = std::make_unique<QTimer>();
        watcher_->setInterval(0);
        QObject::connect(watcher_.get(), &QTimer::timeout, [this, watch] {
            if (Probe(*win).Busy())
                watch(win->ControlAs<QProgressBar>(CMainWin::kIdProgress)->value());
        });
        watcher_->start();
    }
    void StopWatching() { watcher_.reset(); }
    void PressAbort() { win->ControlAs<QPushButton>(CMainWin::kIdAbort)->click(); }
    std::string Percent() const { return Text(CMainWin::kIdPercent); }

    std::deque<std::string> choices;
    std::vector<SeenDialog> dialogs;
    CPercentAtMessage percentAtMessage{ui, [this] { return win ? Percent() : std::string(); }};

private:
    std::unique_ptr<QTimer> watcher_;
};
