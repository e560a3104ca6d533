// A picture saved as a PNG file (8-bit RGB), for the command line's frame
// command.
#pragma once
#include "CPicture.h"

#include <string>

// Encodes `picture` with FFmpeg's PNG encoder and writes it to `path`.
// False, leaving no file behind, when the picture is empty or the file
// cannot be written.
bool SavePicturePng(const CPicture& picture, const std::string& path);
