// A clip name as the user types it (UTF-8) checked for the card's table: 1
// to 8 characters, each one the card's code page holds (CodePage.h) and
// none a control character. Renaming a clip takes only such a name.
#pragma once
#include <string>

enum ClipNameCheck : int {
    kClipNameOk = 0,
    kClipNameEmpty = 1,
    kClipNameTooLong = 2,     // more than 8 characters
    kClipNameBadCharacter = 3, // a character the card cannot hold, or a control character
};

// The check of `utf8`; on kClipNameOk `card` (optional) gets the name's
// bytes in the card's code page.
int CheckClipName(const std::string& utf8, std::string* card = nullptr);

// The characters of `utf8` counted as the card stores them (one byte
// each); what the name field's counter shows.
int ClipNameLength(const std::string& utf8);
