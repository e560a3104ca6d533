// Clip names on the card are one byte per character in Windows-1251, which
// holds ASCII and Cyrillic. These convert between that and UTF-8 at the
// edges of the program.
#pragma once
#include <string>

// UTF-8 to Windows-1251; a character the code page cannot hold becomes '_'.
std::string Utf8ToCard(const std::string& utf8);
// Windows-1251 to UTF-8.
std::string CardToUtf8(const std::string& card);
