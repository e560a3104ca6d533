// CClipFile: the current clip file on the PC. Opens a raw DV file or a DV AVI
// file (interleaved "iavs", or "vids"/"dvsd" video with separate audio),
// tells its frame count and kind, and hands out its frames by index as
// 144000-byte DV frames. It is the frame source the card writer reads from.
#pragma once
#include "AviFirstStream.h"
#include "FrameSource.h"
#include "TextId.h"

#include <cstdint>
#include <string>

// Results of CClipFile::Open.
enum ClipOpenResult : int {
    kClipOpenOk = 0,
    kClipOpenFailed = 1, // cannot be opened or yields no frames
    kClipOpenNotDv = 2,  // holds no acceptable DV stream
};

// The message shown for a failed Open; both take the path as "%1".
inline TextId ClipOpenMessage(int result)
{
    return result == kClipOpenNotDv ? kIdsCannotReadFile : kIdsCannotOpenFile;
}

class CClipFile : public IFrameSource {
public:
    CClipFile() = default;
    ~CClipFile() override;
    CClipFile(const CClipFile&) = delete;
    CClipFile& operator=(const CClipFile&) = delete;

    // True when the name asks for raw DV: its extension is anything but
    // ".avi" (any case), including none. The content is never consulted.
    static bool IsRawDvPath(const std::string& path);

    // Closes whatever is open, then opens `path` as raw DV (`raw` set) or as
    // AVI. 0 opened, 1 cannot open or no frames, 2 not DV; a failed Open
    // leaves nothing open.
    int Open(const std::string& path, bool raw);
    void Close();

    // Copies frame `frame` into `buffer` (at least 144000 bytes); non-zero on
    // success. An index outside the file fails at once; the file stays open
    // when a read fails.
    int ReadFrame(int frame, std::uint8_t* buffer) override;
    int FrameCount() const override { return frames_; }
    std::string SourcePath() const override { return path_; }

    bool IsOpen() const { return open_; }
    bool IsRaw() const { return raw_; }
    // Set for a "vids"/"dvsd" AVI, whose audio is a separate stream.
    bool HasSeparateAudio() const { return separateAudio_; }

private:
    int OpenRaw(const std::string& path);
    int OpenAvi(const std::string& path);

    int fd_ = -1;
    CAviFirstStream avi_;
    bool raw_ = false;
    bool open_ = false;
    bool separateAudio_ = false;
    int frames_ = 0;
    // Raw files: frames asked of the system ahead of the reads, from every
    // kReadAheadFrames-th frame and from any frame read out of order.
    static constexpr int kReadAheadFrames = 32;
    int nextFrame_ = 0;
    std::string path_;
};
