// Whether a video stream libavformat found is moving pictures the player
// can show, not text read as a picture (libavformat reads plain text, ANSI
// and other text-mode art as video: the tty, bintext, xbin, adf and idf
// demuxers) and not a still picture (an image file, a stream marked as a
// still image). Only such streams are converted.
#pragma once

struct AVFormatContext;
struct AVStream;

bool IsRealVideo(const AVFormatContext& input, const AVStream& stream);
