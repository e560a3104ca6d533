// The digest of one DV frame (XXH3-128 of its 144000 bytes), by which a
// kept table tells later whether a clip's frames are still on the card.
#pragma once
#include <cstdint>
#include <string>

struct FrameDigest {
    std::uint64_t low = 0;
    std::uint64_t high = 0;

    bool operator==(const FrameDigest&) const = default;
    // 32 hex digits, high half first.
    std::string Hex() const;
    // From Hex(); false for anything else.
    static bool FromHex(const std::string& text, FrameDigest& digest);
};

// The digest of the kFrameSize bytes of `frame`.
FrameDigest DigestFrame(const std::uint8_t* frame);
