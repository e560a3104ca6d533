// The localised string table: every text has an English id; the Russian
// text has the id plus 1000. UI-free, so every front end prints the same
// texts in the same two languages.
#pragma once
#include <cstdarg>
#include <string>

// The application title, caption of every message box.
inline constexpr int kIdsAppTitle = 57344;

// The application title; one text for both languages, so it is not subject
// to the +1000 rule of LoadText.
std::string AppTitle();

// Sets the process-wide interface language: 0 English, non-zero Russian.
void SetLanguage(int language);
int Language();

// Text `id` (an English id) in the current language; empty when missing.
std::string LoadText(int id);
// Text `id` in the given language regardless of the current one.
std::string LoadTextIn(int id, int language);

// printf-style formatting of text `id`.
std::string FormatText(int id, ...);
std::string FormatTextV(int id, va_list args);

// Replaces "%1" in `text` by `arg` (positional insertion).
std::string InsertArgument(const std::string& text, const std::string& arg);
