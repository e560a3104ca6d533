// The localised string table: every text has an English id (TextId.h); the
// Russian text has the id plus kRussianTextOffset. UI-free, so every front
// end prints the same texts in the same two languages.
#pragma once
#include "TextId.h"

#include <cstdarg>
#include <string>

// The application title; one text for both languages, so it is not subject
// to the Russian offset of LoadText.
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
