// Fuzz target: any bytes as a ".dv" file and as a ".avi" file. Open gives 0,
// 1 or 2 and leaves nothing open when it fails; ReadFrame of every index
// below the frame count (the first and last 64 when the file claims more)
// and of a few beyond returns without crashing, into a buffer of exactly
// 144000 bytes. A raw DV file hands out its own bytes.
#include "CClipFile.h"
#include "DvFrame.h"
#include "FuzzScratch.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_clip_file: %s\n", what);
        std::abort();
    }
}

std::vector<int> IndexesToRead(int frames)
{
    std::vector<int> indexes;
    constexpr int kEdge = 64;
    for (int i = 0; i < frames && i < kEdge; ++i)
        indexes.push_back(i);
    for (int i = frames > 2 * kEdge ? frames - kEdge : kEdge; i < frames; ++i)
        indexes.push_back(i);
    return indexes;
}

void ReadAll(CClipFile& file, const std::uint8_t* data, bool raw)
{
    // Exactly one frame: a read past it shows under AddressSanitizer.
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kDvFrameSize]);
    const int frames = file.FrameCount();
    for (int i : IndexesToRead(frames)) {
        const int ok = file.ReadFrame(i, frame.get());
        if (raw) {
            Require(ok != 0, "a raw frame inside the file cannot be read");
            Require(std::memcmp(frame.get(), data + static_cast<std::size_t>(i) * kDvFrameSize, kDvFrameSize) == 0,
                    "a raw frame differs from the file's bytes");
        }
        Require(file.IsOpen(), "a read closed the file");
    }
    std::vector<int> beyond{frames, INT_MAX, -1, INT_MIN};
    for (int more : {1, 1000}) {
        if (frames <= INT_MAX - more)
            beyond.push_back(frames + more);
    }
    for (int i : beyond)
        Require(file.ReadFrame(i, frame.get()) == 0, "a frame outside the file was read");
}

void OpenAndRead(const std::string& path, const std::uint8_t* data, std::size_t size, bool raw)
{
    CClipFile file;
    const int result = file.Open(path, raw);
    Require(result == kClipOpenOk || result == kClipOpenFailed || result == kClipOpenNotDv, "Open result not 0, 1 or 2");
    if (result != kClipOpenOk) {
        Require(!file.IsOpen() && file.FrameCount() == 0, "a failed Open left a file open");
        return;
    }
    Require(file.IsOpen() && file.IsRaw() == raw, "opened as the wrong kind");
    if (raw) {
        Require(size % kDvFrameSize == 0, "a raw file of partial frames was opened");
        Require(file.FrameCount() == static_cast<int>(size / kDvFrameSize), "wrong raw frame count");
    } else {
        Require(file.FrameCount() > 0, "an AVI file of no frames was opened");
    }
    ReadAll(file, data, raw);
    file.Close();
    Require(!file.IsOpen() && file.FrameCount() == 0, "Close left a file open");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFuzzScratch& scratch = CFuzzScratch::Get();
    if (!scratch.Write("input.dv", data, size) || !scratch.Write("input.avi", data, size))
        return 0;
    Require(CClipFile::IsRawDvPath(scratch.File("input.dv")), "a .dv name is not raw DV");
    Require(!CClipFile::IsRawDvPath(scratch.File("input.avi")), "a .avi name is raw DV");
    OpenAndRead(scratch.File("input.dv"), data, size, true);
    OpenAndRead(scratch.File("input.avi"), data, size, false);
    return 0;
}
