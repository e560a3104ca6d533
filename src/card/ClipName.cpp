#include "ClipName.h"

#include "CardLayout.h"
#include "CodePage.h"

int CheckClipName(const std::string& utf8, std::string* card)
{
    if (utf8.empty())
        return kClipNameEmpty;
    const std::string bytes = Utf8ToCard(utf8);
    // A character the code page lacks comes back as '_', and a byte that
    // is not UTF-8 not at all: the round trip finds both.
    if (CardToUtf8(bytes) != utf8)
        return kClipNameBadCharacter;
    for (unsigned char c : bytes) {
        if (c < 0x20 || c == 0x7F)
            return kClipNameBadCharacter;
    }
    if (bytes.size() > static_cast<std::size_t>(kNameLength))
        return kClipNameTooLong;
    if (card != nullptr)
        *card = bytes;
    return kClipNameOk;
}

int ClipNameLength(const std::string& utf8) { return static_cast<int>(Utf8ToCard(utf8).size()); }
