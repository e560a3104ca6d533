#include "FrameDigest.h"

#include "CardLayout.h"

#include <cstdio>
#include <xxhash.h>

std::string FrameDigest::Hex() const
{
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(high),
                  static_cast<unsigned long long>(low));
    return text;
}

bool FrameDigest::FromHex(const std::string& text, FrameDigest& digest)
{
    if (text.size() != 32 || text.find_first_not_of("0123456789abcdef") != std::string::npos)
        return false;
    digest.high = std::stoull(text.substr(0, 16), nullptr, 16);
    digest.low = std::stoull(text.substr(16), nullptr, 16);
    return true;
}

FrameDigest DigestFrame(const std::uint8_t* frame)
{
    const XXH128_hash_t h = XXH3_128bits(frame, kFrameSize);
    return FrameDigest{h.low64, h.high64};
}
