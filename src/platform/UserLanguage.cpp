#include "UserLanguage.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

// A locale name is "language[_territory][.codeset][@modifier]"; only the
// language code counts.
bool IsRussian(const char* locale)
{
    std::size_t n = std::strcspn(locale, "_.@");
    return n == 2 && (locale[0] == 'r' || locale[0] == 'R') && (locale[1] == 'u' || locale[1] == 'U');
}

} // namespace

int LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang)
{
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value != nullptr && value[0] != '\0')
            return IsRussian(value) ? 1 : 0;
    }
    return 0;
}

int DefaultLanguage()
{
    return LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}
