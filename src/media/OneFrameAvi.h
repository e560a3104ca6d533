// The one-frame AVI: a complete AVI file holding a single DV frame, made of
// the head template, the frame and the tail template (209920 bytes). The
// frame decoder hands frames to the DV decoder in this form.
#pragma once
#include <cstdint>

inline constexpr int kOneFrameAviSize = 209920;
// Offset of the frame in the file (the head's size).
inline constexpr int kOneFrameAviFrameOffset = 65032;

// Writes head, frame and tail to `fd` from its current position (a file the
// caller opened for writing and deletes afterwards). False when a template is
// missing or a write fails.
bool WriteOneFrameAvi(int fd, const std::uint8_t* frame);
