// The progress bar of the command line on a terminal: a phase's caption
// stands before the bar, in the interface language.
#include "TerminalProgress.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <cstdio>
#include <string>

TEST(TerminalProgress, APhaseCaptionStandsBeforeTheBarInTheInterfaceLanguage)
{
    int master = -1;
    int slave = -1;
    ASSERT_EQ(0, openpty(&master, &slave, nullptr, nullptr, nullptr));
    std::FILE* terminal = fdopen(slave, "w");
    ASSERT_NE(nullptr, terminal);
    SetLanguage(1);
    {
        CTerminalProgress progress(terminal);
        progress.Begin(10);
        progress.Set(5);
        progress.SetCaption(kIdsVerifying);
        progress.Set(5);
        progress.End();
    }
    SetLanguage(0);
    std::fclose(terminal);
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(n));
    ::close(master);

    const std::string caption = LoadTextIn(kIdsVerifying, 1);
    const std::size_t captioned = shown.find(caption + "   50 %");
    ASSERT_NE(std::string::npos, captioned) << shown;
    // The phase before has no caption, and ended its line.
    const std::size_t plain = shown.find("\r 50 %");
    ASSERT_LT(plain, captioned) << shown;
    EXPECT_NE(std::string::npos, shown.substr(plain, captioned - plain).find('\n'));
}
