// The user's interface language, taken from the locale environment
// (LC_ALL, LC_MESSAGES, LANG: the first one set decides). UI-free, so the
// window and the command line choose the same default.
#pragma once

// 1 when the locale names the Russian language ("ru", "ru_RU.UTF-8",
// "ru_UA@..."), else 0 (English).
int DefaultLanguage();

// The same decision for given values; null or empty values are skipped.
int LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);
