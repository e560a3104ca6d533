// The INI settings file: defaults, round trips, and other content kept.
#include "Paths.h"
#include "Settings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { SetSettingsPath(dir.File("app.ini")); }
    void TearDown() override { SetSettingsPath(""); }
    std::string Contents() const
    {
        std::ifstream in(dir.File("app.ini"));
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    CTempDir dir;
};

} // namespace

TEST_F(SettingsTest, MissingFileGivesDefaultsAndFirstWriteCreatesIt)
{
    EXPECT_EQ(-1, GetProfileInt("Layout", "Left", -1));
    EXPECT_EQ("", GetProfileString("General", "File", ""));
    ASSERT_TRUE(WriteProfileInt("Layout", "Left", 120));
    EXPECT_EQ("[Layout]\nLeft=120\n", Contents());
    EXPECT_EQ(120, GetProfileInt("Layout", "Left", -1));
}

TEST_F(SettingsTest, WritesReplaceInPlaceAndKeepEverythingElse)
{
    {
        std::ofstream out(dir.File("app.ini"));
        out << "; comment\n[General]\nFile=/a/b.dv\nOther=x\n\n[Layout]\nLeft=1\nTop=2\n[Debug]\nLog=0\n";
    }
    ASSERT_TRUE(WriteProfileInt("layout", "TOP", -5));
    ASSERT_TRUE(WriteProfileInt("Layout", "Width", 800));
    ASSERT_TRUE(WriteProfileString("General", "File", ""));
    ASSERT_TRUE(WriteProfileInt("Cards", "Image1", 3));
    EXPECT_EQ("; comment\n[General]\nFile=\nOther=x\n\n[Layout]\nLeft=1\nTop=-5\nWidth=800\n[Debug]\nLog=0\n"
              "[Cards]\nImage1=3\n",
              Contents());
    EXPECT_EQ(-5, GetProfileInt("Layout", "Top", 0));
    EXPECT_EQ("", GetProfileString("General", "File", "default")) << "an empty value is not absent";
    EXPECT_EQ("x", GetProfileString("General", "Other", ""));
}

TEST_F(SettingsTest, IntegersParseLikeProfileFunctions)
{
    std::ofstream(dir.File("app.ini")) << "[Layout]\r\nLanguage = 5\r\nBad=abc\r\nNeg=-12px\r\n";
    EXPECT_EQ(5, GetProfileInt("Layout", "Language", 0));
    EXPECT_EQ(0, GetProfileInt("Layout", "Bad", 7));
    EXPECT_EQ(-12, GetProfileInt("Layout", "Neg", 0));
    EXPECT_EQ(9, GetProfileInt("Other", "Language", 9)) << "keys belong to their section";
}

TEST_F(SettingsTest, UnwritableFileReportsFailure)
{
    SetSettingsPath(dir.File("no-such-folder/app.ini"));
    EXPECT_FALSE(WriteProfileInt("Layout", "Left", 1));
    EXPECT_EQ(4, GetProfileInt("Layout", "Left", 4));
}

TEST(AppDataPathTest, AnInstalledProgramNeverKeepsItsFilesInASystemFolder)
{
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin", "/sbin", "/opt/tessaro/bin"})
        EXPECT_TRUE(IsSystemFolder(dir)) << dir;
    for (const char* dir : {"/home/ann/tessaro/build/src/app", "/usrlocal", "/tmp/opt"})
        EXPECT_FALSE(IsSystemFolder(dir)) << dir;
}
