// The progress bar of the command line on a terminal: a phase's caption
// stands before the bar, in the interface language; a caption with its own
// figures stands alone and is rewritten in place.
#include "TerminalProgress.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

// What `run` draws with a progress on a terminal.
std::string OnTerminal(const std::function<void(CTerminalProgress&)>& run)
{
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return "no terminal";
    std::FILE* terminal = fdopen(slave, "w");
    {
        CTerminalProgress progress(terminal);
        run(progress);
    }
    std::fclose(terminal);
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(n));
    ::close(master);
    return shown;
}

} // namespace

TEST(TerminalProgress, APhaseCaptionStandsBeforeTheBarInTheInterfaceLanguage)
{
    SetLanguage(1);
    const std::string shown = OnTerminal([](CTerminalProgress& progress) {
        progress.Begin(10);
        progress.Set(5);
        progress.SetCaption(kIdsVerifying);
        progress.Set(5);
        progress.End();
    });
    SetLanguage(0);

    const std::string caption = LoadTextIn(kIdsVerifying, 1);
    const std::size_t captioned = shown.find(caption + "   50 %");
    ASSERT_NE(std::string::npos, captioned) << shown;
    // The phase before has no caption, and ended its line.
    const std::size_t plain = shown.find("\r 50 %");
    ASSERT_LT(plain, captioned) << shown;
    EXPECT_NE(std::string::npos, shown.substr(plain, captioned - plain).find('\n'));
}

TEST(TerminalProgress, ACaptionWithItsOwnFiguresIsRewrittenInPlaceAndStandsAlone)
{
    const std::string shown = OnTerminal([](CTerminalProgress& progress) {
        progress.Begin(10);
        progress.SetCaptionText("Writing clip 05", false);
        progress.Set(5);
        progress.SetCaptionText("Converting a.mp4: 50 %, 0:05 left", true);
        progress.Set(5);
        progress.SetCaptionText("Converting a.mp4: 60 %, 0:04 left", true);
        progress.Set(6);
        progress.End();
    });
    const std::size_t writing = shown.find("Writing clip 05   50 %");
    const std::size_t first = shown.find("\rConverting a.mp4: 50 %, 0:05 left");
    const std::size_t second = shown.find("\rConverting a.mp4: 60 %, 0:04 left");
    ASSERT_NE(std::string::npos, writing) << shown;
    ASSERT_NE(std::string::npos, first) << shown;
    ASSERT_NE(std::string::npos, second) << shown;
    EXPECT_NE(std::string::npos, shown.substr(writing, first - writing).find('\n')) << "a new phase, a new line";
    EXPECT_EQ(std::string::npos, shown.substr(first, second - first).find('\n')) << "the same phase, in place";
    EXPECT_EQ(std::string::npos, shown.find("frames/s", first)) << "no figures of the bar's own beside it";
}
