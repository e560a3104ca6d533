// A DV frame decoded and reduced to one of the display sizes by repeated
// halving: 360x288 for the player, 180x144 for the window's clip picture,
// 90x72 for the thumbnails of the card's clip slots.
#pragma once
#include "CPicture.h"
#include "HasDirectX8.h"

#include <cstdint>
#include <vector>

inline constexpr int kThumbnailWidth = 90;
inline constexpr int kThumbnailHeight = 72;

// Decodes the frame at full size (DecodeDvFrame, with `decoderPresent`) and
// halves it while it is wider than `width` (720, 360, 180 or 90). On 0
// `picture` holds the result; on any other code (those of DecodeDvFrame) it
// is left as it was.
int DecodeFramePicture(const std::uint8_t* frame, int width, CPicture& picture,
                       bool decoderPresent = HasDirectX8());

// The pixels of a clip thumbnail: 90x72 pixels of blue, green, red, 0,
// rows top to bottom (what a 32-bit top-down bitmap of that size holds).
// Returns the code of DecodeDvFrame; `pixels` is filled only on 0.
int DecodeThumbnailPixels(const std::uint8_t* frame, std::vector<std::uint8_t>& pixels,
                          bool decoderPresent = HasDirectX8());
