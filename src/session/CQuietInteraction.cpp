#include "CQuietInteraction.h"

namespace {

constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

} // namespace

int CQuietInteraction::Show(int id, unsigned flags, const std::string& text)
{
    const bool question = (flags & kButtonMask) != kMbOk;
    if (question || (flags & kIconMask) == kMbIconWarning)
        return user_.Show(id, flags, text);
    return kIdOk;
}
