// The diagnostic log: off by default, one time-stamped line per call,
// appended across runs, the setting read once a run (a run points the
// settings at their file).
#include "Log.h"
#include "Settings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sys/stat.h>

namespace {

std::vector<std::string> Lines(const std::string& path)
{
    std::vector<std::string> out;
    std::ifstream in(path);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

class LogTest : public ::testing::Test {
protected:
    void SetUp() override { StartRun(); }
    void TearDown() override { SetSettingsPath(""); }
    // What the program does when it starts.
    void StartRun() { SetSettingsPath(dir.File("tessaro.ini")); }
    std::string LogFile() const { return dir.File("tessaro.log"); }
    CTempDir dir;
};

} // namespace

TEST_F(LogTest, NothingIsWrittenWhenOff)
{
    LogMessage("FILES:");
    WriteProfileInt("Debug", "Log", 0);
    StartRun();
    LogMessage("FILES:");
    struct stat st {};
    EXPECT_NE(0, stat(LogFile().c_str(), &st));
}

TEST_F(LogTest, LinesCarryTheTimePrefixAndAppendAcrossRuns)
{
    WriteProfileInt("Debug", "Log", 1);
    LogMessage("FILES:");
    LogMessage("open disk: %d, total clusters: %d", 1, 7092);
    StartRun(); // a second run of the program
    LogMessage("%02d: %04d frames from %08d sector (%04d cluster)", 1, 100, 10, 0);

    auto lines = Lines(LogFile());
    ASSERT_EQ(3u, lines.size());
    const std::regex prefix(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d - )");
    for (const auto& l : lines)
        EXPECT_TRUE(std::regex_search(l, prefix)) << l;
    EXPECT_EQ("FILES:", lines[0].substr(22));
    EXPECT_EQ("open disk: 1, total clusters: 7092", lines[1].substr(22));
    EXPECT_EQ("01: 0100 frames from 00000010 sector (0000 cluster)", lines[2].substr(22));
}

TEST_F(LogTest, TheSettingIsReadOncePerRun)
{
    WriteProfileInt("Debug", "Log", 1);
    LogMessage("first");
    WriteProfileInt("Debug", "Log", 0);
    LogMessage("second");
    EXPECT_EQ(2u, Lines(LogFile()).size());
}
