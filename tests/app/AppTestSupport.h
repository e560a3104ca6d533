// Helpers of the window tests: a settings file of the test's own, a clean
// language flag and locale, an environment without the host's disks (only
// the card images a test names are drives), and reading the settings file
// back.
#pragma once
#include "AppEnvironment.h"
#include "Settings.h"
#include "TempDir.h"
#include "TestEnvironment.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

class CAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("LC_ALL"))
            oldLocale_ = old;
        setenv("LC_ALL", "en_GB.UTF-8", 1);
        SetSettingsPath(Ini());
        SetLanguage(0);
        env.cardReaders = NoCardReaders;
        // The desktop running the tests is not told of their operations.
        env.notifier = nullptr;
    }
    void TearDown() override
    {
        SetSettingsPath("");
        SetLanguage(0);
        if (oldLocale_)
            setenv("LC_ALL", oldLocale_->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }
    std::string Ini() const { return dir_.File("tessaro.ini"); }
    void WriteIni(const std::string& text) const { std::ofstream(Ini()) << text; }
    std::string ReadIni() const
    {
        std::ifstream in(Ini());
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    const CTempDir& Dir() const { return dir_; }

    // What the windows of the test run in.
    CAppEnvironment env;

private:
    CTempDir dir_;
    std::optional<std::string> oldLocale_;
};
