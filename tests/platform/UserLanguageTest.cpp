// The default interface language from the locale environment.
#include "UserLanguage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

TEST(UserLanguageTest, FirstSetVariableDecidesByItsLanguageCode)
{
    EXPECT_EQ(1, LanguageFromLocale(nullptr, nullptr, "ru_RU.UTF-8"));
    EXPECT_EQ(1, LanguageFromLocale(nullptr, nullptr, "ru"));
    EXPECT_EQ(1, LanguageFromLocale(nullptr, "ru_UA.KOI8-U", "en_GB.UTF-8"));
    EXPECT_EQ(1, LanguageFromLocale("ru@euro", "en_US", "en_US"));
    EXPECT_EQ(0, LanguageFromLocale("C", nullptr, "ru_RU.UTF-8")) << "LC_ALL overrides LANG";
    EXPECT_EQ(0, LanguageFromLocale("", "en_US.UTF-8", "ru_RU.UTF-8")) << "empty values are skipped";
    EXPECT_EQ(1, LanguageFromLocale("", "", "ru_RU"));
    EXPECT_EQ(0, LanguageFromLocale(nullptr, nullptr, nullptr));
    EXPECT_EQ(0, LanguageFromLocale(nullptr, nullptr, "POSIX"));
    EXPECT_EQ(0, LanguageFromLocale(nullptr, nullptr, "rus_RU")) << "only the code \"ru\" is Russian";
    EXPECT_EQ(0, LanguageFromLocale(nullptr, nullptr, "br_FR")) << "a code ending in ru is not Russian";
}

namespace {

// Sets or clears an environment variable for one test and restores it.
class CEnvVar {
public:
    CEnvVar(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~CEnvVar()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(UserLanguageTest, DefaultLanguageReadsTheEnvironment)
{
    CEnvVar all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", "ru_RU.UTF-8");
    EXPECT_EQ(1, DefaultLanguage());
    CEnvVar override("LC_MESSAGES", "de_DE.UTF-8");
    EXPECT_EQ(0, DefaultLanguage());
}
